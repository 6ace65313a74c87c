#include "sheet/cut_list.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "app/road.h"

namespace brimalox::sheet {
namespace {

// A decimal text as a whole number of ten-thousandths, exactly: "354.2825" is 3542825.
long long tenThousandths(const std::string& text) {
    const std::size_t point = text.find('.');
    std::string digits = point == std::string::npos ? text : text.substr(0, point) + text.substr(point + 1);
    std::size_t places = point == std::string::npos ? 0 : text.size() - point - 1;
    EXPECT_LE(places, 4u) << text;
    for (; places < 4; ++places)
        digits += '0';
    return std::stoll(digits);
}

struct DesignCase {
    const char* name;
    const char* frequency;
    int sides;
    ConductorChoice conductor;
};

class CutListOfDesign : public testing::TestWithParam<DesignCase> {};

// Thin wire (the recommended minimum, AWG 14) and thick tube (25 mm, and 2 inches at 50 MHz), both forms.
INSTANTIATE_TEST_SUITE_P(Designs, CutListOfDesign,
                         testing::Values(DesignCase{"wire3", "146.00", 3, {}}, DesignCase{"wire4", "146.00", 4, {}},
                                         DesignCase{"awg10_4", "222.5", 4, {ConductorUnit::Awg, "10"}},
                                         DesignCase{"tube3", "146", 3, {ConductorUnit::Millimetre, "25"}},
                                         DesignCase{"tube4", "146", 4, {ConductorUnit::Millimetre, "25"}},
                                         DesignCase{"bigTube3", "50", 3, {ConductorUnit::Inch, "2"}},
                                         DesignCase{"low4", "1.8", 4, {}}),
                         [](const testing::TestParamInfo<DesignCase>& info) { return std::string(info.param.name); });

TEST_P(CutListOfDesign, ShowsTheFieldTextsAndWorksOutTheRestExactly) {
    const DesignCase& c = GetParam();
    const DesignResult d = runDesign({c.frequency, c.sides, c.conductor});
    ASSERT_FALSE(d.failure);
    auto made = makeCutList(d, c.sides);
    ASSERT_TRUE(std::holds_alternative<CutList>(made)) << std::get<std::string>(made);
    const CutList& cuts = std::get<CutList>(made);
    const int n = c.sides;

    ASSERT_EQ(cuts.pieces.size(), 4u);
    const CutPiece &sides = cuts.pieces[0], &halves = cuts.pieces[1], &gaps = cuts.pieces[2], &match = cuts.pieces[3];
    EXPECT_EQ(sides.count, 2 * n);
    EXPECT_EQ(halves.count, 2 * n);
    EXPECT_EQ(gaps.count, n);
    EXPECT_EQ(match.count, n);

    // What the window shows is its text, untouched, and says no derivation.
    const std::pair<const Length*, std::pair<std::string, std::string>> shown[] = {
        {&sides.length, {d.sideMm, d.sideInch}},
        {&gaps.length, {d.gapMm, d.gapInch}},
        {&match.length, {d.matchMm, d.matchInch}},
        {&cuts.height, {d.heightMm, d.heightInch}}};
    for (const auto& [length, texts] : shown) {
        EXPECT_EQ(length->mm, texts.first);
        EXPECT_EQ(length->inch, texts.second);
        EXPECT_EQ(length->tape, tapeText(std::stod(texts.second)));
        EXPECT_TRUE(length->derivation.empty());
    }

    // Two halves and the gap make the height, to the last decimal; the total is every piece of
    // conductor end to end. Checked in whole ten-thousandths, so no rounding can hide an error.
    const Length& half = halves.length;
    EXPECT_EQ(half.derivation, "(height - gap) / 2");
    EXPECT_EQ(2 * tenThousandths(half.mm) + tenThousandths(d.gapMm), tenThousandths(d.heightMm));
    EXPECT_EQ(tenThousandths(cuts.total.mm), 2 * n * tenThousandths(d.sideMm) + 2 * n * tenThousandths(half.mm));
    EXPECT_EQ(cuts.total.derivation,
              std::to_string(2 * n) + " x side + " + std::to_string(2 * n) + " x (height - gap) / 2");

    // Inches to 3 places: within half a thousandth of the exact half and total of the inch texts.
    const double exactHalf = (std::stod(d.heightInch) - std::stod(d.gapInch)) / 2;
    EXPECT_NEAR(std::stod(half.inch), exactHalf, 0.0005 + 1e-9);
    const double exactTotal = 2 * n * std::stod(d.sideInch) + 2 * n * exactHalf;
    EXPECT_NEAR(std::stod(cuts.total.inch), exactTotal, 0.0005 + 1e-9);
    EXPECT_EQ(half.tape, tapeText(exactHalf));
    EXPECT_EQ(cuts.total.tape, tapeText(exactTotal));
}

TEST(CutList, WorkedExampleOfTheDefaultThreeSidedDesign) {
    // 718.234 mm high with a 9.67 mm gap: (718.234 - 9.67) / 2 = 354.282; 28.277 in and 0.381 in
    // give 13.948 in; six sides of 266.718 mm and six halves make 3726 mm.
    const DesignResult d = runDesign({"146.00", 3, {}});
    const CutList cuts = std::get<CutList>(makeCutList(d, 3));
    EXPECT_EQ(cuts.halfVertical.mm, "354.282");
    EXPECT_EQ(cuts.halfVertical.inch, "13.948");
    EXPECT_EQ(cuts.halfVertical.tape, "1 ft 1 15/16 in");
    EXPECT_EQ(cuts.total.mm, "3726");
    EXPECT_EQ(cuts.side.tape, "10 1/2 in");
    EXPECT_EQ(cuts.match.inch, "16.5839716393178");
    EXPECT_EQ(cuts.match.tape, "1 ft 4 9/16 in");
}

TEST(CutList, RefusesTextsThatAreNoLengths) {
    DesignResult d = runDesign({"146.00", 3, {}});
    const struct {
        std::string DesignResult::*field;
        const char* text;
        const char* said;
    } cases[] = {
        {&DesignResult::heightMm, "00.00", "HEIGHT field shows 00.00"},
        {&DesignResult::sideInch, "abc", "SIDE field in IN holds \"abc\""},
        {&DesignResult::gapMm, "", "GAP field in MM holds \"\""},
        {&DesignResult::matchMm, "1E+999", "300 OHM SERIES MATCH LENGHT field in MM"},
    };
    for (const auto& c : cases) {
        DesignResult broken = d;
        broken.*c.field = c.text;
        auto made = makeCutList(broken, 3);
        ASSERT_TRUE(std::holds_alternative<std::string>(made)) << c.text;
        EXPECT_NE(std::get<std::string>(made).find(c.said), std::string::npos) << std::get<std::string>(made);
    }
}

TEST(TapeText, RoundsToTheNearestSixteenthAndCarries) {
    const struct {
        double inches;
        const char* tape;
    } cases[] = {
        {0, "0 in"},
        {0.03124, "0 in"},     // just below half a sixteenth
        {0.03125, "1/16 in"},  // half a sixteenth: away from zero
        {0.0937, "1/16 in"},   // just below the midpoint to 1/8
        {0.09375, "1/8 in"},
        {0.5, "1/2 in"},
        {10.501, "10 1/2 in"},
        {11.96874, "11 15/16 in"},  // just below the carry into a foot
        {11.96875, "1 ft 0 in"},    // 11 15/16 + 1/32 carries into inches and feet
        {12, "1 ft 0 in"},          // a whole foot
        {12.0312, "1 ft 0 in"},     // just above a whole foot
        {12.0313, "1 ft 1/16 in"},
        {23.97, "2 ft 0 in"},
        {146.6929, "12 ft 2 11/16 in"},
        {-3.5, "-3 1/2 in"},
        {-0.01, "0 in"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tapeText(c.inches), c.tape) << c.inches;
    EXPECT_EQ(tapeText(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(tapeText(std::nan("")), "");
    EXPECT_EQ(tapeText(1e300), "");
}

TEST(RoundedDecimal, RoundsHalfAwayFromZeroWithCarries) {
    const struct {
        const char* text;
        const char* rounded;
    } cases[] = {
        {"13.9485", "13.949"}, {"13.9484", "13.948"}, {"9.9995", "10"},    {"999.9996", "1000"},
        {"-1.2345", "-1.235"}, {"-0.0004", "0"},      {"2.1004", "2.1"},   {"5", "5"},
        {"0.381", "0.381"},    {"-9.9999", "-10"},    {"0.0005", "0.001"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundedDecimal(c.text, 3), c.rounded) << c.text;
}

}  // namespace
}  // namespace brimalox::sheet
