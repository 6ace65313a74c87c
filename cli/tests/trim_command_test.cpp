// `brimalox-cli trim`: the options, the three formats and the refusals in the command line's words.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/model_commands.h"
#include "cli/tests/run_command.h"
#include "nec/tests/nec2c_installed.h"

namespace brimalox::cli {
namespace {

using clitest::Outcome;

Outcome run(std::vector<std::string> args) { return clitest::runCommand(addTrimCommand, std::move(args)); }

using nec::testing::nec2cInstalled;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TrimCommand, UsageErrorsBeforeAnyRun) {
    struct Case {
        std::vector<std::string> args;
        const char* said;
    };
    const std::vector<Case> cases{
        {{"trim", "146"}, "give one of --measured"},
        {{"trim", "146", "--measured-2to1", "132.7"}, "--measured-2to1 needs LOW:HIGH"},
        {{"trim", "146", "--measured-2to1", "132.7:x"}, "--measured-2to1's HIGH needs a number"},
        {{"trim", "146", "--measured-min", "-3"}, "--measured-min needs a positive number"},
        {{"trim", "146", "--measured-min", "148", "--measured-2to1", "130:170"}, "excludes"},
        {{"trim", "146", "--measured", "/nonexistent/built.s1p"}, ""},
    };
    for (const Case& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_NE(o.status, 0) << c.said;
        EXPECT_TRUE(has(o.err, c.said)) << o.err;
        EXPECT_TRUE(o.out.empty()) << c.said;
    }
}

TEST(TrimCommand, EveryFormatSaysTheSameTrim) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    const Outcome text = run({"trim", "146", "--measured-2to1", "132.7:171.5"});
    ASSERT_EQ(text.status, 0) << text.err;
    // The design's lengths as the window shows them; what the SWR is.
    for (const char* part :
         {"ratio: 0.9", "the antenna is electrically 3.", "% long", "gap: 9.67 mm (0.381 inch)",
          "height: 718.234 mm (28.277 inch) becomes ", "cut list:", "cut ", "model of the trimmed design",
          "the built antenna after the trim should show", "on the 300 ohm line right at a gap"})
        EXPECT_TRUE(has(text.out, part)) << part << "\n" << text.out;

    const Outcome json = run({"trim", "146", "--measured-2to1", "132.7:171.5", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto doc = nlohmann::json::parse(json.out);
    const double ratio = doc["ratio"];
    char shown[32];
    std::snprintf(shown, sizeof shown, "ratio: %.4f ", ratio);
    EXPECT_TRUE(has(text.out, shown)) << shown;
    EXPECT_EQ(doc["electrically"], "long");
    // The targets are the design's times the ratio, to the places the report prints (3).
    EXPECT_NEAR(doc["new_height_mm"].get<double>(), doc["height_mm"].get<double>() * ratio, 0.0005);
    ASSERT_EQ(doc["pieces"].size(), 2u);
    for (const auto& piece : doc["pieces"]) {
        EXPECT_EQ(piece["count"], 6);
        EXPECT_LT(piece["change_mm"].get<double>(), 0);
    }
    // A vertical loses half the height's change: the gap stays. Each length is to the printed places.
    EXPECT_NEAR(doc["pieces"][1]["change_mm"].get<double>(),
                (doc["new_height_mm"].get<double>() - doc["height_mm"].get<double>()) / 2, 0.001);
    // The trimmed model, times the ratio, puts the 2:1 stretch where the design's model has it.
    const auto& model = doc["model"]["below_2_to_1_stretches"][0];
    const auto& expected = doc["expected_after_trim"]["below_2_to_1_stretches"][0];
    EXPECT_NEAR(expected["from_mhz"].get<double>() / model["from_mhz"].get<double>(), 1, 0.01);
    EXPECT_NEAR(expected["to_mhz"].get<double>() / model["to_mhz"].get<double>(), 1, 0.01);

    const Outcome csv = run({"trim", "146", "--sides", "4", "--measured-2to1", "131:176", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out.substr(0, csv.out.find("\r\n")),
              "piece,count,length_mm,new_length_mm,change_mm,length_inch,new_length_inch,change_inch,ratio");
    EXPECT_TRUE(has(csv.out, "\r\nside,8,")) << csv.out;
    EXPECT_TRUE(has(csv.out, "\r\nvertical,8,")) << csv.out;

    const Outcome shortOne = run({"trim", "146", "--measured-2to1", "141:182.5"});
    ASSERT_EQ(shortOne.status, 0) << shortOne.err;
    for (const char* part : {"% short", "must grow", "longer by", "wire cannot be un-cut"})
        EXPECT_TRUE(has(shortOne.out, part)) << part << "\n" << shortOne.out;
}

TEST(TrimCommand, RefusalsAfterTheModelRunUseTheOptionsNames) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> said;
    };
    // An analyser's file whose SWR falls all the way to its last frequency.
    const std::string falling = (std::filesystem::temp_directory_path() / "brimalox-trim-falling.s1p").string();
    std::ofstream(falling) << "# MHz S RI R 300\n120 0.5 0\n140 0.4 0\n160 0.3 0\n180 0.2 0\n200 0.1 0\n";
    const std::vector<Case> cases{
        {{"trim", "146", "--measured", falling}, {"--measured " + falling + " has no clear minimum", "at the end"}},
        {{"trim", "146", "--measured-min", "100"}, {"--measured-min 100 MHz is outside the swept range", "--from"}},
        {{"trim", "146", "--measured-min", "120"},
         {"this is not a trim: check the design frequency and the conductor"}},
    };
    for (const Case& c : cases) {
        const Outcome o = run(c.args);
        EXPECT_EQ(o.status, -1) << o.err;
        for (const std::string& part : c.said)
            EXPECT_TRUE(has(o.err, part)) << part << "\n" << o.err;
    }
    std::filesystem::remove(falling);
    const Outcome dip = run({"trim", "146", "--measured-min", "148.5"});
    ASSERT_EQ(dip.status, 0) << dip.err;
    EXPECT_TRUE(has(dip.out, "which on this antenna is flat")) << dip.out;
}

}  // namespace
}  // namespace brimalox::cli
