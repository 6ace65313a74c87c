#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "nec/analysis.h"
#include "nec/error.h"
#include "nec/touchstone.h"

namespace brimalox::nec {
namespace {

using Z = std::complex<double>;

// One impedance, 75 - j25 ohms at 146 MHz, written every way a network analyser may write it.
// Against R = 50: S = (Z - 50) / (Z + 50) = (25 - j25) / (125 - j25) = 0.2308 - j0.1538.
TEST(TouchstoneReader, EveryFormatGivesTheSameImpedance) {
    const Z z(75, -25);
    const Z s50 = (z - 50.0) / (z + 50.0), s75 = (z - 75.0) / (z + 75.0);
    const double deg = 180 / std::numbers::pi;
    auto ri = [](Z v) { return std::to_string(v.real()) + " " + std::to_string(v.imag()); };
    auto ma = [&](Z v) { return std::to_string(std::abs(v)) + " " + std::to_string(std::arg(v) * deg); };
    auto db = [&](Z v) {
        return std::to_string(20 * std::log10(std::abs(v))) + " " + std::to_string(std::arg(v) * deg);
    };
    struct Case {
        const char* name;
        std::string text;
    };
    const std::vector<Case> cases{
        {"S RI MHz", "! from a VNA\n# MHz S RI R 50\n146 " + ri(s50) + "\n"},
        {"S MA GHz", "# GHz S MA R 50\n0.146 " + ma(s50) + "\n"},
        {"S DB Hz", "# Hz S DB R 50\n146000000 " + db(s50) + "\n"},
        {"S RI kHz, R 75", "# kHz S RI R 75\n146000 " + ri(s75) + "\n"},
        {"lower case, comments after data", "#mhz s ri r 50 ! options\n146 " + ri(s50) + " ! one point\n"},
        {"defaults GHz S MA R 50", "#\n0.146 " + ma(s50) + "\n"},
        {"Z normalised to R", "# MHz Z RI R 50\n146 " + ri(z / 50.0) + "\n"},
        {"Z MA", "# MHz Z MA R 25\n146 " + ma(z / 25.0) + "\n"},
        {"Y normalised to 1/R", "# MHz Y RI R 50\n146 " + ri(50.0 / z) + "\n"},
        {"CRLF and tabs", "# MHz S RI R 50\r\n146\t" + ri(s50) + "\r\n"},
        {"a second option line is ignored", "# MHz S RI R 50\n# GHz Z DB R 1\n146 " + ri(s50) + "\n"},
    };
    for (const Case& c : cases) {
        const Touchstone file = readTouchstone(c.text);
        ASSERT_EQ(file.mhz.size(), 1u) << c.name;
        EXPECT_NEAR(file.mhz[0], 146, 1e-9) << c.name;
        EXPECT_LT(std::abs(file.ohms[0] - z), 1e-3) << c.name << ": " << file.ohms[0];
    }
}

TEST(TouchstoneReader, BrokenFilesSayWhereAndWhy) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases{
        {"empty", "", {"no data lines"}},
        {"comments only", "! nothing\n# MHz S RI R 50\n", {"no data lines"}},
        {"data before the options", "146 0.1 0.2\n# MHz S RI R 50\n", {"line 1", "before the option line"}},
        {"a word in the data", "# MHz S RI R 50\n146 0.1 0.2\n147 zero 0.2\n", {"line 3", "\"zero\" is not a number"}},
        {"a short line", "# MHz S RI R 50\n146 0.1\n", {"line 2", "2 numbers", "one-port line has 3"}},
        {"a two-port file", "# MHz S RI R 50\n146 0 0 1 0 1 0 0 0\n", {"9 numbers", "two-port"}},
        {"frequencies going back", "# MHz S RI R 50\n146 0.1 0\n145 0.1 0\n", {"line 3", "not above the one before"}},
        {"a repeated frequency", "# MHz S RI R 50\n146 0.1 0\n146 0.1 0\n", {"line 3", "must increase"}},
        {"a negative frequency", "# MHz S RI R 50\n-1 0.1 0\n", {"line 2", "not positive"}},
        {"an unknown option", "# MHz S XY R 50\n146 0.1 0\n", {"line 1", "\"xy\""}},
        {"H parameters", "# MHz H RI R 50\n", {"h-parameters", "S, Z or Y"}},
        {"R without a value", "# MHz S RI R\n", {"positive reference resistance"}},
        {"R zero", "# MHz S RI R 0\n", {"positive reference resistance"}},
        {"a version 2 file", "[Version] 2.0\n# MHz S RI R 50\n", {"Touchstone 2", "Touchstone 1"}},
        {"S = 1, an open circuit", "# MHz S RI R 50\n146 1 0\n", {"open circuit"}},
        {"an infinite number", "# MHz S RI R 50\n146 1e999 0\n", {"\"1e999\" is not a number"}},
        // Finite numbers whose frequency or impedance is not.
        {"a frequency beyond a double", "# GHz S RI R 50\n1e308 0.1 0\n", {"line 2", "too large to compute"}},
        {"an impedance beyond a double", "# MHz S MA R 50\n146 1e308 0\n", {"line 2", "no finite impedance"}},
        {"a long word, quoted short",
         "# MHz S RI R 50\n146 " + std::string(5000, 'x') + " 0\n",
         {"\"xxxxxxxxxxxxxxxxxxxxxxxx...\" is not a number"}},
    };
    for (const Case& c : cases) {
        try {
            readTouchstone(c.text);
            ADD_FAILURE() << c.name << ": read";
        } catch (const NecError& e) {
            for (const std::string& part : c.said)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << c.name << ": " << e.what();
            EXPECT_LT(std::string(e.what()).size(), 300u) << c.name;
        }
    }
}

TEST(TouchstoneWriter, ReadsBackAsTheModelsImpedances) {
    std::vector<SweepRow> rows;
    for (const auto& [mhz, z] :
         std::vector<std::pair<double, Z>>{{140.5, {150, -40}}, {146, {186.5, 29.8}}, {151.25, {230, 95}}})
        rows.push_back({mhz, {{1, 1, z}, {2, 2, z}}, swr(z, 75.5)});
    const Analysis a = rangesOf(rows, 75.5, 146);
    const std::string text = writeTouchstone(a, 75.5, "BRIMALOX & test");
    EXPECT_NE(text.find("# MHz S RI R 75.5\n"), std::string::npos) << text;
    const Touchstone back = readTouchstone(text);
    ASSERT_EQ(back.mhz.size(), 3u);
    EXPECT_DOUBLE_EQ(back.referenceOhms, 75.5);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.mhz[i], rows[i].mhz);
        EXPECT_LT(std::abs(back.ohms[i] - rows[i].feeds[0].ohms), 1e-9) << back.ohms[i];
    }
}

