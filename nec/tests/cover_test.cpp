// The search for the design that covers given bands: never worse than trying every design of a
// small space, the winner's figures those of the check, refusals that name the setting.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "nec/check.h"
#include "nec/cover.h"
#include "nec/error.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/report/report.h"
#include "nec/simulation.h"
#include "nec/tests/nec2c_installed.h"

namespace brimalox::nec {
namespace {

using testing::nec2cInstalled;

// nec2c, counting the runs of every engine made, and stopping as Ctrl-C would from a given run on.
struct Engines {
    std::atomic<int> runs{0};
    int interruptFrom = 0;  // 0: never

    class Counting : public Engine {
    public:
        explicit Counting(Engines& owner) : owner_(owner) {}
        std::string run(const std::string& deck, const FrequenciesDone& progress) override {
            const int run = ++owner_.runs;
            if (owner_.interruptFrom > 0 && run >= owner_.interruptFrom) throw Interrupted(2);
            return nec2c_.run(deck, progress);
        }

    private:
        Engines& owner_;
        Nec2cProgram nec2c_;
    };
    EngineMaker maker() {
        return [this] { return std::make_unique<Counting>(*this); };
    }
};

CoverRequest bands(std::vector<std::string> texts, std::string conductors = "recommended") {
    CoverRequest r;
    r.settings.bands = std::move(texts);
    r.settings.conductors = std::move(conductors);
    return r;
}

// The highest SWR simulate gives over a band's own points, as a sweep of its own.
double simulatedWorst(const CoverPlan& plan, const DesignRequest& design, const Band& band) {
    Request request;
    request.design = design;
    request.settings = plan.model;
    const Sweep points = bandSweep(band);
    request.settings.from = exactText(points.fromMhz);
    request.settings.to = exactText(band.toMhz);
    request.settings.step = exactText(points.stepMhz);
    Nec2cProgram nec2c;
    const Result result = simulate(request, nec2c);
    EXPECT_EQ(result.analysis.rows.size(), static_cast<std::size_t>(points.count));
    double worst = 0;
    for (const SweepRow& row : result.analysis.rows)
        worst = std::max(worst, row.swr);
    return worst;
}

TEST(Cover, RefusalsNameTheSettingAndSayWhy) {
    struct Case {
        std::vector<std::string> bands;
        std::string conductors;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {{"144:144"}, "recommended", {"band 144:144", "empty"}},
        {{"148:144"}, "recommended", {"band 148:144", "backwards"}},
        {{"144"}, "recommended", {"band", "FROM:TO"}},
        {{"144:x"}, "recommended", {"band 144:x's TO", "number"}},
        {{"0:5"}, "recommended", {"band 0:5's FROM", "positive"}},
        {{"1e-300:2e-300"}, "recommended", {"outside what the model can run"}},
        {{"144:148", "146:150"}, "recommended", {"overlaps"}},
        {{}, "recommended", {"at least one band"}},
        {{"144:148"}, "", {"conductors", "no conductor"}},
        {{"144:148"}, "recommended,,8", {"conductors", "empty item"}},
        {{"144:148"}, "copper", {"conductors \"copper\""}},
        {{"144:148"}, "-3", {"conductors tube diameter", "positive"}},
    };
    for (const Case& c : cases) {
        try {
            planCover(bands(c.bands, c.conductors));
            ADD_FAILURE() << c.conductors << " was taken";
        } catch (const Refused& e) {
            for (const std::string& part : c.said)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what() << " lacks " << part;
        }
    }
    CoverRequest named = bands({"148:144"});
    named.names.band = "--band";
    EXPECT_THROW(
        try { planCover(named); } catch (const Refused& e) {
            EXPECT_EQ(std::string(e.what()).rfind("--band 148:144", 0), 0u) << e.what();
            throw;
        },
        Refused);
}

TEST(Cover, BandPointsIncludeBothEndsAndStayClose) {
    for (const Band band : {Band{145, 147}, Band{144, 148}, Band{222, 225}, Band{7, 7.3}, Band{50, 54}}) {
        const Sweep s = bandSweep(band);
        EXPECT_DOUBLE_EQ(s.fromMhz, band.fromMhz);
        EXPECT_NEAR(s.toMhz(), band.toMhz, 1e-9);
        EXPECT_LE(s.stepMhz, (band.fromMhz + band.toMhz) / 2 * 0.005 + 1e-12);
        EXPECT_GE(s.count, 2);
    }
}

TEST(Cover, EachBandIsItsOwnSweepInTheDeck) {
    SimulationSetup setup;
    setup.geometry = geometryFromTexts(designTexts(runDesign(DesignRequest{"170", 3, {}}), 3));
    setup.sweep = bandSweep({144, 148});
    setup.moreSweeps = {bandSweep({222, 225}), bandSweep({430, 440})};
    const PreparedDeck deck = prepareDeck(setup);
    std::vector<double> expected;
    for (const Sweep& s : {setup.sweep, setup.moreSweeps[0], setup.moreSweeps[1]}) {
        const std::string card =
            "FR 0 " + std::to_string(s.count) + " 0 0 " + exactText(s.fromMhz) + " " + exactText(s.stepMhz) + "\nXQ\n";
        EXPECT_NE(deck.deck.find(card), std::string::npos) << card;
        for (double mhz : sweepFrequencies(s))
            expected.push_back(mhz);
    }
    EXPECT_EQ(deck.plan.sweepMhz, expected);
    EXPECT_TRUE(deck.plan.patternMhz.empty());
}

TEST(Cover, NeverWorseThanTryingEveryDesignAndItsFiguresAreTheChecks) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    CoverRequest request = bands({"145:147"});
    request.gridMhz = 1;
    request.searchFromMhz = 140;
    request.searchToMhz = 152;
    const CoverPlan plan = planCover(request);
    Engines engines;
    const CoverResult result = cover(plan, engines.maker(), 2);
    ASSERT_FALSE(result.ranked.empty());
    const Candidate& best = result.ranked.front();

