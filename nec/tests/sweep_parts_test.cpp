// The check's sweep in parts on engines side by side: the parts cover the sweep as nec2c steps it,
// and the result is the one run's, byte for byte.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "nec/check.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/report/report.h"
#include "nec/sweep_parts.h"
#include "nec/tests/nec2c_installed.h"
#include "numtext/numtext.h"
#include "numtext/split_text.h"

namespace brimalox::nec {
namespace {

using testing::nec2cInstalled;

Request check146(const Settings& settings) {
    Request r;
    r.design.frequencyText = "146";
    r.design.sides = 3;
    r.settings = settings;
    return r;
}

std::vector<std::string> cards(const std::string& deck, const std::string& kind) {
    std::vector<std::string> found;
    for (const std::string& line : splitText(deck, '\n'))
        if (line.starts_with(kind + " ")) found.push_back(line);
    return found;
}

double fieldOf(const std::string& card, std::size_t i) { return parseDouble(splitText(card, ' ').at(i)).value; }

TEST(SweepParts, ThePartsStepThroughTheSweepAsNec2cDoes) {
    Settings over;
    over.ground = "average";
    over.height = "5";
    for (const Settings& settings : {Settings{}, over}) {
        const std::string deck = prepare(check146(settings)).deck.deck;
        const std::string sweep = cards(deck, "FR").front();
        const int count = static_cast<int>(fieldOf(sweep, 2));
        const double step = fieldOf(sweep, 6);
        for (int parts : {2, 3, 4, 7}) {
            const std::vector<std::string> decks = sweepParts(deck, parts);
            ASSERT_EQ(decks.size(), static_cast<std::size_t>(parts));
            double mhz = fieldOf(sweep, 5);
            int covered = 0;
            for (std::size_t k = 0; k < decks.size(); ++k) {
                const std::string card = cards(decks[k], "FR").front();
                const int n = static_cast<int>(fieldOf(card, 2));
                EXPECT_GE(n, 1) << parts;
                EXPECT_EQ(fieldOf(card, 5), mhz) << parts << " parts, part " << k;
                for (int j = 0; j < n; ++j)
                    mhz += step;
                covered += n;
                // Only the last part carries the patterns after the sweep.
                EXPECT_EQ(cards(decks[k], "RP").empty(), k + 1 < decks.size()) << parts << " parts, part " << k;
            }
            EXPECT_EQ(covered, count) << parts;
        }
    }
}

TEST(SweepParts, ASweepTooShortToShareIsTheDeckAlone) {
    Settings settings;
    settings.from = "145";
    settings.to = "147";
    settings.step = "1";  // three frequencies: one part of two at most
    const std::string deck = prepare(check146(settings)).deck.deck;
    EXPECT_EQ(sweepParts(deck, 1), std::vector<std::string>{deck});
    EXPECT_EQ(sweepParts(deck, 4), std::vector<std::string>{deck});
    EXPECT_EQ(sweepParts("CE\nEN\n", 4), std::vector<std::string>{"CE\nEN\n"});
}

// Every ground kind and every feed's plane: the reports, the files and the charts of the check run in
// parts are the one run's.
TEST(SweepParts, TheCheckInPartsIsTheOneRunsByteForByte) {
    if (!nec2cInstalled()) GTEST_SKIP() << "nec2c is not installed";
    struct Case {
        const char* name;
        Settings settings;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, auto change) {
        Settings s;
        s.from = "140";
        s.to = "152";
        s.step = "1";
        change(s);
        cases.push_back({name, s});
    };
    add("free space", [](Settings&) {});
    add("perfect ground", [](Settings& s) {
        s.ground = "perfect";
        s.height = "3";
    });
    add("a ground class", [](Settings& s) {
        s.ground = "average";
        s.height = "5";
    });
    add("ground constants, feed at the gap", [](Settings& s) {
        s.groundConstants = "13,0.005";
        s.height = "10";
        s.feed.line = "300,0.82";
        s.feed.at = "gap";
    });
    add("feed at the junction", [](Settings& s) {
        s.feed.line = "450,0.91,400";
        s.feed.at = "junction";
    });
    add("insulated wire", [](Settings& s) { s.insulation = "0.5,PVC"; });
    add("feed to the rig", [](Settings& s) {
        s.feed.balun = "4";
        s.feed.coax = "50,0.66,10,4";
    });
    for (const Case& c : cases) {
        const Prepared prepared = prepare(check146(c.settings));
        Nec2cProgram one;
        const Result alone = run(prepared, one);
        for (int jobs : {2, 3}) {
            const Result shared = runSideBySide(
                prepared, [] { return std::make_unique<Nec2cProgram>(); }, jobs);
            for (ReportFormat format : {ReportFormat::Text, ReportFormat::Csv, ReportFormat::Json})
                EXPECT_EQ(report(shared, format), report(alone, format)) << c.name << ", " << jobs << " engines";
            EXPECT_EQ(touchstoneFile(shared), touchstoneFile(alone)) << c.name;
            EXPECT_EQ(swrChart(shared), swrChart(alone)) << c.name;
            EXPECT_EQ(patternChart(shared), patternChart(alone)) << c.name;
        }
    }
}

}  // namespace
}  // namespace brimalox::nec
