// The trim: the scale that lays what a built antenna measured on the model's curve, and the loop
// closed in the model (an antenna built too large or too small, measured, trimmed, modelled again).

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <iostream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "nec/check.h"
#include "nec/error.h"
#include "nec/native/runner.h"
#include "nec/report/report.h"
#include "nec/tests/nec2c_installed.h"
#include "nec/touchstone.h"
#include "nec/trim.h"
#include "numtext/figures.h"

namespace brimalox::nec {
namespace {

using testing::nec2cInstalled;

// A series resonance of 200 ohms at f0 against 300 ohms: a smooth dip to 1.5 with 2:1 edges some
// 5 % either side, round at the bottom like the antenna's.
double resonanceSwr(double mhz, double f0) {
    const std::complex<double> z(200, 3 * 200 * (mhz / f0 - f0 / mhz));
    return swr(z, 300);
}

Analysis curve(double f0, double from, double to, double step) {
    std::vector<SweepRow> rows;
    for (double f = from; f <= to + 1e-9; f += step)
        rows.push_back({f, {}, resonanceSwr(f, f0)});
    return rangesOf(std::move(rows), 300, 146);
}

MeasuredSwr measuredCurve(double f0, double from, double to, double step) {
    MeasuredSwr m;
    for (double f = from; f <= to + 1e-9; f += step)
        m.points.push_back({f, resonanceSwr(f, f0)});
    return m;
}

TEST(TrimRatio, EachMeasurementFindsTheScaleOfACurve) {
    const Analysis model = curve(150, 116.8, 204.4, 1.46);  // the model's 1 % steps
    const TrimNames names;
    for (double k : {0.85, 0.97, 1.0, 1.03, 1.15}) {
        // A file on its own grid, finer than the model's.
        const MeasuredSwr file = measuredCurve(150 * k, 100, 220, 0.25);
        double rms = 1;
        EXPECT_NEAR(ratioFromFile(model, file, names, &rms), k, 0.001 * k) << k;
        EXPECT_LT(rms, 0.01) << k;
        const Analysis scaled = curve(150 * k, 90, 230, 0.01);
        EXPECT_NEAR(ratioFromEdges(model, scaled.below2->fromMhz, scaled.below2->toMhz, names), k, 0.002 * k) << k;
        EXPECT_NEAR(ratioFromDip(model, 150 * k, names), k, 0.002 * k) << k;
    }
    EXPECT_NEAR(model.lowestMhz, 150, 0.05);
    // Linear between samples of a curve that bends upwards: the ends found are within the limit.
    const double limit = model.lowestSwr + 0.01;
    const auto [flatFrom, flatTo] = flatStretch(model, 0.01);
    EXPECT_LT(flatFrom, 150);
    EXPECT_GT(flatTo, 150);
    EXPECT_LE(resonanceSwr(flatFrom, 150), limit);
    EXPECT_LE(resonanceSwr(flatTo, 150), limit);
}

TEST(TrimRatio, RefusalsSayWhatIsWrongInTheFrontEndsNames) {
    const Analysis model = curve(150, 116.8, 204.4, 1.46);
    TrimNames names;
    names.measuredFile = "FILE";
    names.measuredEdges = "EDGES";
    names.measuredDip = "DIP";
    names.from = "FROM";
    names.to = "TO";
    MeasuredSwr flat, rising;
    for (double f = 120; f < 200; f += 1) {
        flat.points.push_back({f, 3.0 + 0.01 * std::sin(f)});
        rising.points.push_back({f, 1.2 + 0.05 * (f - 120)});
    }
    struct Case {
        const char* name;
        std::function<void()> call;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {"dip below the sweep",
         [&] { ratioFromDip(model, 100, names); },
         {"DIP 100 MHz is outside the swept range", "FROM"}},
        {"dip above the sweep",
         [&] { ratioFromDip(model, 300, names); },
         {"outside the swept range, 116.8 to 204.4 MHz"}},
        {"a flat file", [&] { ratioFromFile(model, flat, names); }, {"FILE has no clear minimum", "hardly rises"}},
        {"a file still falling at its end",
         [&] { ratioFromFile(model, rising, names); },
         {"FILE has no clear minimum", "at the end of its frequencies"}},
        {"a file too narrow for the stretch",
         [&] { ratioFromFile(model, measuredCurve(150, 140, 160, 0.5), names); },
         {"too little to hold the model's 2:1 stretch"}},
        {"edges the wrong way round", [&] { ratioFromEdges(model, 170, 130, names); }, {"EDGES needs the lower"}},
        {"a model still below 2:1 at the sweep's end",
         [&] { ratioFromEdges(curve(150, 140, 160, 1), 130, 170, names); },
         {"still below 2:1 at the start", "FROM and TO"}},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Refused& e) {
            for (const std::string& part : c.said)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

// The loop closed in the model: the 146 MHz design built with every length (height, side, gap)
// times `built`, the conductor the same wire, is measured, trimmed by the ratio found (its gap as
// built: a trim leaves it), and modelled again.
struct Loop {
    int sides = 3;
    double built = 1.03;
    std::string ground, height;
};

Request designRequest(const Loop& loop) {
    Request r;
    r.design.frequencyText = "146";
    r.design.sides = loop.sides;
    r.settings.ground = loop.ground;
    r.settings.height = loop.height;
    return r;
}

Analysis modelOf(const SimulationSetup& design, const NecGeometry& geometry, Engine& engine) {
    SimulationSetup setup = design;
    setup.geometry = geometry;
    setup.patternMhz.clear();
    return runSimulation(prepareDeck(setup), 300, engine);
}

NecGeometry scaled(NecGeometry g, double by) {
    g.heightMm *= by;
    g.sideMm *= by;
    g.gapMm *= by;
    return g;
}

// A Touchstone file of the model's reflection coefficient, each times 1 + a complex error whose
// parts have the standard deviation `noise`: an analyser's few percent.
Touchstone measuredFile(const Analysis& built, double noise, unsigned seed) {
    const Touchstone clean = readTouchstone(writeTouchstone(built, 300, "built"));
    if (noise == 0) return clean;
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0, noise);
    Touchstone noisy = clean;
    for (auto& z : noisy.ohms) {
        const std::complex<double> r = noisy.referenceOhms;
        std::complex<double> gamma = (z - r) / (z + r);
        gamma *= 1.0 + std::complex<double>(normal(random), normal(random));
        z = r * (1.0 + gamma) / (1.0 - gamma);
    }
    return noisy;
}

TEST(TrimLoop, AnAntennaBuiltLongOrShortComesBackToTheModel) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Nec2cProgram engine;
    const std::vector<Loop> loops{{3, 1.03, "", ""}, {3, 0.97, "", ""}, {4, 1.03, "", ""}, {3, 1.03, "average", "5"}};
    for (const Loop& loop : loops) {
        const std::string name =
            std::to_string(loop.sides) + " sides x" + std::to_string(loop.built) + " " + loop.ground;
        const Prepared design = prepare(designRequest(loop));
        const Analysis built = modelOf(design.setup, scaled(design.setup.geometry, loop.built), engine);
        ASSERT_TRUE(built.below2 && !built.below2->openBelow && !built.below2->openAbove) << name;

        TrimRequest byFile;
        byFile.check = designRequest(loop);
        byFile.measured.file = Measured{"built.s1p", measuredFile(built, 0, 0)};
        const Trim fromFile = trim(byFile, engine);
        EXPECT_NEAR(fromFile.ratio * loop.built, 1, 0.005) << name << ": ratio " << fromFile.ratio;
        std::cout << name << ": ratio from the file " << fromFile.ratio << " (1 / built " << 1 / loop.built << ")\n";

        // The edges as an SWR meter finds them, laid on the same model run.
        const double fromEdges = ratioFromEdges(fromFile.modelRun, built.below2->fromMhz, built.below2->toMhz, {});
        EXPECT_NEAR(fromEdges * loop.built, 1, 0.005) << name << ": ratio " << fromEdges;
        std::cout << name << ": ratio from the edges " << fromEdges << "\n";

        // The built antenna cut (or grown) as the trim says, its gap as built.
        NecGeometry trimmed = scaled(design.setup.geometry, loop.built * fromFile.ratio);
        trimmed.gapMm = design.setup.geometry.gapMm * loop.built;
        const Analysis after = modelOf(design.setup, trimmed, engine);
        ASSERT_TRUE(after.below2 && fromFile.modelRun.below2) << name;
        EXPECT_NEAR(after.below2->fromMhz / fromFile.modelRun.below2->fromMhz, 1, 0.005) << name;
        EXPECT_NEAR(after.below2->toMhz / fromFile.modelRun.below2->toMhz, 1, 0.005) << name;
        std::cout << name << ": trimmed 2:1 edges over the design's "
                  << after.below2->fromMhz / fromFile.modelRun.below2->fromMhz << ", "
                  << after.below2->toMhz / fromFile.modelRun.below2->toMhz << "\n";
        // And what the report expects of it: the trimmed design's model times the ratio.
        ASSERT_FALSE(fromFile.trimmed.stretches.empty()) << name;
        EXPECT_NEAR(fromFile.trimmed.stretches.front().fromMhz * fromFile.ratio / after.below2->fromMhz, 1, 0.005)
            << name;

        const double cut = loop.built > 1 ? 1 : -1;
        for (const TrimPiece& piece : fromFile.pieces)
            EXPECT_GT(cut * (piece.mm - piece.newMm), 0) << name << piece.name;
        if (loop.sides == 3 && loop.built > 1 && loop.ground.empty()) {
            for (unsigned seed : {1u, 2u, 3u}) {
                const Touchstone noisy = measuredFile(built, 0.03, seed);
                double rms = 1;
                const double ratio = ratioFromFile(fromFile.modelRun, measuredSwr(noisy, 300), {}, &rms);
                EXPECT_NEAR(ratio / fromFile.ratio, 1, 0.005) << "seed " << seed;
                std::cout << "with noise (seed " << seed << "): ratio " << ratio << ", " << rms << " rms\n";
            }
        }
    }
}

TEST(TrimLoop, AMeasurementFarFromTheModelIsNotATrim) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Nec2cProgram engine;
    TrimRequest r;
    r.check.design.frequencyText = "146";
    r.names.measuredEdges = "EDGES";
    r.measured.lowEdgeMhz = 100;
    r.measured.highEdgeMhz = 125;
    try {
        trim(r, engine);
        ADD_FAILURE() << "accepted";
    } catch (const Refused& e) {
        EXPECT_NE(std::string(e.what()).find("this is not a trim: check the design frequency and the conductor"),
                  std::string::npos)
            << e.what();
    }
    r.measured = {};
    try {
        trim(r, engine);
        ADD_FAILURE() << "accepted without a measurement";
    } catch (const Refused& e) {
        EXPECT_NE(std::string(e.what()).find("EDGES"), std::string::npos) << e.what();
    }
}

// Through a feed: the 146 MHz design built 3 % long (height and side; the gap as designed), seen
// at the rig through the default lines and a 4:1 balun, trimmed from what a meter or an analyser
// would read there.
struct FeedLoop {
    Request request;
    Prepared design;
    Feed feed;
};

FeedLoop feedLoop(int sides) {
    FeedLoop loop;
    loop.request.design.frequencyText = "146";
    loop.request.design.sides = sides;
    loop.request.settings.feed.balun = "4";
    loop.design = prepare(loop.request);
    loop.feed = *loop.design.feed;
    return loop;
}

// The antenna of `loop` with its height and side scaled, carried through `feed` to the rig.
Analysis atRig(const FeedLoop& loop, double heightBy, double sideBy, const Feed& feed, Engine& engine) {
    NecGeometry g = loop.design.setup.geometry;
    g.heightMm *= heightBy;
    g.sideMm *= sideBy;
    Analysis a = modelOf(loop.design.setup, g, engine);
    applyFeed(a, feed, g.designMhz);
    return a;
}

Measured rigFile(const Analysis& rig) {
    return {"rig.s1p", readTouchstone(writeTouchstone(rig, 50, "built", Plane::Rig))};
}

TEST(TrimThroughFeed, MeterReadingsAndFilesAtTheRigGiveTheAntennasOwnScale) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Nec2cProgram engine;
    for (const int sides : {3, 4}) {
        const FeedLoop loop = feedLoop(sides);
        const Analysis built = atRig(loop, 1.03, 1.03, loop.feed, engine);
        ASSERT_TRUE(built.below2) << sides;
        TrimMeasurement edges, dip, file;
        edges.lowEdgeMhz = built.below2->fromMhz;
        edges.highEdgeMhz = built.below2->toMhz;
        dip.dipMhz = built.lowestMhz;
        file.file = rigFile(built);
        for (const auto& [name, measured] : {std::pair{"edges", edges}, {"dip", dip}, {"file", file}}) {
            TrimRequest r;
            r.check = loop.request;
            r.measured = measured;
            const Trim t = trim(r, engine);
            EXPECT_NEAR(t.ratio * 1.03, 1, 0.005) << sides << " sides, " << name << ": " << t.ratio;
            // After the trim the antenna is the design: at the rig it shows the design's own curve.
            ASSERT_TRUE(t.expectedRun.below2 && t.modelRun.below2) << name;
            EXPECT_NEAR(t.expectedRun.below2->fromMhz, t.modelRun.below2->fromMhz, 0.3) << sides << name;
            EXPECT_NEAR(t.expectedRun.below2->toMhz, t.modelRun.below2->toMhz, 0.3) << sides << name;
            std::cout << sides << " sides, " << name << ": ratio " << t.ratio << ", expected 2:1 "
                      << t.expectedRun.below2->fromMhz << " to " << t.expectedRun.below2->toMhz << " (design "
                      << t.modelRun.below2->fromMhz << " to " << t.modelRun.below2->toMhz << ")\n";
        }

        // A shape error of the cut (sides 2 % long, the height 1 % short), measured: told what the
        // pieces measure, the trim aims every piece at the design.
        const Analysis misshapen = atRig(loop, 0.99, 1.02, loop.feed, engine);
        TrimRequest r;
        r.check = loop.request;
        r.measured.file = rigFile(misshapen);
        const NecGeometry& g = loop.design.setup.geometry;
        r.builtSide = numberText(g.sideMm * 1.02, 7);
        r.builtHeight = numberText(g.heightMm * 0.99, 7);
        const Trim t = trim(r, engine);
        EXPECT_NEAR(t.newSideMm / g.sideMm, 1, 0.005) << sides;
        EXPECT_NEAR(t.newHeightMm / g.heightMm, 1, 0.005) << sides;
        std::cout << sides << " sides, sides 2 % long and the height 1 % short: targets " << t.newSideMm / g.sideMm
                  << " and " << t.newHeightMm / g.heightMm << " of the design's (ratio " << t.ratio << ")\n";
        ASSERT_EQ(t.pieces.size(), 2u);
        EXPECT_NEAR(t.pieces[0].mm / (g.sideMm * 1.02), 1, 1e-5);  // as built, not as designed
        EXPECT_GT(t.pieces[0].mm - t.pieces[0].newMm, 0) << "the sides are cut";
        EXPECT_LT(t.pieces[1].mm - t.pieces[1].newMm, 0) << "the verticals grow";
        // Each piece as built, its cut (or growth) and its target agree in the printed digits.
        const std::string report = trimReport(t, ReportFormat::Text);
        const std::regex piece(
            R"(: ([\d.]+) mm, (cut|longer by) ([\d.]+) mm \([\d.]+ inch\)(?: from each)?, to ([\d.]+) mm)");
        std::size_t pieces = 0;
        for (auto m = std::sregex_iterator(report.begin(), report.end(), piece); m != std::sregex_iterator(); ++m) {
            const double built = std::stod((*m)[1]), change = std::stod((*m)[3]), target = std::stod((*m)[4]);
            EXPECT_NEAR(built + ((*m)[2] == "cut" ? -change : change), target, 1e-9) << m->str();
            EXPECT_NEAR(built, t.pieces.at(pieces).mm, 1e-9) << m->str();
            EXPECT_NEAR(target, t.pieces.at(pieces).newMm, 1e-9) << m->str();
            ++pieces;
        }
        EXPECT_EQ(pieces, 2u) << report;
        EXPECT_NE(report.find("some pieces are short and must grow"), std::string::npos) << report;
    }
}

