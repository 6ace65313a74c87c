#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

#include "nec/analysis.h"
#include "nec/error.h"
#include "nec/output_parser.h"
#include "nec/tests/deck_reader.h"

#include <nlohmann/json.hpp>

namespace brimalox::nec {
namespace {

using test::readText;

// A stored nec2c run of the 146 MHz three-sided deck: 140 and 150 MHz, then the pattern at 146 MHz
// on a 3 x 4 grid (nec/tests/data/nec2c-sample.nec).
TEST(NecOutputParser, ReadsStoredSample) {
    const auto results = parseNecOutput(readText(NEC_TEST_DATA "/nec2c-sample.out"));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_DOUBLE_EQ(results[0].mhz, 140);
    EXPECT_DOUBLE_EQ(results[1].mhz, 150);
    EXPECT_DOUBLE_EQ(results[2].mhz, 146);
    for (const FrequencyRun& result : results) {
        ASSERT_EQ(result.feeds.size(), 3u) << result.mhz;
        EXPECT_EQ(result.feeds[0].tag, 9);
        EXPECT_EQ(result.feeds[1].tag, 14);
        EXPECT_EQ(result.feeds[2].tag, 19);
        EXPECT_EQ(result.feeds[0].segment, 31);
        EXPECT_EQ(result.feeds[2].segment, 57);
        // The three gaps are alike by symmetry.
        EXPECT_EQ(result.feeds[0].ohms, result.feeds[2].ohms);
    }
    EXPECT_EQ(results[0].feeds[0].ohms, std::complex<double>(135.46, -10.404));
    EXPECT_TRUE(results[0].pattern.empty());
    EXPECT_TRUE(results[1].pattern.empty());
    ASSERT_EQ(results[2].pattern.size(), 12u);
    EXPECT_DOUBLE_EQ(results[2].pattern[1].thetaDeg, 45);
    EXPECT_DOUBLE_EQ(results[2].pattern[1].totalDbi, -0.80);
    EXPECT_DOUBLE_EQ(results[2].pattern[11].phiDeg, 270);
    EXPECT_DOUBLE_EQ(results[2].pattern[11].totalDbi, 2.83);
    EXPECT_DOUBLE_EQ(results[2].pattern[0].totalDbi, -171.14);
}

constexpr const char* kHeading =
    "                        --------- ANTENNA INPUT PARAMETERS ---------\n"
    "  TAG   SEG       VOLTAGE (VOLTS)         CURRENT (AMPS)         IMPEDANCE (OHMS)\n"
    "  No:   No:     REAL      IMAGINARY     REAL      IMAGINARY     REAL      IMAGINARY\n";

TEST(NecOutputParser, ReadsColumnsThatTouch) {
    const std::string text = std::string("   FREQUENCY : 2.0000E+03 MHz\n") + kHeading +
                             "    1     2  1.0000E+00  0.0000E+00  1.0E-03-2.0E-03  1.2345E+03-6.7890E+03  0 0 0\n\n";
    const auto results = parseNecOutput(text);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_DOUBLE_EQ(results[0].mhz, 2000);
    ASSERT_EQ(results[0].feeds.size(), 1u);
    EXPECT_EQ(results[0].feeds[0].ohms, std::complex<double>(1234.5, -6789.0));
}

TEST(NecOutputParser, RejectsWhatItCannotRead) {
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases{
        {"empty", ""},
        {"an error message instead of results", "nec2c: some failure\n"},
        {"a frequency without impedances", "   FREQUENCY : 1.4600E+02 MHz\n"},
        {"impedances before any frequency", std::string(kHeading) + "    1     1  1 0 1 0 50 0\n\n"},
        {"a short row", std::string("FREQUENCY : 146 MHz\n") + kHeading + "    1     1  1 0 1 0 50\n\n"},
        {"a row with words", std::string("FREQUENCY : 146 MHz\n") + kHeading + "    1     1  1 0 1 0 50 0\n  oops\n"},
        {"a frequency that is not a number", "   FREQUENCY : lots MHz\n"},
    };
    for (const Case& c : cases)
        EXPECT_THROW(parseNecOutput(c.text), NecError) << c.name;
}

// Found by fuzz_nec_output: a tag or segment number beyond int was converted to int (undefined),
// and "nan" or "inf" read as an impedance or frequency went on into the SWR. Both are unreadable
// output now (fuzz/corpus/nec_output/finding-*).
TEST(NecOutputParser, RejectsNumbersNoRunPrints) {
    const std::string frequency = "FREQUENCY : 146 MHz\n";
    const std::pair<const char*, std::string> cases[] = {
        {"a tag beyond int", frequency + kHeading + "   1e10     1  1 0 1 0 50 0\n\n"},
        {"a segment beyond int", frequency + kHeading + "    1  -3e9  1 0 1 0 50 0\n\n"},
        {"a tag of 1e300", frequency + kHeading + "  1e300     1  1 0 1 0 50 0\n\n"},
        {"an impedance of nan", frequency + kHeading + "    1     1  1 0 1 0 nan 0\n\n"},
        {"a reactance of -inf", frequency + kHeading + "    1     1  1 0 1 0 50 -inf\n\n"},
        {"a frequency of inf", "FREQUENCY : inf MHz\n" + std::string(kHeading) + "    1     1  1 0 1 0 50 0\n\n"},
    };
    for (const auto& [name, text] : cases)
        EXPECT_THROW(parseNecOutput(text), NecError) << name;
    // The largest tag an int holds is still a tag.
    const auto results = parseNecOutput(frequency + kHeading + " 2147483647     1  1 0 1 0 50 0\n\n");
    EXPECT_EQ(results.at(0).feeds.at(0).tag, 2147483647);
}

TEST(Swr, AgainstFeedLine) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::complex<double> load;
        double z0, expected;
    };
    // 300 + j300 on 300 ohms: |G| = 300 / |600 + j300| = 1 / sqrt(5).
    const double g = 1 / std::sqrt(5.0);
    const std::vector<Case> cases{
        {{300, 0}, 300, 1},
        {{600, 0}, 300, 2},
        {{150, 0}, 300, 2},
        {{50, 0}, 50, 1},
        {{300, 300}, 300, (1 + g) / (1 - g)},
        {{0, 100}, 300, inf},
        {{-5, 0}, 300, inf},
        {{1e-300, 0}, 300, inf},
    };
    for (const Case& c : cases) {
        const double got = swr(c.load, c.z0);
        if (std::isinf(c.expected))
            EXPECT_TRUE(std::isinf(got)) << c.load;
        else
            EXPECT_NEAR(got, c.expected, 1e-12) << c.load;
    }
}

