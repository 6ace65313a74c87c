#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/model_commands.h"
#include "cli/nec_commands.h"
#include "cli/tests/run_command.h"
#include "nec/check.h"
#include "nec/native/runner.h"
#include "nec/tests/nec2c_installed.h"

namespace brimalox::nec {
namespace {

using clitest::Outcome;
using clitest::readFile;

Outcome run(std::vector<std::string> args) { return clitest::runCommand(cli::addNecCommands, std::move(args)); }

TEST(NecCommand, WritesTheDeckToStandardOutputOrAFile) {
    Request request;
    request.design = DesignRequest{"146", 4, {ConductorUnit::Awg, "10"}};
    const std::string expected = prepare(request).deck.deck;
    const Outcome toStdout = run({"nec", "146", "--sides", "4", "--awg", "10"});
    EXPECT_EQ(toStdout.status, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, expected);

    TempDir dir;
    const auto file = dir.path() / "antenna.nec";
    const Outcome toFile = run({"nec", "146", "--sides", "4", "--awg", "10", "-o", file.string()});
    EXPECT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readFile(file), expected);
}

TEST(NecCommand, FailuresAndUsageErrors) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"nec", "abc"}, 1, "brimalox-cli nec: "},
        {{"nec", "146", "-o", "/nonexistent-dir/x.nec"}, 1, "cannot write /nonexistent-dir/x.nec"},
        {{"nec", "146", "--from", "200", "--to", "100"}, -1, ""},
        {{"nec", "146", "--step", "-1"}, -1, ""},
        {{"nec", "146", "--sides", "5"}, -1, ""},
        {{"simulate", "146", "--z0", "0"}, -1, ""},
        {{"simulate", "146", "--format", "xml"}, -1, ""},
        {{"simulate", "146", "--time-limit", "x"}, -1, ""},
        // A conductor thicker than its gap: a failed model, said before nec2c runs, no deck or report.
        {{"nec", "170", "--mm", "12"}, 1, "brimalox-cli nec: NEC-2 cannot model this feed: the gap (8.261 mm)"},
        {{"simulate", "170", "--mm", "12"}, 1, "brimalox-cli simulate: NEC-2 cannot model this feed"},
        {{"simulate", "146", "--mm", "20", "--ground", "average", "--height", "5"}, 1, "is thick (20 mm)"},
        // A value out of range, named.
        {{"simulate", "1e30"}, 1, "at 1e30 MHz"},
        {{"simulate", "146", "--from", "1e999"}, -1, ""},
        {{"simulate", "146", "--heights", "1:3:1"}, -1, ""},
        {{"simulate", "146", "--plot-heights", "x.svg"}, -1, ""},
        {{"simulate", "146", "--ground", "average", "--height", "0.001"}, -1, ""},
        {{"simulate", "146", "--measured", "/nonexistent-dir/x.s1p"}, 1, "/nonexistent-dir/x.s1p"},
        {{"nec", "146", "--ground", "mud", "--height", "2"}, -1, ""},
    };
    for (const Case& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, c.status) << c.args[1] << " " << c.args.back();
        EXPECT_NE(o.err.find(c.message), std::string::npos) << c.args[1] << " " << c.args.back() << ": " << o.err;
        EXPECT_EQ(o.out, "") << c.args[1] << " " << c.args.back();
    }
}

TEST(SimulateCommand, ReportsInEveryFormatAndDrawsThePlot) {
    try {
        runNec2c("CE\nEN\n");
    } catch (const NecError& e) {
        if (std::string(e.what()).find("not found") != std::string::npos)
            GTEST_SKIP() << "nec2c is not installed (scripts/setup-debian.sh installs it)";
    }
    const std::vector<std::string> coarse{"simulate", "146", "--from", "140", "--to", "150", "--step", "5"};
    TempDir dir;
    const auto plot = dir.path() / "swr.svg";

    auto args = coarse;
    args.insert(args.end(), {"--format", "json", "--plot", plot.string()});
    const Outcome json = run(args);
    ASSERT_EQ(json.status, 0) << json.err;
    const auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["z0_ohms"], 300);
    ASSERT_EQ(doc["sweep"].size(), 3u);
    for (const auto& row : doc["sweep"])
        EXPECT_EQ(row["gaps"].size(), 3u);
    EXPECT_EQ(doc["sweep"][0]["mhz"], 140);
    EXPECT_EQ(doc["design"]["frequency_mhz"], "146");
    EXPECT_TRUE(doc["max_gain"].is_object());
    EXPECT_EQ(doc["max_gain"]["mhz"], 146);
    EXPECT_EQ(readFile(plot).rfind("<?xml", 0), 0u);

    args = coarse;
    args.insert(args.end(), {"--format", "csv", "--z0", "50"});
    const Outcome csv = run(args);
    ASSERT_EQ(csv.status, 0) << csv.err;
    // Lines end in CRLF, as `design --format csv` ends them; read as lines without the CR.
    std::string unix;
    for (std::size_t i = 0; i < csv.out.size(); ++i) {
        if (csv.out[i] == '\n') {
            EXPECT_TRUE(i > 0 && csv.out[i - 1] == '\r') << "a line ending in LF alone at " << i;
        }
        if (csv.out[i] != '\r') unix += csv.out[i];
    }
    std::istringstream lines(unix);
    std::string header;
    std::getline(lines, header);
    EXPECT_EQ(header, "mhz,gap1_r_ohms,gap1_x_ohms,gap2_r_ohms,gap2_x_ohms,gap3_r_ohms,gap3_x_ohms,swr");
    int rows = 0;
    for (std::string line; std::getline(lines, line);)
        ++rows;
    EXPECT_EQ(rows, 3);

    const Outcome text = run(coarse);
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* part :
         {"THREE SIDED", "against 300 ohms", "lowest SWR:", "SWR below 2:1:", "maximum gain:", "dBi"})
        EXPECT_NE(text.out.find(part), std::string::npos) << part;
}