TEST(TrimThroughFeed, NoCutListWhereTheFeedDisagreesOrIsMissing) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Nec2cProgram engine;
    const FeedLoop loop = feedLoop(3);
    Feed longLines = loop.feed;
    longLines.line.metres *= 1.1;
    const Measured throughLongLines = rigFile(atRig(loop, 1.03, 1.03, longLines, engine));
    const Measured throughFeed = rigFile(atRig(loop, 1.03, 1.03, loop.feed, engine));
    struct Case {
        const char* name;
        bool feedDescribed;
        Measured file;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {"lines 10 % longer than described",
         true,
         throughLongLines,
         {"no cut list", "differs from the model's in shape", "(1) the feed as described: measure each line",
          "a line 10 % long turns the trace as the antenna", "(2) the plane", "PLANE", "calibration"}},
        {"a file from the rig, no feed described",
         false,
         throughFeed,
         {"no cut list", "50 ohms, not the line's 300", "BALUN", "FEED LINE"}},
    };
    for (const Case& c : cases) {
        TrimRequest r;
        r.check = loop.request;
        if (!c.feedDescribed) r.check.settings.feed = {};
        r.names.balun = "BALUN";
        r.names.feedLine = "FEED LINE";
        r.names.at = "PLANE";
        r.measured.file = c.file;
        try {
            trim(r, engine);
            ADD_FAILURE() << c.name << ": a cut list was given";
        } catch (const TrimWithheld& e) {
            for (const std::string& part : c.said)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

}  // namespace
}  // namespace brimalox::nec