    double bruteBest = std::numeric_limits<double>::infinity();
    for (int mhz = 140; mhz <= 152; ++mhz) {
        DesignRequest design{std::to_string(mhz), 3, {}};
        bruteBest = std::min(bruteBest, simulatedWorst(plan, design, plan.bands.front()));
    }
    EXPECT_LE(best.worst, bruteBest + 1e-12);
    // Fewer runs than trying all 13, the winner's own run included.
    EXPECT_LT(result.runs, 13);
    EXPECT_EQ(result.runs, engines.runs.load());

    // The winner's band figure is what simulate says over the same points, and its run is simulate's.
    EXPECT_DOUBLE_EQ(best.bandWorst.front(), simulatedWorst(plan, best.design, plan.bands.front()));
    ASSERT_TRUE(result.winner.has_value());
    Nec2cProgram nec2c;
    const Result check = simulate(winnerRequest(plan, best.design), nec2c);
    EXPECT_EQ(report(*result.winner, ReportFormat::Json), report(check, ReportFormat::Json));
    ASSERT_EQ(result.winner->analysis.patterns.size(), 2u);
    EXPECT_DOUBLE_EQ(result.winner->analysis.patterns[bandPattern(0)].mhz, 146);
}

TEST(Cover, ABandTheDesignsOwnStretchCoversIsCoveredInFewRuns) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Engines engines;
    const CoverResult result = cover(planCover(bands({"145:147"})), engines.maker(), 2);
    ASSERT_TRUE(result.covered());
    EXPECT_LT(result.ranked.front().worst, 2);
    EXPECT_LE(result.runs, 30);
    EXPECT_GE(result.ranked.size(), 2u);
    for (std::size_t i = 1; i < result.ranked.size(); ++i)
        EXPECT_LE(result.ranked[i - 1].worst, result.ranked[i].worst);
}

