#include "nec/native/runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
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

// The signal that asked this process to stop while nec2c runs, or 0.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void noteStop(int signal) { stopSignal = signal; }

constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};
// Guards shared by every thread: the first puts the handlers in, the last puts the previous back.
std::mutex guardMutex;
int guards = 0;
std::array<struct sigaction, 3> previous{};

bool cancelled(const RunOptions& options) { return options.cancel && options.cancel->load(); }

void throwIfStopped(const RunOptions& options) {
    if (stopSignal != 0) throw Interrupted(stopSignal);
    if (cancelled(options)) throw Interrupted(0);
}

void stopChild(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
}

std::string signalName(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT (Ctrl-C)";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}

}  // namespace

StopSignals::StopSignals() {
    const std::lock_guard lock(guardMutex);
    if (guards++ > 0) return;
    stopSignal = 0;
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &previous[i]);
}

StopSignals::~StopSignals() {
    const std::lock_guard lock(guardMutex);
    if (--guards > 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
}

int StopSignals::caught() { return stopSignal; }

Interrupted::Interrupted(int signal)
    : NecError((signal == 0 ? std::string("cancelled") : "interrupted by " + signalName(signal)) +
               "; nec2c was stopped and its files removed"),
      signal_(signal) {}

void endBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

TempDir::TempDir() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) {
        const char* tmpdir = std::getenv("TMPDIR");
        throw NecError("cannot use the temporary directory" +
                       (tmpdir ? " \"" + std::string(tmpdir) + "\" (TMPDIR)" : std::string()) + ": " + error.message() +
                       "; set TMPDIR to an existing directory this user may write to");
    }
    std::string pattern = (base / "brimalox-nec-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw NecError("cannot create a temporary directory in " + base.string() + ": " + std::strerror(errno));
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string runNec2c(const std::string& deck, const RunOptions& options) {
    const StopSignals signals;  // before the directory exists, and restored after it is gone
    TempDir dir;
    // nec2c keeps file names in 75-character buffers: it runs inside the directory with short names.
    const std::string input = "a.nec", output = "a.out";
    const auto log = dir.path() / "nec2c.log";
    {
        std::ofstream out(dir.path() / input, std::ios::binary);
        out << deck;
        if (!out.flush()) throw NecError("cannot write the deck to " + (dir.path() / input).string());
    }
    throwIfStopped(options);

    FileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(actions.get(), dir.path().c_str());

    // A program given by a relative path with a '/' is found from where we are, not from the directory.
    std::string program = options.program;
    if (program.find('/') != std::string::npos && program.front() != '/')
        program = (std::filesystem::current_path() / program).string();
    std::vector<std::string> args{program, "-i", input, "-o", output};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, program.c_str(), actions.get(), nullptr, argv.data(), environ);
    if (spawned == ENOENT)
        throw NecError(options.program + " was not found on PATH; install it (Debian package nec2c) to simulate");
    if (spawned != 0) throw NecError("cannot start " + options.program + ": " + std::strerror(spawned));

    const auto deadline = std::chrono::steady_clock::now() + options.timeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) throw NecError("lost track of " + options.program);
        if (stopSignal != 0 || cancelled(options)) {
            stopChild(pid);
            throwIfStopped(options);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            stopChild(pid);
            throw NecError(options.program + " did not finish within " + std::to_string(options.timeLimit.count()) +
                           " ms and was stopped");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    throwIfStopped(options);

    // nec2c tells why it rejects a deck at the end of its output file, and exits with a failure.
    const auto said = [&] {
        const std::string reason = tail(readFile(dir.path() / output), 3) + tail(readFile(log));
        return reason.empty() ? std::string() : ":" + reason;
    };
    if (WIFSIGNALED(status))
        throw NecError(options.program + " was ended by signal " + std::to_string(WTERMSIG(status)) + said());
    if (WEXITSTATUS(status) != 0)
        throw NecError(options.program + " rejected the deck (exit status " + std::to_string(WEXITSTATUS(status)) +
                       ")" + said());
    if (!std::filesystem::exists(dir.path() / output)) throw NecError(options.program + " wrote no output" + said());
    return readFile(dir.path() / output);
}

}  // namespace brimalox::nec
