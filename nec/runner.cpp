#include "nec/runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace brimalox::nec {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The last few non-empty lines of what the program printed, for the failure message.
std::string tail(const std::string& text, int lines = 5) {
    std::vector<std::string> kept;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find_first_not_of(" \t\r") != std::string::npos) kept.push_back(line);
    std::string out;
    for (std::size_t i = kept.size() > static_cast<std::size_t>(lines) ? kept.size() - lines : 0; i < kept.size(); ++i)
        out += "\n  " + kept[i];
    return out;
}

class FileActions {
public:
    FileActions() { posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brimalox-nec-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw NecError("cannot create a temporary directory: " + std::string(std::strerror(errno)));
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string runNec2c(const std::string& deck, const RunOptions& options) {
    TempDir dir;
    const auto input = dir.path() / "antenna.nec";
    const auto output = dir.path() / "antenna.out";
    const auto log = dir.path() / "nec2c.log";
    {
        std::ofstream out(input, std::ios::binary);
        out << deck;
        if (!out.flush()) throw NecError("cannot write the deck to " + input.string());
    }

    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO);

    std::vector<std::string> args{options.program, "-i", input.string(), "-o", output.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, options.program.c_str(), actions.get(), nullptr, argv.data(), environ);
    if (spawned == ENOENT)
        throw NecError(options.program + " was not found on PATH; install it (Debian package nec2c) to simulate");
    if (spawned != 0)
        throw NecError("cannot start " + options.program + ": " + std::strerror(spawned));

    const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) throw NecError("lost track of " + options.program);
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            throw NecError(options.program + " did not finish within " +
                           std::to_string(options.timeLimit.count()) + " ms and was stopped");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    if (WIFSIGNALED(status))
        throw NecError(options.program + " was ended by signal " + std::to_string(WTERMSIG(status)) + tail(readFile(log)));
    if (WEXITSTATUS(status) != 0)
        throw NecError(options.program + " failed with exit status " + std::to_string(WEXITSTATUS(status)) +
                       tail(readFile(log)));
    if (!std::filesystem::exists(output)) throw NecError(options.program + " wrote no output" + tail(readFile(log)));
    return readFile(output);
}

}  // namespace brimalox::nec
