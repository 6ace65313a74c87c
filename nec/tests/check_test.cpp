// The check as every front-end runs it: a request in, a result out, through any engine.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nec/check.h"
#include "nec/error.h"
#include "nec/native/runner.h"
#include "nec/report/report.h"
#include "nec/tests/nec2c_installed.h"

namespace brimalox::nec {
namespace {

using testing::nec2cInstalled;

// Runs nec2c, keeps every deck and tells the progress a frequency at a time, as the page's engine does.
class RecordingEngine : public Engine {
public:
    std::string run(const std::string& deck, const FrequenciesDone& progress) override {
        decks.push_back(deck);
        const std::string output = nec2c.run(deck, progress);
        int frequencies = 0;
        for (auto at = output.find("FREQUENCY : "); at != std::string::npos; at = output.find("FREQUENCY : ", at + 1))
            if (progress) progress(++frequencies);
        return output;
    }
    Nec2cProgram nec2c;
    std::vector<std::string> decks;
};

Request road(const std::string& mhz, int sides) {
    Request r;
    r.design.frequencyText = mhz;
    r.design.sides = sides;
    return r;
}

// The texts the window shows after ACCEPT and COMPUTE.
DesignTexts shownAfterCompute(const std::string& mhz, int sides) {
    return designTexts(runDesign(DesignRequest{mhz, sides, {}}), sides);
}

TEST(Check, TheWindowsTextsMakeTheSameDeckAsTheRoad) {
    for (int sides : {3, 4}) {
        Request shown;
        shown.shown = shownAfterCompute("146", sides);
        EXPECT_EQ(prepare(shown).deck.deck, prepare(road("146", sides)).deck.deck) << sides;
    }
}

TEST(Check, AnUnfinishedWindowSaysWhichFieldAndWhatToDo) {
    struct Case {
        const char* name;
        void (*spoil)(DesignTexts&);
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {"no option", [](DesignTexts& d) { d.sides = 0; }, {"THREE SIDED or FOUR SIDED", "COMPUTE"}},
        {"no height yet", [](DesignTexts& d) { d.heightMm.clear(); }, {"Text13", "is empty", "click COMPUTE"}},
        {"side not a number", [](DesignTexts& d) { d.sideMm = "abc"; }, {"Text17", "\"abc\"", "not a positive number"}},
        {"gap zero", [](DesignTexts& d) { d.gapMm = "0.000"; }, {"Text20", "\"0.000\""}},
        {"conductor typed over", [](DesignTexts& d) { d.mm = "-2"; }, {"Text8", "CHANGE"}},
        {"frequency typed over", [](DesignTexts& d) { d.frequency = "1e999"; }, {"Text2", "ACCEPT"}},
    };
    for (const Case& c : cases) {
        Request r;
        r.shown = shownAfterCompute("146", 3);
        c.spoil(*r.shown);
        try {
            prepare(r);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Refused& e) {
            for (const std::string& part : c.said)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

// Refusals use the names the front-end gives its settings, and no other.
TEST(Check, RefusalsUseTheFrontEndsNames) {
    struct Case {
        void (*set)(Settings&);
        const char* said;
    };
    const std::vector<Case> cases{
        {[](Settings& s) { s.z0 = "0"; }, "Z0 needs a positive number, not \"0\""},
        {[](Settings& s) { s.from = "x"; }, "FROM needs a number"},
        {[](Settings& s) { s.from = "150", s.to = "140"; }, "TO 140 MHz is below FROM 150 MHz"},
        {[](Settings& s) { s.height = "5"; }, "HEIGHT 5 needs a ground"},
        {[](Settings& s) { s.ground = "average"; }, "GROUND average needs HEIGHT"},
        {[](Settings& s) { s.ground = "average", s.height = "0.001"; }, "HEIGHT 0.001: a height of 0.001 m is too low"},
        {[](Settings& s) { s.heights = "2:10:1"; }, "HEIGHTS needs a ground"},
        {[](Settings& s) { s.patternAt = {"-3"}; }, "AT needs a positive number"},
    };
    for (const Case& c : cases) {
        Request r = road("146", 3);
        r.names.from = "FROM";
        r.names.to = "TO";
        r.names.ground = "GROUND";
        r.names.height = "HEIGHT";
        r.names.heights = "HEIGHTS";
        r.names.z0 = "Z0";
        r.names.patternAt = "AT";
        c.set(r.settings);
        try {
            prepare(r);
            ADD_FAILURE() << c.said << ": accepted";
        } catch (const Refused& e) {
            EXPECT_NE(std::string(e.what()).find(c.said), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find("--"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(prepare(road("abc", 3)), NecError);  // the road's own failure, not a setting
}

TEST(Check, ProgressCountsEveryFrequencyAndHeight) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Request r = road("146", 3);
    r.settings.from = "140";
    r.settings.to = "150";
    r.settings.step = "5";
    r.settings.ground = "perfect";
    r.settings.height = "3";
    r.settings.heights = "3:4:1";
    RecordingEngine engine;
    std::vector<std::pair<int, int>> told;
    const Result result = simulate(r, engine, [&](int done, int total) { told.emplace_back(done, total); });
    // Three sweep frequencies and the pattern at 146 MHz, then one run for each of two heights.
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), std::make_pair(6, 6));
    for (std::size_t i = 1; i < told.size(); ++i) {
        EXPECT_GE(told[i].first, told[i - 1].first);
        EXPECT_EQ(told[i].second, 6);
    }
    // The deck and its short fine cut through the lobe, the two small free-space decks that measure the
    // extended kernel, then each height's deck and its cut; only the decks' frequencies tell progress.
    ASSERT_EQ(engine.decks.size(), 8u);
    EXPECT_EQ(engine.decks.front(), result.deck);
    for (std::size_t i : {1, 5, 7}) {
        const std::string &run = engine.decks[i - 1], &cut = engine.decks[i];
        EXPECT_EQ(cut.substr(0, cut.find("FR ")), run.substr(0, run.find("FR ")));  // the same model
        EXPECT_EQ(cut.find(" 1001 "), std::string::npos);                           // nothing averaged
    }
    EXPECT_EQ(result.heights.size(), 2u);
    EXPECT_EQ(result.analysis.rows.size(), 3u);
    EXPECT_FALSE(heightsChart(result).empty());
    EXPECT_NE(report(result, ReportFormat::Text).find("height above perfect ground"), std::string::npos);
}

}  // namespace
}  // namespace brimalox::nec
