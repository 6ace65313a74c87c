// The feed from the gaps to the rig, held against NEC itself: the same harness as TL cards from a
// small source wire to every gap.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include "nec/check.h"
#include "nec/feed.h"
#include "nec/native/runner.h"
#include "nec/output_parser.h"
#include "nec/report/smith_chart.h"
#include "nec/tests/nec2c_installed.h"
#include "nec/trim.h"

namespace brimalox::nec {
namespace {

using Complex = std::complex<double>;
using testing::nec2cInstalled;

constexpr int kSourceTag = 999;

Request fed146(int sides, const std::string& ground) {
    Request r;
    r.design.frequencyText = "146";
    r.design.sides = sides;
    r.settings.from = "136";
    r.settings.to = "156";
    r.settings.step = "10";
    if (!ground.empty()) {
        r.settings.ground = ground;
        r.settings.height = "5";
    }
    r.settings.feed.balun = "4";
    return r;
}

// The deck's structure with a short source wire 3 m beside gap 1, and instead of its sources, the
// cards `network` and a 1 V source on that wire. lineZ0 < 0: that gap's line crossed.
std::string harnessDeck(const std::string& deck, const std::string& network) {
    std::istringstream in(deck);
    std::string out, line, gapWire;
    std::string firstSource;
    for (std::string card; std::getline(in, card);)
        if (card.rfind("EX ", 0) == 0 && firstSource.empty()) firstSource = card;
    std::istringstream ex(firstSource);
    std::string word;
    int tag = 0;
    ex >> word >> word >> tag;
    in.clear();
    in.seekg(0);
    while (std::getline(in, line)) {
        std::istringstream card(line);
        std::string kind;
        int cardTag = 0;
        card >> kind >> cardTag;
        if (kind == "GW" && cardTag == tag) gapWire = line;
        if (kind == "GS" || kind == "GE") {
            // The gap's midpoint, in the deck's units, and a wire a twentieth of a metre long beside it.
            std::istringstream gw(gapWire);
            double v[8];
            gw >> word >> word >> word;
            for (double& x : v)
                gw >> x;
            const bool mm = deck.find("GS 0 0 .001") != std::string::npos;
            const double unit = mm ? 1000 : 1, x = (v[0] + v[3]) / 2 + 3 * unit, z = (v[2] + v[5]) / 2;
            std::ostringstream source;
            source << "GW " << kSourceTag << " 1 " << x << " 0 " << z - 0.025 * unit << " " << x << " 0 "
                   << z + 0.025 * unit << " " << 0.001 * unit << "\n";
            if (out.find("GW " + std::to_string(kSourceTag)) == std::string::npos) out += source.str();
        }
        if (kind == "EX") continue;
        if (kind == "FR" && out.find("EX 0 " + std::to_string(kSourceTag)) == std::string::npos)
            out += network + "EX 0 " + std::to_string(kSourceTag) + " 1 0 1 0\n";
        out += line + "\n";
    }
    return out;
}

std::vector<std::pair<int, int>> gapSegments(const std::string& deck) {
    std::vector<std::pair<int, int>> gaps;
    std::istringstream in(deck);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("EX ", 0) == 0) {
            std::istringstream card(line);
            std::string kind;
            int type = 0, tag = 0, segment = 0;
            card >> kind >> type >> tag >> segment;
            gaps.push_back({tag, segment});
        }
    return gaps;
}

// The admittance at the source wire at each frequency of the deck.
std::vector<Complex> sourceAdmittances(const std::string& deck) {
    std::vector<Complex> y;
    for (const FrequencyRun& run : parseNecOutput(runNec2c(deck)))
        y.push_back(1.0 / run.feeds.front().ohms);
    return y;
}

// The junction's impedance by NEC: a TL card from the source wire to each gap (length physical / VF,
// as NEC's lines run at the speed of light), the wire's own admittance taken out.
std::vector<Complex> necJunction(const std::string& deck, const Line& line, int reversed = -1) {
    std::string network;
    const auto gaps = gapSegments(deck);
    for (std::size_t g = 0; g < gaps.size(); ++g) {
        std::ostringstream card;
        card.precision(12);
        card << "TL " << kSourceTag << " 1 " << gaps[g].first << " " << gaps[g].second << " "
             << (static_cast<int>(g) == reversed ? -line.z0 : line.z0) << " " << line.metres / line.vf << " 0 0 0 0\n";
        network += card.str();
    }
    const std::vector<Complex> all = sourceAdmittances(harnessDeck(deck, network));
    const std::vector<Complex> wire = sourceAdmittances(harnessDeck(deck, ""));
    std::vector<Complex> z;
    for (std::size_t i = 0; i < all.size(); ++i)
        z.push_back(1.0 / (all[i] - wire[i]));
    return z;
}

TEST(Feed, TheJunctionAgreesWithNecsTransmissionLinesForThreeAndFourSidesInFreeSpaceAndOverGround) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    for (int sides : {3, 4})
        for (const std::string ground : {"", "average"}) {
            const Prepared p = prepare(fed146(sides, ground));
            SimulationSetup setup = p.setup;
            setup.patternMhz.clear();
            const PreparedDeck deck = prepareDeck(setup);
            Nec2cProgram engine;
            Analysis a = runSimulation(deck, p.z0, engine);
            applyFeed(a, *p.feed, setup.geometry.designMhz);
            const std::vector<Complex> nec = necJunction(deck.deck, p.feed->line);
            ASSERT_EQ(nec.size(), a.rows.size());
            for (std::size_t i = 0; i < nec.size(); ++i) {
                const std::string where =
                    std::to_string(sides) + " sides, " + ground + ", " + std::to_string(a.rows[i].mhz) + " MHz";
                EXPECT_NEAR(a.planes[i].junction.real(), nec[i].real(), 0.1) << where;
                EXPECT_NEAR(a.planes[i].junction.imag(), nec[i].imag(), 0.1) << where;
                // The rig through an ideal 4:1 balun and no coax: a quarter of the junction.
                EXPECT_NEAR(std::abs(a.planes[i].rig - nec[i] / 4.0), 0, 0.025) << where;
            }
            // Gap 1's line reversed, from the gaps' couplings with gap 1 alone driven, against NEC's
            // crossed line; and with no line reversed the same couplings give the all-alike junction.
            const double mhz = setup.geometry.designMhz;
            PreparedDeck one = deck;
            one.deck = deck.deck.substr(0, deck.deck.find("FR ")) + "FR 0 1 0 0 146 0\nXQ\nEN\n";
            const std::vector<Complex> y = oneGapCurrents(deck, mhz, engine);
            EXPECT_LT(
                std::abs(junctionWithReversed(p.feed->line, mhz, y, 0) - necJunction(one.deck, p.feed->line, 0)[0]),
                0.1);
            EXPECT_LT(std::abs(junctionWithReversed(p.feed->line, mhz, y, -1) - a.planes[1].junction), 0.1);
        }
}