// Sweep rows with one gap whose resistance gives the wanted SWR on 300 ohms (R = 300 * SWR).
std::vector<SweepRow> sweepOf(const std::vector<std::pair<double, double>>& mhzSwr) {
    std::vector<SweepRow> rows;
    for (const auto& [mhz, s] : mhzSwr)
        rows.push_back({mhz, {{1, 1, {300 * s, 0}}}, swr({300 * s, 0}, 300)});
    return rows;
}

TEST(Analysis, RangeBelowTwoToOne) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> sweep;
        double lowestMhz;
        bool any;
        double from, to;
        bool openBelow, openAbove;
    };
    const std::vector<Case> cases{
        {"inside, ends interpolated",
         {{10, 3}, {11, 1.5}, {12, 1.2}, {13, 1.8}, {14, 2.2}},
         12,
         true,
         10 + 1 / 1.5,
         13.5,
         false,
         false},
        {"open below", {{10, 1.1}, {11, 1.9}, {12, 2.1}}, 10, true, 10, 11.5, true, false},
        {"open above", {{10, 4}, {11, 1.9}, {12, 1.3}}, 12, true, 10 + 2.0 / 2.1, 12, false, true},
        {"everywhere", {{10, 1.5}, {11, 1.4}}, 11, true, 10, 11, true, true},
        {"nowhere", {{10, 3}, {11, 2.5}, {12, 2.05}}, 12, false, 0, 0, false, false},
        {"the run around the lowest, not the first",
         {{10, 1.9}, {11, 3}, {12, 1.1}, {13, 3}},
         12,
         true,
         11 + 1 / 1.9,
         12 + 0.9 / 1.9,
         false,
         false},
    };
    for (const Case& c : cases) {
        const Analysis a = rangesOf(sweepOf(c.sweep), 300, c.sweep.front().first);
        EXPECT_DOUBLE_EQ(a.rows[a.lowest].mhz, c.lowestMhz) << c.name;
        ASSERT_EQ(a.below2.has_value(), c.any) << c.name;
        if (!c.any) continue;
        EXPECT_NEAR(a.below2->fromMhz, c.from, 1e-9) << c.name;
        EXPECT_NEAR(a.below2->toMhz, c.to, 1e-9) << c.name;
        EXPECT_EQ(a.below2->openBelow, c.openBelow) << c.name;
        EXPECT_EQ(a.below2->openAbove, c.openAbove) << c.name;
    }
}

