#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/tests/run_cli.h"
#include "sheet/build_sheet.h"

namespace brimalox::cli {
namespace {

using clitest::Outcome;
using clitest::readFile;
using clitest::runProgram;

class SheetFiles : public testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("brimalox-sheet-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST(SheetCommand, JsonHasTheDesignAsDesignWritesItAndTheCutList) {
    const std::vector<std::string> design{"146", "--sides", "4", "--awg", "10"};
    std::vector<std::string> sheetArgs{"sheet", "--format", "json", "--date", "2026-02-28"};
    sheetArgs.insert(sheetArgs.begin() + 1, design.begin(), design.end());
    const Outcome sheet = runProgram(sheetArgs);
    std::vector<std::string> designArgs{"design", "--format", "json"};
    designArgs.insert(designArgs.begin() + 1, design.begin(), design.end());
    const Outcome table = runProgram(designArgs);
    ASSERT_EQ(sheet.status, 0) << sheet.err;
    ASSERT_EQ(table.status, 0) << table.err;

    const auto json = nlohmann::json::parse(sheet.out);
    const auto row = nlohmann::json::parse(table.out).at(0);
    for (const auto& [key, value] : row.items())
        EXPECT_EQ(json.at(key), value) << key;
    EXPECT_EQ(json.at("date"), "2026-02-28");
    EXPECT_EQ(json.at("form"), "FOUR SIDED");
    EXPECT_EQ(json.at("warning"), sheet::minimumWarning());
    EXPECT_TRUE(json.at("model").is_null());
    const auto& cuts = json.at("cut_list");
    ASSERT_EQ(cuts.size(), 5u);
    EXPECT_EQ(cuts[0].at("mm"), row.at("side_mm"));
    EXPECT_EQ(cuts[0].at("count"), "8");
    EXPECT_EQ(cuts[1].at("derivation"), "(height - gap) / 2");
    EXPECT_EQ(cuts[2].at("inch"), row.at("gap_inch"));
    EXPECT_EQ(cuts[3].at("mm"), row.at("match_mm"));
    EXPECT_EQ(cuts[4].at("piece"), "TOTAL CONDUCTOR");
}

TEST(SheetCommand, CsvIsTheCutListAndTextIsTheWholeSheet) {
    const Outcome csv = runProgram({"sheet", "146", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_TRUE(csv.out.starts_with("piece,count,mm,inch,tape,derivation,note\r\n"));
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 6);
    EXPECT_NE(csv.out.find("\"300 ohm ladder line, one for each gap\""), std::string::npos);

    const Outcome text = runProgram({"sheet", "146", "--date", "2026-02-28"});
    ASSERT_EQ(text.status, 0) << text.err;
    for (const char* part : {"DATE 2026-02-28", "THREE SIDED", "CUT LIST", "354.282", "MEASURED ON THE BUILT ANTENNA"})
        EXPECT_NE(text.out.find(part), std::string::npos) << part;
}

TEST_F(SheetFiles, TheOutputFileNameChoosesTheFormatUnlessOneIsGiven) {
    const struct {
        const char* name;
        std::vector<std::string> extra;
        const char* starts;
    } cases[] = {
        {"s.svg", {}, "<svg"},
        {"s.PDF", {}, "%PDF-"},
        {"s.json", {}, "{"},
        {"s.csv", {}, "piece,"},
        {"s.txt", {}, "BRIMALOX ANTENNA BUILD SHEET"},
        {"sheet", {"--format", "svg"}, "<svg"},
        {"s.svg", {"--format", "text"}, "BRIMALOX"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"sheet", "146", "-o", (dir_ / c.name).string()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Outcome outcome = runProgram(args);
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_TRUE(outcome.out.empty());
        EXPECT_TRUE(readFile(dir_ / c.name).starts_with(c.starts)) << c.name;
    }
}

TEST_F(SheetFiles, PdfIsOnePageOfTheChosenPaper) {
    for (const auto& [paper, box] : {std::pair{"a4", "595.275"}, std::pair{"letter", "612 792"}}) {
        const auto path = dir_ / (std::string(paper) + ".pdf");
        const Outcome outcome = runProgram({"sheet", "222.5", "--sides", "4", "--paper", paper, "-o", path.string()});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        const std::string pdf = readFile(path);
        const std::regex page(R"(/Type\s*/Page[^s])");
        EXPECT_EQ(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()), 1)
            << paper;
        EXPECT_NE(pdf.find(box), std::string::npos) << paper;
    }
}

TEST(SheetCommand, FailuresAndUsageErrorsAreTold) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* said;
    } cases[] = {
        {{"sheet", "abc"}, 1, "design for frequency \"abc\" failed at ACCEPT"},
        {{"sheet", "1e9"}, 1, "there is nothing to cut"},
        {{"sheet", "-146"}, 1, "no build sheet: the frequency field (Text2) holds \"-146\", not a positive number"},
        {{"sheet", "146", "--mm", "x"}, 1, "--mm \"x\" is not a number"},
        {{"sheet", "146", "--date", "2026-02-30"}, 2, "not a date of the form YYYY-MM-DD"},
        {{"sheet", "146", "--paper", "a3"}, 2, "a3"},
        {{"sheet", "146", "--format", "png"}, 2, "png"},
        {{"sheet", "146", "--sides", "5"}, 2, "is not 3 or 4"},
        {{"sheet", "146", "--joint-allowance", "-1"}, 2, "--joint-allowance -1 is negative"},
        {{"sheet", "146", "--joint-allowance", "abc"}, 2, "--joint-allowance needs a length in mm"},
        {{"sheet", "146", "--balun", "0"}, 2, "--balun 0 is outside 0.25 to 16"},
        {{"sheet", "146", "--feed-line", "300,1.2"}, 2, "--feed-line's velocity factor 1.2 is outside 0 to 1"},
        {{"sheet"}, 2, "FREQ"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = runProgram(c.args);
        EXPECT_EQ(outcome.status, c.status) << c.args.back();
        EXPECT_TRUE(outcome.out.empty()) << c.args.back();
        EXPECT_NE(outcome.err.find(c.said), std::string::npos) << outcome.err;
    }
}

TEST(SheetCommand, ModelFiguresAreSimulatesForTheSameDesignAndGround) {
    const std::vector<std::string> design{"146", "--sides", "4", "--ground", "average", "--height", "5"};
    std::vector<std::string> sheetArgs{"sheet", "--model", "--format", "json"};
    sheetArgs.insert(sheetArgs.begin() + 1, design.begin(), design.end());
    std::vector<std::string> simulateArgs{"simulate", "--format", "json"};
    simulateArgs.insert(simulateArgs.begin() + 1, design.begin(), design.end());
    const Outcome sheet = runProgram(sheetArgs), simulate = runProgram(simulateArgs);
    ASSERT_EQ(sheet.status, 0) << sheet.err;
    ASSERT_EQ(simulate.status, 0) << simulate.err;
    const auto model = nlohmann::json::parse(sheet.out).at("model");
    const auto report = nlohmann::json::parse(simulate.out);
    EXPECT_EQ(model.at("lowest_swr"), report.at("lowest_swr").at("swr"));
    EXPECT_EQ(model.at("lowest_swr_mhz"), report.at("lowest_swr").at("mhz"));
    const auto& stretches = report.at("below_2_to_1_stretches");
    ASSERT_EQ(model.at("below_2_to_1").size(), stretches.size());
    for (std::size_t i = 0; i < stretches.size(); ++i) {
        EXPECT_EQ(model.at("below_2_to_1")[i].at("from_mhz"), stretches[i].at("from_mhz"));
        EXPECT_EQ(model.at("below_2_to_1")[i].at("to_mhz"), stretches[i].at("to_mhz"));
    }
    EXPECT_EQ(model.at("max_gain_dbi"), report.at("max_gain").at("dbi"));
    EXPECT_EQ(model.at("height_m"), 5.0);
    EXPECT_EQ(model.at("ground"), "average ground (13, 0.005 S/m)");
    // The SWR at the design frequency is the sweep's row at 146 MHz.
    bool found = false;
    for (const auto& row : report.at("sweep"))
        if (row.at("mhz") == 146.0) {
            EXPECT_EQ(model.at("swr_at_design"), row.at("swr"));
            found = true;
        }
    EXPECT_TRUE(found);

    const Outcome refused = runProgram({"sheet", "146", "--ground", "average", "--height", "5"});
    EXPECT_EQ(refused.status, kExitUsage);
    EXPECT_NE(refused.err.find("--ground requires --model"), std::string::npos) << refused.err;
}

// Insulated wire: the bare digits stay as the window shows them, the insulated lengths stand beside
// them, scaled by simulate's ratio for the same coat.
TEST(SheetCommand, InsulatedLengthsStandBesideTheBareDigits) {
    const Outcome bare = runProgram({"sheet", "146", "--format", "json"});
    // A coat runs the model by itself: its lengths come from there.
    const Outcome coated = runProgram({"sheet", "146", "--insulation", "0.5,PVC", "--format", "json"});
    const Outcome simulate = runProgram({"simulate", "146", "--insulation", "0.5,PVC", "--format", "json"});
    ASSERT_EQ(coated.status, 0) << coated.err;
    ASSERT_EQ(simulate.status, 0) << simulate.err;
    const auto bareCuts = nlohmann::json::parse(bare.out).at("cut_list");
    const auto sheet = nlohmann::json::parse(coated.out);
    const double ratio = nlohmann::json::parse(simulate.out).at("insulation").at("length_ratio");
    EXPECT_EQ(sheet.at("model").at("length_ratio"), ratio);
    ASSERT_EQ(sheet.at("cut_list").size(), bareCuts.size());
    for (std::size_t i = 0; i < bareCuts.size(); ++i)
        EXPECT_EQ(sheet.at("cut_list")[i].at("mm"), bareCuts[i].at("mm"));
    const std::string sideNote = sheet.at("cut_list")[0].at("note");
    char expected[64];
    std::snprintf(expected, sizeof expected, "in the insulated wire %.1f mm", 266.718 * ratio);
    EXPECT_NE(sideNote.find(expected), std::string::npos) << sideNote;
    EXPECT_EQ(std::string(bareCuts[0].at("note")).find("insulated"), std::string::npos);
}

// The feed's pieces on the sheet, and its check run through that feed: simulate's figures at the rig.
TEST(SheetCommand, AFeedIsListedAndTheCheckRunsThroughIt) {
    const std::vector<std::string> feed{"146", "--balun", "4", "--coax", "50,0.66,5,7", "--format", "json"};
    std::vector<std::string> sheetArgs{"sheet", "--model"}, simulateArgs{"simulate"};
    sheetArgs.insert(sheetArgs.end(), feed.begin(), feed.end());
    simulateArgs.insert(simulateArgs.end(), feed.begin(), feed.end());
    const Outcome sheet = runProgram(sheetArgs), simulate = runProgram(simulateArgs);
    ASSERT_EQ(sheet.status, 0) << sheet.err;
    ASSERT_EQ(simulate.status, 0) << simulate.err;
    const auto json = nlohmann::json::parse(sheet.out);
    const auto report = nlohmann::json::parse(simulate.out);
    const auto& model = json.at("model");
    EXPECT_EQ(model.at("plane"), "rig");
    EXPECT_EQ(model.at("z0_ohms"), 50.0);
    EXPECT_EQ(model.at("lowest_swr"), report.at("lowest_swr").at("swr"));
    EXPECT_EQ(model.at("swr_one_line_reversed"), report.at("feed").at("reversed_line").at("rig_swr_one_reversed"));
    const auto& pieces = json.at("feed").at("pieces");
    ASSERT_EQ(pieces.size(), 3u);  // the lines, the balun, the coax
    EXPECT_EQ(pieces[0].at("count"), "3");
    EXPECT_EQ(pieces[0].at("mm"), json.at("match_mm"));  // the series match length, twin lead of VF 0.82
    EXPECT_EQ(pieces[1].at("piece"), "BALUN");
    EXPECT_EQ(pieces[2].at("mm"), "5000");
    EXPECT_NE(std::string(json.at("feed").at("polarity")).find("EVERY A TOGETHER"), std::string::npos);

    // Without --model the pieces are listed all the same, and the line's length follows its VF's note.
    const Outcome text = runProgram({"sheet", "146", "--feed-line", "300,0.66"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("339.0411 mm"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("POLARITY:"), std::string::npos);
    EXPECT_NE(text.out.find("none run for this sheet"), std::string::npos);
}

// The allowance is added to each piece but the gaps, the design's lengths kept beside it.
TEST(SheetCommand, AJointAllowanceLengthensEachPieceToCut) {
    const Outcome json = runProgram({"sheet", "146", "--joint-allowance", "2.5", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto sheet = nlohmann::json::parse(json.out);
    const struct {
        std::size_t row;
        const char *mm, *cut;
    } rows[] = {{0, "266.718", "269.218"},
                {1, "354.282", "356.782"},
                {2, "9.67", "9.67"},
                {3, "421.2329", "423.7329"},
                {4, "3726", "3756"}};
    for (const auto& r : rows) {
        const auto& piece = sheet.at("cut_list")[r.row];
        EXPECT_EQ(piece.at("mm"), r.mm);
        EXPECT_EQ(piece.at("cut_mm"), r.cut) << r.row;
    }
    EXPECT_EQ(sheet.at("joint_allowance_mm"), 2.5);
    const Outcome csv = runProgram({"sheet", "146", "--joint-allowance", "2.5", "--format", "csv"});
    EXPECT_TRUE(csv.out.starts_with("piece,count,mm,inch,tape,derivation,note,cut_mm,cut_inch,cut_tape\r\n"));
    const Outcome none = runProgram({"sheet", "146", "--joint-allowance", "0", "--format", "json"});
    EXPECT_EQ(none.out, runProgram({"sheet", "146", "--format", "json"}).out);
}

TEST(SheetCommand, TheDateIsTodayUnlessGiven) {
    const Outcome outcome = runProgram({"sheet", "146", "--format", "json"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string date = nlohmann::json::parse(outcome.out).at("date");
    EXPECT_TRUE(sheet::validDate(date)) << date;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(std::stoi(date.substr(0, 4)), local.tm_year + 1900);
}

}  // namespace
}  // namespace brimalox::cli
