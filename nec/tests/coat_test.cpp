// Insulated wire: the coat as read, as written into the deck, and what it does to the model.

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "nec/check.h"
#include "nec/coat.h"
#include "nec/cover.h"
#include "nec/native/runner.h"
#include "nec/output_parser.h"
#include "nec/report/report.h"
#include "nec/tests/deck_reader.h"
#include "nec/tests/nec2c_installed.h"
#include "nec/touchstone.h"
#include "nec/trim.h"

namespace brimalox::nec {
namespace {

using testing::nec2cInstalled;

Request insulated146(int sides, const std::string& insulation) {
    Request r;
    r.design.frequencyText = "146";
    r.design.sides = sides;
    r.settings.insulation = insulation;
    return r;
}

TEST(Coat, NamedAndTypedCoatsAndACoatAsWideAsTheGapRefused) {
    const std::vector<std::tuple<std::string, double, double, std::string>> cases{
        {"0.5,PVC", 0.5, 3.5, "PVC"}, {"0.3,ptfe", 0.3, 2.1, "PTFE"}, {"0.25,2.8", 0.25, 2.8, ""}};
    for (const auto& [text, mm, epsr, material] : cases) {
        const Coat coat = *readCoat(text, "--insulation", 1.626, 9.67);
        EXPECT_EQ(coat.thicknessMm, mm) << text;
        EXPECT_EQ(coat.permittivity, epsr) << text;
        EXPECT_EQ(coat.material, material) << text;
    }
    EXPECT_FALSE(readCoat("", "--insulation", 1.626, 9.67));
    try {
        readCoat("4.1,PVC", "--insulation", 1.626, 9.67);
        ADD_FAILURE() << "a coat 9.826 mm across fed a 9.67 mm gap";
    } catch (const Refused& e) {
        EXPECT_NE(std::string(e.what()).find("9.826 mm across, not less than the gap (9.67 mm)"), std::string::npos)
            << e.what();
    }
}

// The search models every candidate in the coat given, and its report says so.
TEST(Coat, TheSearchCarriesTheCoatAndSaysSo) {
    CoverRequest request;
    request.settings.bands = {"144:148"};
    request.settings.model.insulation = "0.5,PVC";
    CoverResult result;
    result.plan = planCover(request);
    EXPECT_NE(coverText(result).find("insulated wire (0.5 mm of PVC (relative permittivity 3.5))"), std::string::npos);
    EXPECT_EQ(winnerRequest(result.plan, {}).settings.insulation, "0.5,PVC");
}

// The deck read back: every segment of every wire but the feed wires carries the coat's inductance
// once, worked out here from the formula; the feed wires across the gaps carry none.
TEST(CoatDeck, EverySegmentButTheFeedWiresCarriesTheCoat) {
    for (const int sides : {3, 4}) {
        const test::DeckCards bare = test::readDeck(prepare(insulated146(sides, "")).deck.deck);
        EXPECT_TRUE(bare.loads.empty());
        const test::DeckCards deck = test::readDeck(prepare(insulated146(sides, "0.5,PVC")).deck.deck);
        const double a = 1.626 / 2, b = a + 0.5;
        const double henries = 4e-7 * M_PI / (2 * M_PI) * (1 - 1 / 3.5) * std::log(b / a);
        std::multiset<int> loaded;
        for (const auto& load : deck.loads) {
            EXPECT_EQ(load[0], 2);  // distributed, per metre
            EXPECT_EQ(load[1], 0);  // absolute segment numbers
            EXPECT_NEAR(load[4], henries, henries * 1e-9);
            for (int s = static_cast<int>(load[2]); s <= static_cast<int>(load[3]); ++s)
                loaded.insert(s);
        }
        std::set<int> feedTags;
        for (const auto& source : deck.sources)
            feedTags.insert(source[0]);
        int segment = 0;
        for (const test::DeckWire& w : deck.wires)
            for (int i = 0; i < w.segments; ++i)
                EXPECT_EQ(loaded.count(++segment), feedTags.count(w.tag) ? 0u : 1u)
                    << sides << " sides, wire " << w.tag << " segment " << segment;
    }
}

// A permittivity of 1 is bare wire; a vanishing coat nearly so; and the shortening grows with the
// permittivity and with the thickness, each checked by the insulated model at the scaled lengths.
TEST(CoatModel, LimitsAreTheBareFiguresAndTheShorteningGrowsWithPermittivityAndThickness) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Nec2cProgram engine;
    const Result bare = simulate(insulated146(3, ""), engine);
    // nec2c prints five digits: a vanishing coat may turn the last one.
    for (const auto& [coat, within] : {std::pair{"0.5,1", 0.0}, std::pair{"0.000001,PVC", 0.02}}) {
        Prepared prepared = prepare(insulated146(3, coat));
        const Analysis a = runSimulation(prepared.deck, 300, engine);
        ASSERT_EQ(a.rows.size(), bare.analysis.rows.size());
        for (std::size_t i = 0; i < a.rows.size(); ++i)
            EXPECT_LE(std::abs(a.rows[i].feeds[0].ohms - bare.analysis.rows[i].feeds[0].ohms), within) << coat;
    }
    // Thicker, then of higher permittivity, each shortens more.
    double last = 1;
    for (const char* coat : {"0.25,2.3", "0.5,2.3", "0.5,3.5", "1,3.5", "1,5"}) {
        Prepared prepared = prepare(insulated146(3, coat));
        const Shortening s = shortening(prepared.setup, prepared.z0, engine);
        EXPECT_LT(s.ratio, last) << coat;
        EXPECT_NEAR(s.checkRatio, 1, 0.0005) << coat;  // the lengths found are a fixed point
        last = s.ratio;
    }
}

// The 146 MHz design built in insulated wire and measured: a trim told of the coat fits it to the
// insulated model (ratio 1), a trim not told of it asks for the shortening simulate reports.
TEST(CoatTrim, TheInsulatedAntennaTrimsToOneWithTheCoatAndToTheShorteningWithout) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    Nec2cProgram engine;
    for (const int sides : {3, 4}) {
        Request measuring = insulated146(sides, "0.5,PVC");  // an analyser's own grid, not the model's
        measuring.settings.from = "118.3";
        measuring.settings.to = "203.1";
        measuring.settings.step = "0.7";
        const Result built = simulate(measuring, engine);
        ASSERT_TRUE(built.shortening);
        TrimRequest request;
        request.check = insulated146(sides, "0.5,PVC");
        request.measured.file = Measured{"built.s1p", readTouchstone(touchstoneFile(built))};
        const Trim toldTrim = trim(request, engine);
        const double told = toldTrim.ratio;
        EXPECT_NE(trimReport(toldTrim, ReportFormat::Text).find("insulated wire (0.5 mm of PVC"), std::string::npos);
        request.check.settings.insulation.clear();
        const double untold = trim(request, engine).ratio;
        EXPECT_NEAR(told, 1, 0.005) << sides << " sides";
        EXPECT_NEAR(untold / built.shortening->ratio, 1, 0.005) << sides << " sides";
        std::cout << sides << " sides: shortening " << built.shortening->ratio << " (checked "
                  << built.shortening->checkRatio << "), trimmed with the coat " << told << ", without " << untold
                  << "\n";
    }
}