TEST(Analysis, InfiniteSwrNextToTheRange) {
    auto rows = sweepOf({{10, 1.5}, {11, 1.5}});
    rows.insert(rows.begin(), SweepRow{9, {{1, 1, {-1, 0}}}, swr({-1, 0}, 300)});
    const Analysis a = rangesOf(rows, 300, 10);
    ASSERT_TRUE(a.below2);
    EXPECT_DOUBLE_EQ(a.below2->fromMhz, 10);
    EXPECT_FALSE(a.below2->openBelow);
}

}  // namespace
}  // namespace brimalox::nec

namespace brimalox::nec {
namespace {

// A stored nec2c run of the 146 MHz three-sided design 5 m over average ground (Sommerfeld-Norton),
// with the pattern grids cut down to phi 0 and 180 (nec/tests/data/nec2c-ground-sample.nec).
std::vector<FrequencyRun> groundSample() { return parseNecOutput(readText(NEC_TEST_DATA "/nec2c-ground-sample.out")); }

TEST(NecOutputParser, ReadsBothPatternTablesTheAverageGainAndTheInputPower) {
    const auto results = groundSample();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0].pattern.empty());
    const FrequencyRun& run = results[1];
    ASSERT_EQ(run.feeds.size(), 3u);
    EXPECT_EQ(run.feeds[0].ohms, std::complex<double>(186.51, 30.109));
    EXPECT_EQ(run.pattern.size(), 8u);
    ASSERT_EQ(run.finePattern.size(), 182u);
    EXPECT_DOUBLE_EQ(run.finePattern[85].verticalDbi, 5.45);
    EXPECT_DOUBLE_EQ(run.finePattern[85].horizontalDbi, -82.48);
    // The fields' magnitudes after the polarisation's sense, and where a row leaves the sense blank.
    EXPECT_DOUBLE_EQ(run.finePattern[85].eThetaVm, 1.2832);
    EXPECT_DOUBLE_EQ(run.finePattern[85].ePhiVm, 5.1507e-05);
    EXPECT_DOUBLE_EQ(run.finePattern[0].eThetaVm, 9.1593e-15);
    EXPECT_DOUBLE_EQ(run.finePattern[0].ePhiVm, 5.3533e-13);
    ASSERT_TRUE(run.averageGain);
    EXPECT_DOUBLE_EQ(*run.averageGain, 0.33883);
    ASSERT_TRUE(run.inputPowerW);
    EXPECT_DOUBLE_EQ(*run.inputPowerW, 7.8382e-3);
}

