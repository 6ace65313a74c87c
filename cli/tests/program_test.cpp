#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/tests/run_cli.h"

namespace brimalox::cli {
namespace {

using clitest::Outcome;
using clitest::readFile;
using clitest::runProgram;

using Json = nlohmann::json;

// As a process: exit status and the two output streams as a shell sees them. Spawned directly, so
// arguments of any bytes and length reach the program unchanged.
Outcome runProcess(const std::vector<std::string>& args, const std::string& input = "") {
    const auto dir = std::filesystem::temp_directory_path() / ("brimalox-cli-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    { std::ofstream(dir / "in", std::ios::binary) << input; }
    const std::string in = (dir / "in").string(), out = (dir / "out").string(), err = (dir / "err").string();

    std::vector<std::string> all{BRIMALOX_CLI_PATH};
    all.insert(all.end(), args.begin(), args.end());
    const std::vector<char*> argv = clitest::cStrings(all);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int raw = 0;
    if (spawned == 0) waitpid(pid, &raw, 0);
    Outcome outcome{spawned == 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir / "out"),
                    readFile(dir / "err")};
    std::filesystem::remove_all(dir);
    return outcome;
}

TEST(Program, DesignInThreeFormatsPrintsTheGoodOnesAndReportsTheFailedOne) {
    for (const char* format : {"text", "csv", "json"}) {
        SCOPED_TRACE(format);
        const Outcome o = runProgram({"design", "146", "0", "50", "--format", format});
        EXPECT_EQ(o.status, kExitDesignFailed);
        // One message for the design at 0 MHz: the frequency, the button, the step and the kind.
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1);
        EXPECT_NE(o.err.find("\"0\""), std::string::npos);
        EXPECT_NE(o.err.find("ACCEPT (Command7)"), std::string::npos);
        EXPECT_NE(o.err.find("while computing the recommended diameter"), std::string::npos);
        EXPECT_NE(o.err.find("Division by zero (floating-point failure)"), std::string::npos);
        if (std::string(format) == "json") {
            const Json json = Json::parse(o.out);
            ASSERT_EQ(json.size(), 2u);
            EXPECT_EQ(json[0]["frequency"], "146");
            EXPECT_EQ(json[1]["frequency"], "50");
            EXPECT_EQ(json[1]["recommended_mm"], "4.748");
        } else if (std::string(format) == "csv") {
            EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 3);
            EXPECT_NE(o.out.find("\r\n50,3,5,0.187,4.748,5,0.187,4.748,"), std::string::npos);
        } else {
            EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 4);  // two heading lines, two rows
            EXPECT_NE(o.out.find("\n146 "), std::string::npos);
            EXPECT_NE(o.out.find("\n50 "), std::string::npos);
        }
    }
}

TEST(Program, AllGoodDesignsExitZeroAndOptionsReachTheForm) {
    const Outcome o = runProgram({"design", "50", "--awg", "8", "--sides", "4", "--format", "json"});
    EXPECT_EQ(o.status, 0);
    EXPECT_TRUE(o.err.empty());
    const Json json = Json::parse(o.out);
    EXPECT_EQ(json[0]["sides"], "4");
    EXPECT_EQ(json[0]["conductor_awg"], "8");
    EXPECT_EQ(json[0]["conductor_mm"], "3.25");
    EXPECT_EQ(json[0]["recommended_awg"], "5");
}

TEST(Program, SweepStreamsEveryGridPoint) {
    const Outcome o = runProgram({"design", "--from", "144", "--to", "148", "--step", "0.5", "--format", "json"});
    EXPECT_EQ(o.status, 0);
    const Json json = Json::parse(o.out);
    ASSERT_EQ(json.size(), 9u);
    EXPECT_EQ(json.front()["frequency"], "144");
    EXPECT_EQ(json[1]["frequency"], "144.5");
    EXPECT_EQ(json.back()["frequency"], "148");
}

// --format is read in any case, by every subcommand alike.
TEST(Program, EveryFormatIsReadInAnyCase) {
    const std::vector<std::vector<std::string>> commands{{"design", "146"},
                                                         {"gauges"},
                                                         {"sheet", "146", "--date", "2024-01-01"},
                                                         {"trim", "146", "--measured-min", "x"}};
    for (std::vector<std::string> args : commands) {
        SCOPED_TRACE(args.front());
        args.insert(args.end(), {"--format", "json"});
        const Outcome lower = runProgram(args);
        args.back() = "JSon";
        const Outcome mixed = runProgram(args);
        EXPECT_EQ(mixed.status, lower.status);
        EXPECT_EQ(mixed.out, lower.out);
        EXPECT_EQ(mixed.err, lower.err);
    }
}

