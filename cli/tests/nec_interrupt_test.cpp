// The real program, stopped while nec2c runs: the child ends, the temporary folder goes, and the
// program ends as the signal would end it. A stand-in nec2c on PATH sleeps and says its pid.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/tests/run_cli.h"
#include "nec/native/runner.h"

namespace brimalox::nec {
namespace {

namespace fs = std::filesystem;

// Folders that live as long as a test: a bin with the stand-in nec2c, a TMPDIR, and a place for
// what the program and the stand-in say.
class Bench {
public:
    explicit Bench(const std::string& fakeBody = "echo $$ > \"$FAKE_NEC2C_PID\"\nexec sleep 30") {
        fs::create_directories(bin());
        fs::create_directories(tmp());
        if (!fakeBody.empty()) {
            std::ofstream(bin() / "nec2c") << "#!/bin/sh\n" << fakeBody << "\n";
            ::chmod((bin() / "nec2c").c_str(), 0700);
        }
    }
    fs::path bin() const { return root_.path() / "bin"; }
    fs::path tmp() const { return root_.path() / "tmp"; }
    fs::path pidFile() const { return root_.path() / "nec2c.pid"; }
    fs::path errFile() const { return root_.path() / "err.txt"; }
    fs::path outFile() const { return root_.path() / "out.txt"; }

