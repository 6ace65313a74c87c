// brimalox-cli cover: its refusals name the option, its JSON holds the winner under design's keys.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/tests/run_cli.h"

namespace brimalox::cli {
namespace {

using clitest::Outcome;
using clitest::runProgram;

TEST(CoverCommand, ARefusalNamesTheOptionAndCostsNoRun) {
    struct Case {
        std::vector<std::string> args;
        std::string said;
    };
    const std::vector<Case> cases{
        {{"--band", "148:144"}, "--band 148:144 is given backwards"},
        {{"--band", "144:144"}, "--band 144:144 is empty"},
        {{"--band", "144:148", "--conductors", ""}, "--conductors allows no conductor"},
        {{"--band", "144:148", "--max-swr", "0.5"}, "--max-swr 0.5 is below 1"},
        {{"--band", "144:148", "--height", "5"}, "--height 5 needs a ground"},
        {{"--band", "144:148", "--jobs", "1.5"}, "--jobs needs a whole number"},
        {{"--band", "144:148", "--z0", "0"}, "--z0 needs a positive number"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"cover"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Outcome o = runProgram(args);
        EXPECT_EQ(o.status, kExitUsage) << c.said;
        EXPECT_NE(o.err.find(c.said), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find("runs, best so far"), std::string::npos) << c.said;
    }
}

TEST(CoverCommand, TheJsonHoldsTheWinnerUnderTheDesignKeys) {
    if (std::system("command -v nec2c > /dev/null 2>&1") != 0) GTEST_SKIP() << "nec2c is not installed";
    const Outcome o = runProgram({"cover", "--band", "145:147", "--format", "json", "--jobs", "2"});
    ASSERT_EQ(o.status, 0) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    const nlohmann::json& best = j.at("best");
    const std::string frequency = best.at("design").at("frequency");
    const Outcome design = runProgram({"design", frequency, "--format", "json"});
    ASSERT_EQ(design.status, 0) << design.err;
    EXPECT_EQ(best.at("design"), nlohmann::json::parse(design.out).at(0));
    ASSERT_EQ(best.at("bands").size(), 1u);
    EXPECT_EQ(best.at("bands")[0].at("from"), 145);
    EXPECT_EQ(best.at("bands")[0].at("worst_swr"), best.at("worst_swr"));
    // A stretch below 2:1 is written as the check's report writes one.
    const Outcome check = runProgram({"simulate", frequency, "--format", "json"});
    ASSERT_EQ(check.status, 0) << check.err;
    const auto keys = [](const nlohmann::json& object) {
        std::vector<std::string> names;
        for (const auto& [key, value] : object.items())
            names.push_back(key);
        return names;
    };
    const nlohmann::json& stretches = best.at("below_2_to_1_stretches");
    ASSERT_FALSE(stretches.empty());
    EXPECT_EQ(keys(stretches.front()), keys(nlohmann::json::parse(check.out).at("below_2_to_1")));
    EXPECT_TRUE(j.at("covered").get<bool>());
    EXPECT_GT(j.at("runs").get<int>(), 0);
    EXPECT_NE(o.err.find("runs, best so far"), std::string::npos);
}

}  // namespace
}  // namespace brimalox::cli