TEST(Program, UsageErrorsExitTwoWithAMessageAndNoOutput) {
    const std::vector<std::vector<std::string>> cases{
        {},
        {"nonsense"},
        {"design"},
        {"design", "146", "--bogus"},
        {"design", "146", "--awg", "8", "--mm", "3"},
        {"design", "146", "--inch", "0.1", "--mm", "3"},
        {"design", "146", "--awg", "8", "--inch", "0.1"},
        {"design", "146", "--sides", "5"},
        {"design", "146", "--sides"},
        {"design", "146", "--format", "xml"},
        {"gauges", "--format", "1"},
        {"design", "146", "--from", "1", "--to", "2", "--step", "1"},
        {"design", "--from", "1", "--to", "2"},
        {"design", "--from", "0", "--to", "1e7", "--step", "1"},
        {"design", "--from", "1", "--to", "1e300", "--step", "1e-300"},
        {"design", "--from", "1", "--to", "2", "--step", "0"},
        {"gauges", "extra"},
        {"replay", "/nonexistent/script"},
    };
    for (const auto& args : cases) {
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const Outcome o = runProgram(args);
        EXPECT_EQ(o.status, kExitUsage);
        EXPECT_TRUE(o.out.empty());
        EXPECT_FALSE(o.err.empty());
    }
}

struct MessageCase {
    std::vector<std::string> args;
    int status;
    const char* says;  // what the message must say about the value given
};

TEST(Program, EveryFailureMessageSaysWhatIsWrongWithTheValueGiven) {
    const auto dir = std::filesystem::temp_directory_path();
    const MessageCase cases[] = {
        {{"design", "abc"}, kExitDesignFailed, "the frequency is not a number"},
        {{"design", "1e39"}, kExitDesignFailed, "the frequency is too large to be held as a number"},
        {{"design", "0"}, kExitDesignFailed, "the frequency leads to a division by zero"},
        {{"design", "1e-45"}, kExitDesignFailed, "the frequency gives a result too large to be held"},
        {{"design", "146", "--awg", "abc"}, kExitDesignFailed, "--awg \"abc\" is not a number"},
        {{"design", "146", "--mm", "1e39"}, kExitDesignFailed, "--mm \"1e39\" is too large to be held as a number"},
        {{"design", "--from", "x1", "--to", "2", "--step", "1"}, kExitUsage, "--from \"x1\" is not a number"},
        {{"design", "--from", "1", "--to", "1e999", "--step", "1"}, kExitUsage, "--to \"1e999\" is too large"},
        {{"design", "--from", "1", "--to", "2", "--step", "-0.5"},
         kExitUsage,
         "--step \"-0.5\" must be greater than 0"},
        {{"design", "--from", "2", "--to", "1", "--step", "1"}, kExitUsage, "--to \"1\" is below --from \"2\""},
        {{"design", "--from", "0", "--to", "1e7", "--step", "1"},
         kExitUsage,
         "--step \"1\" from --from \"0\" to --to \"1e7\""},
        {{"design", "146", "--sides", "x"}, kExitUsage, "\"x\" is not 3 or 4"},
        {{"design", "146", "--sides", "5"}, kExitUsage, "\"5\" is not 3 or 4"},
        {{"gauges", "--format", "xml"}, kExitUsage, "xml not in {text,csv,json}"},
        {{"replay", (dir / "brimalox-no-such-script").string()}, kExitUsage, "No such file or directory"},
        {{"replay", dir.string()}, kExitUsage, "is a folder, not a script"},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const Outcome o = runProgram(c.args);
        EXPECT_EQ(o.status, c.status);
        EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    }
}

TEST(Program, OutputThatCannotBeWrittenIsAFailure) {
    struct Full : std::streambuf {
        int_type overflow(int_type) override { return traits_type::eof(); }
        std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
    };
    for (const std::vector<std::string>& args : {std::vector<std::string>{"brimalox-cli", "design", "146"},
                                                 {"brimalox-cli", "gauges"},
                                                 {"brimalox-cli", "replay"}}) {
        Full full;
        std::ostream out(&full);
        std::ostringstream err;
        std::istringstream in("click Command7\n");
        Program program(out, err, in);
        std::vector<const char*> argv;
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        EXPECT_EQ(program.run(static_cast<int>(argv.size()), argv.data()), kExitDesignFailed) << args[1];
        EXPECT_NE(err.str().find("cannot write the output"), std::string::npos) << args[1];
    }
}

