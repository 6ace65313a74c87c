#include "desktop/check_run.h"

#include <csignal>
#include <exception>
#include <utility>

namespace brimalox {

CheckRun::CheckRun(nec::Prepared prepared, nec::RunOptions options, nec::CheckProgress progress,
                   std::function<void(CheckOutcome)> done)
    : prepared_(std::move(prepared)),
      options_(std::move(options)),
      progress_(std::move(progress)),
      done_(std::move(done)),
      thread_([this] { work(); }) {}

CheckRun::~CheckRun() {
    cancel();
    finish();
}

void CheckRun::finish() {
    if (thread_.joinable()) thread_.join();
}

// The signal handler the guard put in notes the request in this thread, at once; the engine, polling
// its child every few milliseconds, kills it and removes its folder. Under the lock the guard cannot
// be taken away in between, so the signal never meets the program's default action.
void CheckRun::cancel() {
    const std::lock_guard lock(mutex_);
    if (cancelled_) return;
    cancelled_ = true;
    if (guarded_) std::raise(SIGINT);
}

void CheckRun::work() {
    CheckOutcome outcome;
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
            nec::Nec2cProgram engine(options_);
            outcome.result = nec::run(prepared_, engine, progress_);
        } catch (const nec::Interrupted& e) {
            outcome.failure = e.what();
            interrupted = e.signal();
        } catch (const std::exception& e) {  // the engine's failures, and out of memory: said, never a crash
            outcome.failure = e.what();
        }
    }
    {
        const std::lock_guard lock(mutex_);
        guarded_ = false;
        guard.reset();
        outcome.cancelled = cancelled_;
        if (!cancelled_) outcome.signal = interrupted;
    }
    done_(std::move(outcome));
}

}  // namespace brimalox