// The model's sweep of a design without patterns.
Analysis sweepOf(const Request& request) {
    SimulationSetup setup = prepare(request).setup;
    setup.patternMhz.clear();
    Nec2cProgram engine;
    return runSimulation(prepareDeck(setup), 300, engine);
}

Request built(const std::string& mhz) {
    Request r;
    r.design.frequencyText = mhz;
    r.design.conductor = {ConductorUnit::Millimetre, "1.626"};
    return r;
}

TEST(Feed, AFileTakenThroughAnyDescribedFeedTrimsA3PercentLongAntennaBy1Over103) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    // The 146 MHz design built 3 % long: the design for 146 / 1.03 MHz.
    const Analysis longer = sweepOf(built("141.748"));
    auto atTheRig = [&](const Feed& feed, const std::string& name) {  // what an analyser there reads
        Touchstone file;
        for (const SweepRow& row : longer.rows) {
            file.mhz.push_back(row.mhz);
            file.ohms.push_back(carry(feed, row.mhz, row.feeds.front().ohms).rig);
        }
        return Measured{name, file};
    };
    struct Case {
        const char *line, *section, *balun, *coax;
    };
    const std::vector<Case> feeds{{"", "", "4", ""}, {"300,0.82,1000", "75,0.66,340", "1", "50,0.66,5,10"}};
    for (const Case& c : feeds) {
        TrimRequest trim;
        trim.check = built("146");
        FeedSettings& feed = trim.check.settings.feed;
        feed = {c.line, "", c.section, c.balun, c.coax, "", ""};
        trim.measured.file = atTheRig(*prepare(trim.check).feed, "at-the-rig.s1p");
        Nec2cProgram engine;
        const Trim withFeed = nec::trim(trim, engine);
        EXPECT_NEAR(withFeed.ratio * 1.03, 1, 0.005) << c.coax;
        // The same file with no feed described: no cut list, and the feed named.
        trim.check.settings.feed = {};
        EXPECT_THROW(nec::trim(trim, engine), TrimWithheld) << c.coax;
    }
    // Taken through lines a fifth longer than described: no cut list, the lines named first.
    TrimRequest trim;
    trim.check = built("146");
    trim.check.settings.feed.balun = "4";
    Feed taken = *prepare(trim.check).feed;
    taken.line.metres *= 1.2;
    trim.measured.file = atTheRig(taken, "longer-lines.s1p");
    Nec2cProgram engine;
    try {
        nec::trim(trim, engine);
        ADD_FAILURE() << "a cut list through lines a fifth long";
    } catch (const TrimWithheld& e) {
        EXPECT_NE(std::string(e.what()).find("(1) the feed as described: measure each line"), std::string::npos)
            << e.what();
        std::cout << e.what() << "\n";
    }
}