TEST(Program, ReplayUsageErrorNamesTheLineAndPrintsNothing) {
    const Outcome o = runProgram({"replay"}, "set Text2 50\n\n# x\nclick Command7\nselect Option9\n");
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_TRUE(o.out.empty());
    EXPECT_NE(o.err.find("line 5"), std::string::npos);
    EXPECT_NE(o.err.find("Option9"), std::string::npos);
}

TEST(Program, ReplayReadsStandardInputOrAFile) {
    const std::string script = "set Text2 50\nclick Command7\nset Text2 abc\nclick Command4\n";
    const Outcome fromStdin = runProgram({"replay", "-"}, script);
    EXPECT_EQ(fromStdin.status, 0);  // failed clicks do not make the script invalid
    const Json json = Json::parse(fromStdin.out);
    EXPECT_EQ(json["fields"]["Text8"], "4.748");
    EXPECT_EQ(json["clicks"][1]["ok"], false);

    const auto path = std::filesystem::temp_directory_path() / ("replay-" + std::to_string(::getpid()) + ".txt");
    { std::ofstream(path, std::ios::binary) << script; }
    const Outcome fromFile = runProgram({"replay", path.string()});
    std::filesystem::remove(path);
    EXPECT_EQ(fromFile.status, 0);
    EXPECT_EQ(fromFile.out, fromStdin.out);
}

TEST(Process, HelpOnEveryCommandAndVersion) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"design", "--help"}, {"gauges", "--help"}, {"replay", "--help"}}) {
        const Outcome o = runProcess(args);
        EXPECT_EQ(o.status, 0) << args[0];
        EXPECT_NE(o.out.find("Usage"), std::string::npos) << args[0];
    }
    const Outcome version = runProcess({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("brimalox-cli ") + BRIMALOX_VERSION + "\n");
}

TEST(Process, ExitStatusAndStreamsAsAShellSeesThem) {
    const Outcome good = runProcess({"design", "146", "--format", "csv"});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(std::count(good.out.begin(), good.out.end(), '\n'), 2);
    EXPECT_TRUE(good.err.empty());

    const Outcome failed = runProcess({"design", "abc"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("Type mismatch"), std::string::npos);

    const Outcome usage = runProcess({"design", "146", "--awg", "8", "--mm", "1"});
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(usage.out.empty());

    const Outcome replay = runProcess({"replay"}, "click Command5\nclick Command6\n");
    EXPECT_EQ(replay.status, 0);
    EXPECT_EQ(Json::parse(replay.out)["clicks"].size(), 2u);

    const Outcome gauges = runProcess({"gauges", "--format", "json"});
    EXPECT_EQ(gauges.status, 0);
    EXPECT_EQ(Json::parse(gauges.out).size(), 44u);
}

TEST(Process, LongArgumentsAndOddBytesNeitherCrashNorHang) {
    const std::string longNumber(100000, '7');  // 10^99999: an overflow, not a crash
    const std::string longFraction = "146." + std::string(100000, '0');
    const std::string odd = "\xff\xfe\x01\x1b[2J,\"";
    const Outcome o = runProcess(
        {"design", longNumber, longFraction, odd, "-5", "--format", "json", "--mm", std::string(50000, '9')});
    EXPECT_EQ(o.status, 1);
    const Json json = Json::parse(o.out);  // still valid JSON
    EXPECT_TRUE(json.is_array());
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 4);  // one short message per design
    EXPECT_LT(o.err.size(), 4 * 400u);
    EXPECT_EQ(o.err.find('\x1b'), std::string::npos);  // no raw control bytes on the terminal

    const Outcome text = runProcess({"design", odd, "146."});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out.find('\x1b'), std::string::npos);

    const Outcome replay = runProcess(
        {"replay"}, "set Text2 " + longFraction + "\nclick Command7\nset Text4 " + odd + "\nclick Command1\n");
    EXPECT_EQ(replay.status, 0);
    EXPECT_EQ(Json::parse(replay.out)["clicks"][1]["kind"], "type mismatch");
}

TEST(Process, HugeSweepIsRefusedAtOnce) {
    const Outcome o = runProcess({"design", "--from", "1", "--to", "1e9", "--step", "0.001"});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.empty());
    EXPECT_NE(o.err.find("10000000"), std::string::npos);
}

}  // namespace
}  // namespace brimalox::cli