TEST(Cover, BandsNoDesignCoversGiveTheClosest) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Engines engines;
    // Further apart than one design's stretch, not so far apart that no conductor could bridge them.
    CoverRequest request = bands({"130:131", "190:191"});
    request.gridMhz = 2;
    request.searchFromMhz = 150;
    request.searchToMhz = 200;
    const CoverResult result = cover(planCover(request), engines.maker(), 2);
    EXPECT_FALSE(result.covered());
    ASSERT_FALSE(result.ranked.empty());
    EXPECT_GT(result.ranked.front().worst, 2);
    // Gauges and tubes thicker than the recommended minimum, each of which the model can run there.
    ASSERT_GE(result.thicker.size(), 2u);
    EXPECT_EQ(result.thicker.front(), "gauges");
    for (std::size_t i = 1; i < result.thicker.size(); ++i) {
        CoverRequest thicker = request;
        thicker.settings.conductors = result.thicker[i];
        thicker.searchFromMhz = thicker.searchToMhz = std::stod(result.ranked.front().design.frequencyText);
        Engines one;
        EXPECT_FALSE(cover(planCover(thicker), one.maker(), 1).ranked.empty()) << result.thicker[i];
    }
    EXPECT_NE(coverText(result).find(thickerAdvice(result)), std::string::npos);
    ASSERT_EQ(result.ranked.front().bandWorst.size(), 2u);
    // The SWR to 2 places and said what it is; the take-off angle to 0.1 degree.
    const std::string text = coverText(result);
    for (const std::string& part : {"worst SWR " + swrFigure(result.ranked.front().worst) + " (", swrMeaning(300)})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    ASSERT_TRUE(result.winner && !result.winner->analysis.patterns.empty());
    EXPECT_NE(text.find(", take-off " + degreesFigure(result.winner->analysis.patterns.front().takeoffDeg) + " deg"),
              std::string::npos)
        << text;
}

// 2 m and 70 cm: a factor of three apart, which no conductor bridges; the words say so, and what one
// design covers, rather than offering a thicker conductor.
TEST(Cover, BandsTooFarApartForOneAntennaAreSaidSo) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Engines engines;
    CoverRequest request = bands({"144:148", "420:450"});
    request.gridMhz = 4;
    const CoverResult result = cover(planCover(request), engines.maker(), 2);
    ASSERT_FALSE(result.covered());
    ASSERT_TRUE(result.farApart.has_value());
    EXPECT_DOUBLE_EQ(result.farApart->span, 450.0 / 144);
    EXPECT_TRUE(result.thicker.empty());
    // What one design covers is the closest design's own stretch, well short of the bands' span.
    ASSERT_TRUE(result.winner.has_value());
    const auto stretches = stretchesBelow(result.winner->analysis.rows, 2);
    if (stretches.empty()) {
        EXPECT_EQ(result.farApart->covered, 0);
    } else {
        EXPECT_GT(result.farApart->covered, 1);
        EXPECT_LT(result.farApart->covered, 2);
    }
    const std::string advice = thickerAdvice(result);
    for (const std::string part : {"too far apart for one antenna", "144 to 450 MHz", "Build an antenna for each band"})
        EXPECT_NE(advice.find(part), std::string::npos) << part << "\n" << advice;
    EXPECT_EQ(advice.find("Thicker"), std::string::npos) << advice;
    EXPECT_NE(coverText(result).find(advice), std::string::npos);
}

TEST(Cover, AConductorThickerThanTheGapIsCutAndSaidSo) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    // An 8 mm tube outgrows the gap (9.67 mm at 146 MHz, shrinking as 1/f) above about 176 MHz.
    CoverRequest request = bands({"180:181"}, "8");
    request.gridMhz = 1;
    request.searchFromMhz = 150;
    request.searchToMhz = 200;
    Engines engines;
    const CoverResult result = cover(planCover(request), engines.maker(), 2);
    ASSERT_FALSE(result.limits.empty());
    EXPECT_NE(result.limits.front().find("8 mm: designs from"), std::string::npos) << result.limits.front();
    EXPECT_NE(result.limits.front().find("beyond NEC-2"), std::string::npos) << result.limits.front();
    ASSERT_FALSE(result.ranked.empty());
}