TEST(PatternFigures, FromTheStoredGroundRun) {
    AnalysisPlan plan;
    plan.sweepMhz = {146};
    plan.patternMhz = {146};
    plan.designMhz = 146;
    plan.freeSpace = false;
    const Analysis a = analyse(groundSample(), 300, plan);
    ASSERT_EQ(a.patterns.size(), 1u);
    const PatternFigures& p = a.patterns[0];
    // The strongest sample is 5.45 dBi at 5 degrees; its neighbours (5.21 at 4, 5.03 at 6) put the
    // top of the lobe a little lower, between 4.5 and 5 degrees, and a little above the sample.
    EXPECT_GT(p.maxDbi, 5.45);
    EXPECT_LT(p.maxDbi, 5.5);
    EXPECT_GT(p.takeoffDeg, 4.5);
    EXPECT_LT(p.takeoffDeg, 5);
    EXPECT_DOUBLE_EQ(p.azimuthDeg, 0);  // 180 is as strong: the smaller azimuth is named
    EXPECT_NEAR(p.verticalDbi, p.maxDbi, 1e-9);
    EXPECT_NEAR(p.verticalDbi - p.horizontalDbi, 5.45 + 82.48, 1e-9);
    const std::vector<std::pair<int, double>> at{{5, 5.45}, {10, 0.32}, {15, 1.64}, {20, 1.70}};
    EXPECT_EQ(p.gainAt, at);
    // 2.45 dBi is crossed between 2 and 3 degrees (1.77, 4.13) and between 8 and 9 (2.73, 1.29).
    EXPECT_NEAR(p.lowEdgeDeg, 2 + 0.68 / 2.36, 1e-9);
    EXPECT_NEAR(p.highEdgeDeg, 8 + 0.28 / 1.44, 1e-9);
    EXPECT_FALSE(p.openLow || p.openHigh);
    ASSERT_EQ(p.elevationDbi.size(), 91u);
    EXPECT_DOUBLE_EQ(p.elevationDbi[0], -193.33);
    EXPECT_DOUBLE_EQ(p.elevationDbi[90], -999.99);
    ASSERT_EQ(p.azimuthDbi.size(), 2u);
    EXPECT_DOUBLE_EQ(p.rippleDb, 0);
    EXPECT_FALSE(p.expectedAverage);  // a real ground absorbs: no lossless figure to hold it to
    ASSERT_TRUE(a.gain);
    EXPECT_DOUBLE_EQ(a.gain->dbi, p.maxDbi);
    EXPECT_NEAR(a.gain->thetaDeg, 90 - p.takeoffDeg, 1e-9);
    EXPECT_DOUBLE_EQ(a.rows[0].mhz, 146);
}

FrequencyRun runAt(double printedMhz, double ohms, std::optional<double> power = std::nullopt) {
    FrequencyRun run;
    run.mhz = printedMhz;
    run.feeds = {{1, 1, {ohms, 0}}};
    run.inputPowerW = power;
    return run;
}

TEST(Analysis, FrequenciesAreTheDecksOwn) {
    // nec2c prints five digits: 2400.05 and 2400.1 both print as 2400.1.
    AnalysisPlan plan;
    plan.sweepMhz = {2400, 2400.05, 2400.1};
    plan.designMhz = 2400;
    const Analysis a = analyse({runAt(2400, 300), runAt(2400.1, 300), runAt(2400.1, 300)}, 300, plan);
    ASSERT_EQ(a.rows.size(), 3u);
    EXPECT_EQ(a.rows[1].mhz, 2400.05);
    EXPECT_EQ(a.rows[2].mhz, 2400.1);
    EXPECT_THROW(analyse({runAt(2400, 300), runAt(2400.1, 300)}, 300, plan), NecError);  // one missing
    EXPECT_THROW(analyse({runAt(2400, 300), runAt(2410, 300), runAt(2400.1, 300)}, 300, plan), NecError);
}

TEST(Analysis, EveryStretchBelowTwoToOneTheDesignFrequencysFirst) {
    // R = 300 x SWR on 300 ohms: below 2 at 10-11 and at 14-15 (the lowest), design at 10.5.
    std::vector<FrequencyRun> runs;
    AnalysisPlan plan;
    for (const auto& [mhz, s] :
         std::vector<std::pair<double, double>>{{10, 1.5}, {11, 1.5}, {12, 3}, {13, 3}, {14, 1.2}, {15, 1.9}}) {
        runs.push_back(runAt(mhz, 300 * s));
        plan.sweepMhz.push_back(mhz);
    }
    plan.designMhz = 10.5;
    const Analysis a = analyse(runs, 300, plan);
    ASSERT_EQ(a.stretches.size(), 2u);
    EXPECT_DOUBLE_EQ(a.stretches[0].fromMhz, 10);
    EXPECT_NEAR(a.stretches[0].toMhz, 11 + 0.5 / 1.5, 1e-9);
    EXPECT_NEAR(a.stretches[1].fromMhz, 13 + 1.0 / 1.8, 1e-9);
    ASSERT_TRUE(a.below2);  // the stretch around the lowest SWR, as before
    EXPECT_DOUBLE_EQ(a.below2->toMhz, 15);
    plan.designMhz = 14.5;
    EXPECT_NEAR(analyse(runs, 300, plan).stretches[0].fromMhz, 13 + 1.0 / 1.8, 1e-9);
}

