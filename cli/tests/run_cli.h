// The command line run inside the test's process, with what it says captured (one command on a bare
// CLI::App: run_command.h, apart, as CLI11 is slow to compile).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"

namespace brimalox::clitest {

struct Outcome {
    int status = 0;  // the exit status; for runCommand, -1 is a usage error (CLI11's words in err)
    std::string out, err;
};

inline std::vector<const char*> argvOf(std::vector<std::string>& args) {
    args.insert(args.begin(), "brimalox-cli");
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return argv;
}

// The strings' texts as exec and posix_spawn take them (argv, envp): null-terminated.
inline std::vector<char*> cStrings(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

inline Outcome runProgram(std::vector<std::string> args, const std::string& input = "") {
    std::ostringstream out, err;
    std::istringstream in(input);
    cli::Program program(out, err, in);
    const std::vector<const char*> argv = argvOf(args);
    const int status = program.run(static_cast<int>(argv.size()), argv.data());
    return {status, out.str(), err.str()};
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace brimalox::clitest