TEST(SmithChart, NormalisesToThePlanesReferenceAndWritesItsWordsAsText) {
    // 100 ohms against a 100 ohm reference at the design frequency: the chart's centre.
    const SmithTrace trace{{140, 146, 152}, {{50, -20}, {100, 0}, {200, 40}}};
    const std::string svg = smithChartSvg(trace, {}, {"title", "at the junction", 100, 146});
    EXPECT_NE(svg.find(R"(<circle cx="320.0" cy="330.0" r="5")"), std::string::npos);
    for (const char* words : {">SWR 1.5</text>", ">SWR 2</text>", ">146 MHz</text>", "normalised to 100 ohms"})
        EXPECT_NE(svg.find(words), std::string::npos) << words;
    EXPECT_EQ(svg.find("measured"), std::string::npos);
}

TEST(Feed, QuarterWaveLinesInvertAndAMatchedLossyLineLosesItsMatchedLoss) {
    // 150 ohms through quarter-wave 300 ohm lines: 600 ohms each, 200 for three side by side, 50
    // after a 4:1 balun, and 50 still after any length of matched 50 ohm coax.
    Feed feed;
    feed.line = {300, 0.82, 299.792458 / 146 / 4 * 0.82, 0};
    feed.balun = 4;
    feed.coax = Line{50, 0.66, 7.3, 0};
    const FeedPlanes quarter = carry(feed, 146, {150, 0});
    EXPECT_NEAR(std::abs(quarter.junction - Complex{200, 0}), 0, 1e-6);
    EXPECT_NEAR(std::abs(quarter.rig - Complex{50, 0}), 0, 1e-6);
    EXPECT_NEAR(quarter.lossDb, 0, 1e-9);
    // A matched line of 10 dB per 100 m at 100 MHz, 20 m long, at 400 MHz: 2 x 2 = 4 dB.
    Feed lossy;
    lossy.lines = 1;
    lossy.line = {300, 0.9, 20, 10};
    EXPECT_NEAR(carry(lossy, 400, {300, 0}).lossDb, 4, 1e-6);
    EXPECT_NEAR(matchedLossDb(lossy.line, 400), 4, 1e-9);
}

}  // namespace
}  // namespace brimalox::nec
