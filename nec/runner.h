#pragma once
// Runs nec2c on a deck as a child process: no shell, a private temporary directory, a time limit.

#include <chrono>
#include <filesystem>
#include <string>

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
    std::chrono::milliseconds timeLimit{60000};
};

// Writes the deck to a temporary directory, runs `program -i deck -o output` there and returns
// the output text. Throws NecError when the program is missing, fails, is stopped at the time
// limit, or leaves no output.
std::string runNec2c(const std::string& deck, const RunOptions& options = {});

}  // namespace brimalox::nec