// A half-wave dipole of our own deck (not the design's writer): its resonance, where the reactance
// crosses zero, with the coat on every segment but the feed's.
double dipoleResonanceMhz(double lengthM, double conductorMm, double henriesPerMetre) {
    constexpr int kSegments = 51, kFeed = 26;
    std::ostringstream deck;
    deck << "CE\nGW 1 " << kSegments << " 0 0 " << -lengthM / 2 << " 0 0 " << lengthM / 2 << " " << conductorMm / 2000
         << "\nGE 0\n";
    if (henriesPerMetre > 0)
        deck << "LD 2 0 1 " << kFeed - 1 << " 0 " << henriesPerMetre << " 0\nLD 2 0 " << kFeed + 1 << " " << kSegments
             << " 0 " << henriesPerMetre << " 0\n";
    deck << "EX 0 1 " << kFeed << " 0 1 0\nFR 0 61 0 0 12 .05\nXQ\nEN\n";
    const std::vector<FrequencyRun> runs = parseNecOutput(runNec2c(deck.str()));
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const double x0 = runs[i - 1].feeds[0].ohms.imag(), x1 = runs[i].feeds[0].ohms.imag();
        if (x0 < 0 && x1 >= 0) return runs[i - 1].mhz + (runs[i].mhz - runs[i - 1].mhz) * -x0 / (x1 - x0);
    }
    return 0;
}

// L. B. Cebik, W4RNL, "The NEC-4 IS Card: Insulated Wires" (antenna modeling notes, episode 50):
// builders' experience puts the velocity factor of insulated antenna wire "from 0.99 down to 0.95 or
// so, depending on the type and thickness of the insulation". Held here: a 20 m dipole of 14 AWG
// (1.63 mm) wire in PVC 0.4 mm (thin THHN-like) and 0.8 mm (house wire) thick. And our own arithmetic:
// the wave along a thin dipole sees about (mu0/2pi)(ln(2h/a) - 1) per metre (Schelkunoff's average
// characteristic impedance, h a half's length), the coat adds L'; velocity factor sqrt(L0/(L0 + L')),
// which ignores the ends and the feed, so it is held to a fifth of the shortening.
TEST(CoatModel, AnHfDipoleOfInsulatedHouseWireKeepsToPublishedVelocityFactors) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    const double lengthM = 10.2, conductorMm = 1.63;
    const double bare = dipoleResonanceMhz(lengthM, conductorMm, 0);
    ASSERT_GT(bare, 13.5);
    for (const double thicknessMm : {0.4, 0.8}) {
        const Coat coat{thicknessMm, 3.5, "PVC"};
        const double henries = coatHenriesPerMetre(coat, conductorMm);
        const double vf = dipoleResonanceMhz(lengthM, conductorMm, henries) / bare;
        EXPECT_GE(vf, 0.95) << thicknessMm;
        EXPECT_LE(vf, 0.99) << thicknessMm;
        const double l0 = 2e-7 * (std::log(lengthM / (conductorMm / 1000)) - 1);
        const double estimate = std::sqrt(l0 / (l0 + henries));
        EXPECT_NEAR((1 - vf) / (1 - estimate), 1, 0.2) << thicknessMm;
        std::cout << "14 AWG dipole, " << thicknessMm << " mm PVC: velocity factor " << vf << ", estimate " << estimate
                  << "\n";
    }
}

}  // namespace
}  // namespace brimalox::nec