    // Starts brimalox-cli with PATH = bin (then the system's) and TMPDIR = tmpdir.
    pid_t start(const std::vector<std::string>& arguments, const std::string& tmpdir = "") {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errFile().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> args{BRIMALOX_CLI_PATH};
        args.insert(args.end(), arguments.begin(), arguments.end());
        const std::vector<char*> argv = clitest::cStrings(args);
        std::vector<std::string> env{"PATH=" + bin().string() + ":/usr/bin:/bin",
                                     "TMPDIR=" + (tmpdir.empty() ? tmp().string() : tmpdir),
                                     "FAKE_NEC2C_PID=" + pidFile().string(), "ASAN_OPTIONS=detect_leaks=0"};
        const std::vector<char*> envp = clitest::cStrings(env);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, args[0].c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    // The stand-in's pid once it has started, or 0 after ten seconds.
    pid_t fakePid() const {
        for (int i = 0; i < 1000; ++i) {
            const std::string text = clitest::readFile(pidFile());
            if (!text.empty() && text.back() == '\n') return static_cast<pid_t>(std::stol(text));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    bool tmpIsEmpty() const { return fs::is_empty(tmp()); }

private:
    TempDir root_;
};

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return status;
}

bool gone(pid_t pid) {
    for (int i = 0; i < 100; ++i) {
        if (::kill(pid, 0) < 0 && errno == ESRCH) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

const std::vector<std::string> kSimulate{"simulate", "146", "--from", "140", "--to", "150", "--step", "5"};

TEST(Interruption, SignalEndsNec2cAndRemovesTheFolder) {
    struct Case {
        int signal;
        const char* said;
    };
    for (const Case& c : {Case{SIGINT, "interrupted by SIGINT"}, Case{SIGTERM, "interrupted by SIGTERM"}}) {
        Bench bench;
        const pid_t cli = bench.start(kSimulate);
        const pid_t fake = bench.fakePid();
        ASSERT_NE(fake, 0) << "the stand-in nec2c never started";
        EXPECT_FALSE(bench.tmpIsEmpty()) << "the run's folder exists while nec2c runs";
        ::kill(cli, c.signal);
        const int status = waitFor(cli);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.said << ": status " << status;
        EXPECT_TRUE(gone(fake)) << c.said << ": nec2c still runs";
        EXPECT_TRUE(bench.tmpIsEmpty()) << c.said;
        EXPECT_NE(clitest::readFile(bench.errFile()).find(c.said), std::string::npos)
            << clitest::readFile(bench.errFile());
    }
}

TEST(Interruption, TimeLimitEndsNec2cAndRemovesTheFolder) {
    Bench bench;
    auto args = kSimulate;
    args.insert(args.end(), {"--time-limit", "0.5"});
    const pid_t cli = bench.start(args);
    const pid_t fake = bench.fakePid();
    ASSERT_NE(fake, 0);
    const int status = waitFor(cli);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(gone(fake));
    EXPECT_TRUE(bench.tmpIsEmpty());
    EXPECT_NE(clitest::readFile(bench.errFile()).find("did not finish within 500 ms"), std::string::npos)
        << clitest::readFile(bench.errFile());
}

// cover, stopped while its third run is under way: the report of the two runs done, then the end
// the signal asks for.
TEST(Interruption, CoverReportsTheBestFoundAndEndsByTheSignal) {
    if (std::system("command -v nec2c > /dev/null 2>&1") != 0) GTEST_SKIP() << "nec2c is not installed";
    Bench bench(
        "c=\"$FAKE_NEC2C_PID.count\"; n=$(cat \"$c\" 2>/dev/null || echo 0); echo $((n+1)) > \"$c\"\n"
        "if [ \"$n\" -lt 2 ]; then exec /usr/bin/nec2c \"$@\"; fi\n"
        "echo $$ > \"$FAKE_NEC2C_PID\"\nexec sleep 30");
    const pid_t cli = bench.start({"cover", "--band", "145:147", "--jobs", "1"});
    const pid_t fake = bench.fakePid();
    ASSERT_NE(fake, 0) << "the third run never started: " << clitest::readFile(bench.errFile());
    ::kill(cli, SIGINT);
    const int status = waitFor(cli);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
    EXPECT_TRUE(gone(fake));
    EXPECT_TRUE(bench.tmpIsEmpty());
    const std::string out = clitest::readFile(bench.outFile());
    EXPECT_NE(out.find("Stopped by a signal after 2 model runs"), std::string::npos) << out;
    EXPECT_NE(out.find("type "), std::string::npos) << out;
    EXPECT_NE(out.find("Model runs: 2"), std::string::npos) << out;
}

// Every other way out leaves no file behind either.
TEST(Interruption, NoTemporaryFileSurvivesAFailure) {
    struct Case {
        const char* name;
        std::string fake;
        std::vector<std::string> extra;
        int status;
        const char* said;
    };
    const std::vector<Case> cases{
        {"nec2c rejects the deck", "echo 'ERROR: FAULTY DATA CARD' >> a.out; exit 255", {}, 1, "FAULTY DATA CARD"},
        {"nec2c killed", "kill -9 $$", {}, 1, "ended by signal 9"},
        {"nec2c writes nonsense", "echo 'FREQUENCY : x' > a.out", {}, 1, "cannot read nec2c's output"},
    };
    for (const Case& c : cases) {
        Bench bench(c.fake);
        auto args = kSimulate;
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const int status = waitFor(bench.start(args));
        ASSERT_TRUE(WIFEXITED(status)) << c.name;
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.name;
        EXPECT_TRUE(bench.tmpIsEmpty()) << c.name;
        EXPECT_NE(clitest::readFile(bench.errFile()).find(c.said), std::string::npos)
            << c.name << ": " << clitest::readFile(bench.errFile());
    }
}

TEST(TemporaryDirectory, MissingOneIsNamedAndLongOneWorks) {
    Bench missing("");
    const int status = waitFor(missing.start(kSimulate, "/nonexistent-brimalox-tmp"));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = clitest::readFile(missing.errFile());
    EXPECT_NE(err.find("/nonexistent-brimalox-tmp"), std::string::npos) << err;
    EXPECT_NE(err.find("TMPDIR"), std::string::npos) << err;

    // nec2c itself, under a temporary directory whose path is far over its 75 characters.
    try {
        runNec2c("CE\nEN\n");
    } catch (const NecError& e) {
        if (std::string(e.what()).find("not found") != std::string::npos) GTEST_SKIP() << "nec2c is not installed";
    }
    Bench longOne("");
    const fs::path deep = longOne.tmp() / std::string(60, 'd') / std::string(60, 'e');
    fs::create_directories(deep);
    const int ok = waitFor(longOne.start(kSimulate, deep.string()));
    ASSERT_TRUE(WIFEXITED(ok));
    EXPECT_EQ(WEXITSTATUS(ok), 0) << clitest::readFile(longOne.errFile());
    EXPECT_TRUE(fs::is_empty(deep));
}

}  // namespace
}  // namespace brimalox::nec