// Where there are no threads (the page's worker), the candidates run one after the other on the
// caller and the search is the same: the same candidates, the same runs, the same report.
TEST(Cover, OneAtATimeSearchesAsThreadsDo) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    const CoverPlan plan = planCover(bands({"144:148", "222:225"}));
    Engines threaded, sequential;
    int largestCall = 0;
    const SideBySide counted = [&](int workers, const std::function<void()>& work) {
        largestCall = std::max(largestCall, workers);
        oneAtATime(workers, work);
    };
    std::vector<int> told;
    const CoverResult onThreads = cover(plan, threaded.maker(), 2);
    const CoverResult alone =
        cover(plan, sequential.maker(), 2, counted, [&](int runs, int, const Candidate*) { told.push_back(runs); });
    EXPECT_EQ(largestCall, 2);  // asked for two side by side, ran them in turn
    EXPECT_EQ(alone.runs, onThreads.runs);
    EXPECT_EQ(sequential.runs.load(), threaded.runs.load());
    EXPECT_EQ(coverText(alone), coverText(onThreads));
    ASSERT_FALSE(told.empty());
    // Each run told once, then the end (the winner's runs counted) once more.
    ASSERT_GE(told.size(), 2u);
    for (std::size_t i = 0; i + 1 < told.size(); ++i)
        EXPECT_EQ(told[i], static_cast<int>(i) + 1);
    EXPECT_EQ(told.back(), alone.runs);
}

// The total told with the progress is one the search never exceeds: planned before the first run,
// never rising, the runs taken once it ends; over searches wide and narrow, bounded and not, of one
// conductor and of many.
TEST(Cover, TheRunsPlannedBoundTheRunsTaken) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    struct Case {
        std::vector<std::string> bands;
        std::string conductors;
        double gridMhz, fromMhz, toMhz;
    };
    const std::vector<Case> cases{
        {{"145:147"}, "recommended", 0, 0, 0},
        {{"144:148", "222:225"}, "recommended,6,10", 0, 0, 0},
        {{"100:101", "300:301"}, "recommended", 2, 150, 200},
    };
    for (const Case& c : cases) {
        CoverRequest request = bands(c.bands, c.conductors);
        request.gridMhz = c.gridMhz;
        request.searchFromMhz = c.fromMhz;
        request.searchToMhz = c.toMhz;
        const CoverPlan plan = planCover(request);
        std::vector<std::pair<int, int>> told;
        Engines engines;
        const CoverResult result = cover(plan, engines.maker(), 2, [&](int runs, int planned, const Candidate*) {
            told.push_back({runs, planned});
        });
        const std::string named = c.bands.front() + " " + c.conductors;
        ASSERT_FALSE(told.empty()) << named;
        EXPECT_LE(told.front().second, plannedRuns(plan)) << named;
        for (std::size_t i = 0; i < told.size(); ++i) {
            EXPECT_LE(told[i].first, told[i].second) << named << " report " << i;
            if (i) {
                EXPECT_LE(told[i].second, told[i - 1].second) << named << " report " << i;
            }
        }
        EXPECT_EQ(told.back(), std::make_pair(result.runs, result.runs)) << named;
        EXPECT_EQ(result.runs, engines.runs.load()) << named;
    }
}

TEST(Cover, CtrlCStopsWithTheBestFound) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Engines engines;
    engines.interruptFrom = 4;
    const CoverResult result = cover(planCover(bands({"145:147"})), engines.maker(), 1);
    EXPECT_EQ(result.interrupted, 2);
    EXPECT_EQ(result.runs, 3);
    ASSERT_FALSE(result.ranked.empty());
    EXPECT_FALSE(result.winner.has_value());
}

}  // namespace
}  // namespace brimalox::nec
