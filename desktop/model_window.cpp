#include "desktop/check_run.h"

#include <csignal>
#include <exception>
#include <optional>
#include <utility>

#include "nec/error.h"
#include "nec/native/runner.h"

namespace brimalox {

std::atomic<int> EngineRun::running_{0};

EngineRun::EngineRun(std::function<void()> job, std::function<void(RunEnd)> done)
    : job_(std::move(job)), done_(std::move(done)) {
    ++running_;
    thread_ = std::thread([this] { work(); });
}

bool EngineRun::anyRunning() { return running_ > 0; }

EngineRun::~EngineRun() {
    cancel();
    finish();
}

void EngineRun::finish() {
    if (thread_.joinable()) thread_.join();
}

// The signal handler the guard put in notes the request in this thread, at once; the engine, polling
// its child every few milliseconds, kills it and removes its folder. Under the lock the guard cannot
// be taken away in between, so the signal never meets the program's default action.
void EngineRun::cancel() {
    const std::lock_guard lock(mutex_);
    if (cancelled_) return;
    cancelled_ = true;
    if (guarded_) std::raise(SIGINT);
}

void EngineRun::work() {
    RunEnd end;
    std::optional<nec::StopSignals> guard;
    {
        const std::lock_guard lock(mutex_);
        if (!cancelled_) {
            guard.emplace();
            guarded_ = true;
        }
    }
    int interrupted = 0;
    if (guard) {
        try {
            job_();
        } catch (const nec::Interrupted& e) {
            end.failure = e.what();
            interrupted = e.signal();
        } catch (const std::exception& e) {  // the engine's failures, and out of memory: said, never a crash
            end.failure = e.what();
        }
        // A job that ends early on a stop without throwing (the band search) was stopped all the same.
        if (interrupted == 0) interrupted = nec::StopSignals::caught();
    }
    {
        const std::lock_guard lock(mutex_);
        guarded_ = false;
        guard.reset();
        end.cancelled = cancelled_;
        if (!cancelled_) end.signal = interrupted;
    }
    --running_;
    done_(std::move(end));
}

}  // namespace brimalox