// The real program, with a PATH that holds no nec2c.
TEST(SimulateCommand, WithoutNec2cFailsWithAClearMessage) {
    TempDir emptyBin;
    TempDir work;
    const auto errFile = work.path() / "err.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::string program = BRIMALOX_CLI_PATH;
    std::vector<std::string> args{program, "simulate", "146"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string path = "PATH=" + emptyBin.path().string();
    std::string asan = "ASAN_OPTIONS=detect_leaks=0";
    std::vector<char*> env{path.data(), asan.data(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = readFile(errFile);
    EXPECT_NE(err.find("nec2c was not found on PATH"), std::string::npos) << err;
}

}  // namespace
}  // namespace brimalox::nec

namespace brimalox::nec {
namespace {

using testing::nec2cInstalled;

TEST(SimulateCommand, OverRealGroundWithPatternsHeightsAndAMeasuredFile) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    TempDir dir;
    const auto measured = dir.path() / "built.s1p";
    std::ofstream(measured) << "! a built antenna\n# MHz Z RI R 75.5\n140 2 0\n146 1.05 0.1\n152 1.5 0\n";
    const auto pattern = dir.path() / "pattern.svg", heights = dir.path() / "heights.svg", swr = dir.path() / "swr.svg",
               written = dir.path() / "model.s1p";
    const Outcome json = run({"simulate",       "146",
                              "--from",         "140",
                              "--to",           "152",
                              "--step",         "6",
                              "--ground",       "average",
                              "--height",       "5",
                              "--pattern-at",   "150",
                              "--heights",      "3:5:2",
                              "--format",       "json",
                              "--z0",           "75.5",
                              "--measured",     measured.string(),
                              "--plot",         swr.string(),
                              "--plot-pattern", pattern.string(),
                              "--plot-heights", heights.string(),
                              "--touchstone",   written.string()});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto doc = nlohmann::json::parse(json.out);
    EXPECT_EQ(doc["design"]["frequency"], "146");
    EXPECT_EQ(doc["design"]["sides"], "3");
    EXPECT_EQ(doc["design"]["gap_inch"], "0.381");
    EXPECT_EQ(doc["ground"]["kind"], "average");
    EXPECT_EQ(doc["ground"]["permittivity"], 13);
    EXPECT_EQ(doc["height_m"], 5);
    EXPECT_EQ(doc["z0_ohms"], 75.5);
    EXPECT_TRUE(doc["max_gain"]["dbi"].is_number());
    ASSERT_EQ(doc["patterns"].size(), 2u);
    EXPECT_EQ(doc["patterns"][1]["mhz"], 150);
    EXPECT_GT(doc["patterns"][0]["takeoff_deg"], 0);
    EXPECT_EQ(doc["patterns"][0]["elevation_dbi"].size(), 91u);
    EXPECT_EQ(doc["patterns"][0]["gain_at_elevation_dbi"].size(), 4u);
    ASSERT_EQ(doc["heights"].size(), 2u);
    EXPECT_EQ(doc["heights"][1]["height_m"], 5);
    // At 5 m both runs are the same model: the table agrees with the report.
    EXPECT_EQ(doc["heights"][1]["max_dbi"], doc["patterns"][0]["max_dbi"]);
    // Between the file's samples (146 lowest, 152 the lower of its neighbours), as the model's.
    EXPECT_GT(doc["measured"]["lowest_mhz"], 146);
    EXPECT_LT(doc["measured"]["lowest_mhz"], 152);
    for (const auto& file : {pattern, heights, swr})
        EXPECT_EQ(readFile(file).rfind("<?xml", 0), 0u) << file;
    EXPECT_NE(readFile(swr).find("measured"), std::string::npos);
    EXPECT_NE(readFile(written).find("# MHz S RI R 75.5"), std::string::npos);

    const Outcome text = run({"simulate", "146", "--from", "146", "--to", "146", "--step", "1", "--ground", "perfect",
                              "--height", "2", "--z0", "75.5", "--heights", "2:3:1"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* part : {"against 75.5 ohms", "on the 75.5 ohm line right at a gap", "perfect ground",
                             "take-off angle", "-3 dB elevation beamwidth",
                             "average power gain: ", "gives 2; the gains are scaled", "height above perfect ground"})
        EXPECT_NE(text.out.find(part), std::string::npos) << part << "\n" << text.out;

    const Outcome csv = run({"simulate", "146", "--from", "146", "--to", "146", "--step", "1", "--ground", "perfect",
                             "--height", "2", "--heights", "2:3:1", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.substr(0, csv.out.find("\r\n")), "height_m,max_dbi,takeoff_deg,azimuth_deg,dbi_at_5_deg,failure");
}

TEST(SimulateCommand, FailuresNameTheValue) {
    // Usage errors: CLI11 prints them; the message is the exception's (the failures are in
    // NecCommand.FailuresAndUsageErrors).
    CLI::App app("test", "brimalox-cli");
    std::ostringstream out, err;
    cli::addNecCommands(app, out, err);
    const char* argv[]{"brimalox-cli", "simulate", "146", "--from", "1e999"};
    try {
        app.parse(5, argv);
        ADD_FAILURE() << "accepted";
    } catch (const CLI::ParseError& e) {
        EXPECT_NE(std::string(e.what()).find("--from 1e999 is too large"), std::string::npos) << e.what();
    }
}

TEST(SimulateCommand, EachBadFeedOrCoatValueIsRefusedByItsOptionWithWhatToType) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"--feed-line=300,1.2", "--feed-line's velocity factor 1.2 is outside 0 to 1"},
        {"--feed-line=300,0", "--feed-line's velocity factor 0 is outside 0 to 1"},
        {"--feed-line=-300,0.82", "--feed-line's Z0 -300 is outside 10 to 1000 ohms"},
        {"--feed-line=300", "--feed-line needs Z0,VF[,MM]"},
        {"--feed-line=300,0.82,-5", "--feed-line's length -5 is outside 0 to 100000 mm"},
        {"--feed-line=300,0.82,1e9", "--feed-line's length 1e9 is outside 0 to 100000 mm"},
        {"--feed-loss=-1", "--feed-loss -1 is outside 0 to 100 dB per 100 m"},
        {"--feed-loss=1e6", "--feed-loss 1e6 is outside 0 to 100 dB per 100 m"},
        {"--feed-section=75,0.66,1e9", "--feed-section's length 1e9 is outside 0 to 100000 mm"},
        {"--feed-section=75,0.66", "--feed-section needs Z0,VF,MM"},
        {"--balun=0.001", "--balun 0.001 is outside 0.25 to 16"},
        {"--balun=1e9", "--balun 1e9 is outside 0.25 to 16"},
        {"--coax=50,0.66", "--coax needs Z0,VF,METRES[,DB]"},
        {"--coax=50,0.66,5,-2", "--coax's loss -2 is outside 0 to 100 dB per 100 m"},
        {"--coax=50,0.66,1e6", "--coax's length 1e6 is outside 0 to 300 m"},
        {"--rig-z0=1e-9", "--rig-z0 1e-9 is outside 10 to 600 ohms"},
        {"--at=antenna", "--at needs gap, junction or rig"},
        {"--insulation=0,PVC", "--insulation's thickness 0 mm is not above 0"},
        {"--insulation=0.5,0.9", "--insulation's permittivity 0.9 is outside 1 to 10"},
        {"--insulation=0.5,1e6", "--insulation's permittivity 1e6 is outside 1 to 10"},
        {"--insulation=0.5,rubber", "--insulation \"rubber\" is not a plastic this knows: PVC, polyethylene, PTFE"},
        {"--insulation=0.5", "--insulation needs MM,EPSR"},
    };
    for (const auto& [arg, said] : cases)
        for (const std::string command : {"simulate", "trim", "cover"}) {
            CLI::App app("test", "brimalox-cli");
            std::ostringstream out, err;
            cli::addNecCommands(app, out, err);
            cli::addTrimCommand(app, out, err);
            cli::addCoverCommand(app, out, err);
            const bool cover = command == "cover";
            const char* argv[]{"brimalox-cli", command.c_str(),  cover ? "--band=144:148" : "146",
                               arg.c_str(),    "--measured-min", "146"};
            try {
                app.parse(command == "trim" ? 6 : 4, argv);
                ADD_FAILURE() << command << " accepted " << arg;
            } catch (const CLI::ParseError& e) {
                EXPECT_NE(std::string(e.what()).find(said), std::string::npos) << command << ": " << e.what();
            }
        }
}

}  // namespace
}  // namespace brimalox::nec