TEST(Analysis, NegativeInputPowerIsAFailedModel) {
    AnalysisPlan plan;
    plan.sweepMhz = {140, 150};
    plan.designMhz = 146;
    const Analysis a = analyse({runAt(140, 300, 0.01), runAt(150, 300, -0.02)}, 300, plan);
    ASSERT_EQ(a.failures.size(), 1u);
    EXPECT_NE(a.failures[0].find("at 150 MHz"), std::string::npos) << a.failures[0];
    EXPECT_NE(a.failures[0].find("-0.02 W"), std::string::npos) << a.failures[0];
    EXPECT_TRUE(std::isinf(a.rows[1].swr));
    EXPECT_EQ(a.rows[0].swr, 1);
}

}  // namespace
}  // namespace brimalox::nec

#include "nec/report/report.h"

namespace brimalox::nec {
namespace {

TEST(Report, AverageGainWarningStretchesAndFeedLineAsTyped) {
    AnalysisPlan plan;
    plan.sweepMhz = {140, 146, 152};
    plan.designMhz = 146;
    std::vector<FrequencyRun> runs{runAt(140, 75.5), runAt(146, 200), runAt(152, 80)};
    Analysis a = analyse(runs, 75.5, plan);
    // The average, the dB the gains are scaled by, and how far off it is (none: within 2 %).
    struct Case {
        double average;
        const char *scaled, *off;
    };
    for (const auto& [average, scaled, offBy] : std::vector<Case>{{1.0, "0.00 dB", ""},
                                                                  {1.019, "-0.08 dB", ""},
                                                                  {1.2111, "-0.83 dB", "21.1 %"},
                                                                  {0.97, "0.13 dB", "3.0 %"}}) {
        PatternFigures p;
        p.mhz = 146;
        p.elevationDbi.assign(91, 0);
        p.averageGain = average;
        p.expectedAverage = 1;
        a.patterns = {p};
        ReportContext context;
        context.design.frequency = "146";
        const std::string text = formatReport(a, context, ReportFormat::Text);
        EXPECT_NE(text.find("against 75.5 ohms"), std::string::npos) << text;
        EXPECT_NE(text.find("average power gain: " + fixedText(average, 4)), std::string::npos) << text;
        const bool off = *offBy != 0;
        EXPECT_NE(text.find(std::string("the gains are scaled to the power radiated, by ") + scaled), std::string::npos)
            << text;
        EXPECT_EQ(text.find(std::string("warning: the average power gain is ") + offBy + " off a lossless model's") !=
                      std::string::npos,
                  off)
            << average;
        EXPECT_EQ(nlohmann::json::parse(
                      formatReport(a, context, ReportFormat::Json))["patterns"][0]["average_power_gain_off"],
                  off);
    }
    const std::string text = formatReport(a, ReportContext{}, ReportFormat::Text);
    EXPECT_NE(text.find("SWR below 2:1: 140.0 to"), std::string::npos) << text;
    EXPECT_NE(text.find("SWR below 2:1 also: "), std::string::npos) << text;
    // What the SWR is: where on which line, and why a meter at the transmitter differs.
    for (const char* said :
         {"on the 75.5 ohm line right at a gap", "every gap fed alike", "before the lines are joined and matched",
          "a meter at the transmitter will read otherwise"})
        EXPECT_NE(text.find(said), std::string::npos) << said;
}

// SWR of a load R + j0 against 100 ohms is R / 100 above 100 ohms: each row's SWR is its load / 100.
std::vector<SweepRow> swrRows(const std::vector<double>& swrs) {
    std::vector<SweepRow> rows;
    for (std::size_t i = 0; i < swrs.size(); ++i)
        rows.push_back({140.0 + i, {{1, 1, {100 * swrs[i], 0}}}, swrs[i]});
    return rows;
}

TEST(Analysis, StretchWithinFiveHundredthsOfTheLowestSwr) {
    struct Case {
        const char* name;
        std::vector<double> swrs;
        double from, to;
        bool openBelow, openAbove;
    };
    const std::vector<Case> cases{
        // Lowest 1.50 at 143 (between equal neighbours, so no lower between the samples): 1.55 is
        // crossed 5/8 of the way from 1.60 to 1.52, and half way from 1.52 to 1.58.
        {"inside", {2.0, 1.6, 1.52, 1.50, 1.52, 1.58, 1.9}, 141 + 5.0 / 8, 144.5, false, false},
        {"at the start", {1.50, 1.52, 1.7}, 140, 141 + 3.0 / 18, true, false},
        {"everywhere", {1.51, 1.50, 1.54}, 140, 142, true, true},
        {"alone", {1.9, 1.5, 1.9}, 141 - 0.05 / 0.4, 141 + 0.05 / 0.4, false, false},
    };
    for (const Case& c : cases) {
        const Analysis a = rangesOf(swrRows(c.swrs), 100, 141);
        ASSERT_TRUE(a.nearLowest) << c.name;
        EXPECT_NEAR(a.nearLowest->fromMhz, c.from, 1e-9) << c.name;
        EXPECT_NEAR(a.nearLowest->toMhz, c.to, 1e-9) << c.name;
        EXPECT_EQ(a.nearLowest->openBelow, c.openBelow) << c.name;
        EXPECT_EQ(a.nearLowest->openAbove, c.openAbove) << c.name;
        const auto json = nlohmann::json::parse(formatReport(a, ReportContext{}, ReportFormat::Json));
        EXPECT_NEAR(json["lowest_swr"]["within_0_05"]["from_mhz"].get<double>(), c.from, 1e-9) << c.name;
        EXPECT_NEAR(json["lowest_swr"]["within_0_05"]["to_mhz"].get<double>(), c.to, 1e-9) << c.name;
        EXPECT_NE(formatReport(a, ReportContext{}, ReportFormat::Text).find("(within 0.05 of it from "),
                  std::string::npos)
            << c.name;
    }
    // No finite SWR: no stretch.
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(rangesOf(swrRows({inf, inf}), 100, 141).nearLowest);
}

// A series resonance at f0: R + jX with X rising 6 R for each unit of f / f0 - f0 / f.
double resonanceSwr(double mhz, double f0, double r, double z0) { return swr({r, 6 * r * (mhz / f0 - f0 / mhz)}, z0); }

TEST(Analysis, LowestSwrBetweenTheSamplesHeldAgainstAFineSweep) {
    struct Case {
        const char* name;
        double f0, r;           // the resonance; SWR 1 where r is the line's 300 ohms
        double tolSwr, tolMhz;  // against the fine sweep
    };
    const std::vector<Case> cases{
        {"matched between samples: a sharp V in SWR", 145.3, 300, 0.01, 0.05},
        {"mismatched between samples", 147.6, 200, 0.002, 0.05},
        {"on a sample", 145, 450, 0.001, 0.02},
        {"beyond the sweep's end: its last sample", 190, 200, 1e-4, 1e-9},
    };
    for (const Case& c : cases) {
        std::vector<SweepRow> rows;
        for (int i = 0; i <= 20; ++i) {
            const double mhz = 130 + 1.5 * i;
            rows.push_back({mhz, {}, resonanceSwr(mhz, c.f0, c.r, 300)});
        }
        double fineSwr = INFINITY, fineMhz = 0;
        for (double mhz = 130; mhz <= 160 + 1e-9; mhz += 0.001)
            if (resonanceSwr(mhz, c.f0, c.r, 300) < fineSwr) {
                fineSwr = resonanceSwr(mhz, c.f0, c.r, 300);
                fineMhz = mhz;
            }
        const Analysis a = rangesOf(rows, 300, 146);
        EXPECT_NEAR(a.lowestSwr, fineSwr, c.tolSwr + 1e-6) << c.name;
        EXPECT_NEAR(a.lowestMhz, fineMhz, c.tolMhz + 0.001) << c.name;
        // The text and the JSON carry the same figure.
        const auto json = nlohmann::json::parse(formatReport(a, ReportContext{}, ReportFormat::Json));
        EXPECT_EQ(json["lowest_swr"]["mhz"].get<double>(), a.lowestMhz) << c.name;
        EXPECT_NE(formatReport(a, ReportContext{}, ReportFormat::Text)
                      .find("lowest SWR: " + swrFigure(a.lowestSwr) + " at " + mhzFigure(a.lowestMhz) + " MHz"),
                  std::string::npos)
            << c.name;
    }
}

TEST(Report, EachKindOfFigureToItsPlaces) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::string, std::string>> cases{
        {stretchText({136.7917, 177.2239, false, false}), "136.8 to 177.2 MHz (40.4 MHz wide)"},
        {stretchText({141.2296, 183.543, false, true}),
         "141.2 to 183.5 MHz (42.3 MHz wide, still below 2:1 at the end of the sweep)"},
        {mhzFigure(153.13), "153.1"},
        {swrFigure(1.5649), "1.56"},
        {swrFigure(2.637), "2.64"},
        {swrFigure(inf), "infinite"},
        {dbiFigure(7.876), "7.88 dBi"},
        {dbiFigure(-0.001), "0.00 dBi"},
        {dbiFigure(-999.99), "none"},  // nec2c's floor: no field
        {dbiFigure(-182.3), "-182.30 dBi"},
        {degreesFigure(1), "1.0"},
        {degreesFigure(88.46), "88.5"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
}

TEST(Report, OneDirectionInWordsAndAMaximumAtSeveralAzimuthsSaidSo) {
    struct Case {
        const char* name;
        std::vector<int> peaks;  // azimuths (of 0, 30 ... 360) at the maximum; the rest 0.05 dB lower
        std::string words;
    };
    const std::vector<Case> cases{
        {"one", {90}, "azimuth 90.0 deg"},
        {"two runs", {30, 60, 210, 240}, "azimuths 30.0 to 60.0 and 210.0 to 240.0 deg alike to 0.01 dB"},
        {"a run across 0", {0, 330, 360}, "azimuths 330.0 to 0.0 deg alike to 0.01 dB"},
        {"round", {0, 30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 330, 360}, "every azimuth alike to 0.01 dB"},
        {"five apart", {0, 60, 120, 180, 240, 360}, "5 azimuths alike to 0.01 dB"},
    };
    for (const Case& c : cases) {
        AnalysisPlan plan;
        plan.sweepMhz = {146};
        Analysis a = analyse({runAt(146, 200)}, 300, plan);
        PatternFigures p;
        p.mhz = 146;
        p.maxDbi = 7.88;
        p.takeoffDeg = 0;
        p.azimuthDeg = c.peaks.front();
        p.verticalDbi = 7.88;
        p.horizontalDbi = -999.99;
        p.elevationDbi.assign(91, 0);
        for (int phi = 0; phi <= 360; phi += 30) {
            const bool peak = std::find(c.peaks.begin(), c.peaks.end(), phi) != c.peaks.end();
            p.azimuthDbi.push_back({phi, peak ? 7.88 : 7.83});
        }
        a.patterns = {p};
        a.gain = MaxGain{7.88, 90, p.azimuthDeg, 146};
        const std::string text = formatReport(a, ReportContext{}, ReportFormat::Text);
        EXPECT_NE(text.find("maximum gain: 7.88 dBi at elevation 0.0 deg, " + c.words + " (146 MHz)"),
                  std::string::npos)
            << c.name << "\n"
            << text;
        EXPECT_NE(text.find("maximum 7.88 dBi at elevation 0.0 deg (the take-off angle), " + c.words +
                            "; vertical part 7.88 dBi, horizontal part none"),
                  std::string::npos)
            << c.name << "\n"
            << text;
        EXPECT_EQ(text.find("theta"), std::string::npos) << c.name;
        EXPECT_EQ(text.find("phi"), std::string::npos) << c.name;
    }
}

}  // namespace
}  // namespace brimalox::nec
