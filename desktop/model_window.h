#pragma once
// Model runs on a thread of their own, so the windows answer while nec2c runs. Cancelling ends
// nec2c at once: the engine stops its child and removes its folder when this process is asked to
// stop (nec::StopSignals), so cancel() asks exactly that, and only while the run holds the guard.

#include <QMetaObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace brimalox {

struct RunEnd {
    std::string failure;     // why the job threw, in the engine's words; empty when it returned
    bool cancelled = false;  // stopped by cancel()
    int signal = 0;          // stopped by a signal from outside this program
};

class EngineRun {
public:
    // job() runs on the run's thread with the guard held (it keeps its own results); done() is
    // called on that thread once, last.
    EngineRun(std::function<void()> job, std::function<void(RunEnd)> done);
    // Cancels a run still going and waits for its end: nec2c and its folder are gone on return.
    ~EngineRun();
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    void cancel();
    // Waits for the thread (after done() was called, the wait is a moment).
    void finish();
    // One run at a time in the program: a stop request reaches every run that holds the guard, so
    // cancelling one of two would stop both.
    static bool anyRunning();

private:
    void work();

    std::function<void()> job_;
    std::function<void(RunEnd)> done_;
    std::mutex mutex_;
    bool guarded_ = false;  // the run holds nec::StopSignals: a stop request reaches the engine
    bool cancelled_ = false;
    std::thread thread_;
    static std::atomic<int> running_;
};

// What a window says when asked to run while another model run is going.
inline constexpr const char* kAnotherRunGoing =
    "Another model run is going in this program: wait for it or cancel it first.";

// job() on a run's thread; its result (none when it threw or was stopped) goes to the window's
// finish(end, result) on the window's thread, unless the window is gone by then.
template <class Result, class Window, class Finish, class Job>
std::unique_ptr<EngineRun> startRun(Window* window, Finish finish, Job job) {
    QPointer<Window> self(window);
    auto result = std::make_shared<std::optional<Result>>();
    auto done = [self, finish, result](RunEnd end) {
        QMetaObject::invokeMethod(
            self,
            [self, finish, result, end = std::move(end)] {
                if (Window* w = self.data()) (w->*finish)(end, std::move(*result));
            },
            Qt::QueuedConnection);
    };
    return std::make_unique<EngineRun>([result, job = std::move(job)]() mutable { *result = job(); }, done);
}

}  // namespace brimalox
