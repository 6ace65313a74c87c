#pragma once
// Runs nec2c on a deck as a child process: no shell, a private temporary directory, a time limit.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "nec/engine.h"
#include "nec/error.h"

namespace brimalox::nec {

// A directory of our own under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct RunOptions {
    std::string program = "nec2c";  // looked up on PATH unless it contains a '/'
    std::chrono::milliseconds timeLimit{kTimeLimitSeconds * 1000};
    // Set by the caller to stop a run from another thread: the run ends as a signal would end it,
    // but throws Interrupted with signal 0 and leaves the process's signals alone.
    std::shared_ptr<const std::atomic<bool>> cancel;
};

// Writes the deck to a temporary directory, runs `program -i deck -o output` inside it (short
// names: nec2c refuses long ones) and returns the output text. Throws NecError when the program is
// missing, fails (with its reason), is stopped at the time limit, or leaves no output; and
// Interrupted when SIGINT, SIGTERM or SIGHUP arrives or the run is cancelled while it runs. In every case the program has
// ended and the directory is gone when this returns or throws.
std::string runNec2c(const std::string& deck, const RunOptions& options = {});

// The nec2c program as the model's engine (it tells no progress while it runs).
class Nec2cProgram : public Engine {
public:
    explicit Nec2cProgram(RunOptions options = {}) : options_(std::move(options)) {}
    std::string run(const std::string& deck, const FrequenciesDone&) override { return runNec2c(deck, options_); }

private:
    RunOptions options_;
};

// Catches SIGINT, SIGTERM and SIGHUP while any instance lives, in any thread: the first one clears
// the note of a signal and puts the handlers in, the last one puts the previous handlers back. Every
// run holds one; a caller making many runs holds one across them, so a signal between two runs
// stops the next one instead of ending the process.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    // The signal caught since the first instance was made, or 0.
    static int caught();
};

// Ends the process by the signal's default action (after the caller has said why).
[[noreturn]] void endBySignal(int signal);

}  // namespace brimalox::nec