TEST(TouchstoneMeasured, SwrAndItsStretchesAgainstTheFeedLine) {
    Touchstone file;
    file.mhz = {140, 143, 146, 149, 152, 155};
    // R = 300 x SWR on 300 ohms.
    for (double s : {3.0, 1.5, 1.1, 2.5, 1.8, 1.2})
        file.ohms.push_back({300 * s, 0});
    const MeasuredSwr swrs = measuredSwr(file, 300);
    ASSERT_EQ(swrs.points.size(), 6u);
    EXPECT_NEAR(swrs.points[2].second, 1.1, 1e-12);
    const MeasuredSummary summary = summarise(swrs, "built.s1p", 153);
    // Between the samples, as the model's: below the lowest sample, nearer its lower neighbour.
    EXPECT_GE(summary.lowestSwr, 1);
    EXPECT_LT(summary.lowestSwr, 1.1);
    EXPECT_GT(summary.lowestMhz, 143);
    EXPECT_LT(summary.lowestMhz, 146);
    ASSERT_EQ(summary.stretches.size(), 2u);
    EXPECT_GT(summary.stretches[0].fromMhz, 149);  // the one holding 153 MHz first
    EXPECT_TRUE(summary.stretches[0].openAbove);
    EXPECT_LT(summary.stretches[1].fromMhz, 143);
}

TEST(TouchstoneMeasured, AConvertedReferenceIsSaid) {
    Touchstone file;  // an analyser's 50 ohm file
    EXPECT_EQ(referenceNote(file, 50), "");
    EXPECT_EQ(referenceNote(file, 300),
              "the file was taken against 50 ohms; its SWR here is against 300 ohms, converted from its impedances");
}

}  // namespace
}  // namespace brimalox::nec
