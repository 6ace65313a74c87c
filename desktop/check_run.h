#pragma once
// One model check on a thread of its own, so the windows answer while nec2c runs. Cancelling ends
// nec2c at once: the engine stops its child and removes its folder when this process is asked to
// stop (nec::StopSignals), so cancel() asks exactly that, and only while the run holds the guard.

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "nec/native/runner.h"
#include "nec/nec.h"

namespace brimalox {

struct CheckOutcome {
    std::optional<nec::Result> result;  // empty when the run failed or was stopped
    std::string failure;                // why, in the engine's words
    bool cancelled = false;             // stopped by cancel()
    int signal = 0;                     // stopped by a signal from outside this program
};

class CheckRun {
public:
    // Both callbacks are called on the run's thread; done() exactly once, last.
    CheckRun(nec::Prepared prepared, nec::RunOptions options, nec::CheckProgress progress,
             std::function<void(CheckOutcome)> done);
    // Cancels a run still going and waits for its end: nec2c and its folder are gone on return.
    ~CheckRun();
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    void cancel();
    // Waits for the thread (after done() was called, the wait is a moment).
    void finish();

private:
    void work();

    nec::Prepared prepared_;
    nec::RunOptions options_;
    nec::CheckProgress progress_;
    std::function<void(CheckOutcome)> done_;
    std::mutex mutex_;
    bool guarded_ = false;  // the run holds nec::StopSignals: a stop request reaches the engine
    bool cancelled_ = false;
    std::thread thread_;
};

}  // namespace brimalox
