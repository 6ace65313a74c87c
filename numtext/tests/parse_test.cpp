// Field text to single and double: the accepted form, type mismatches, the overflow boundaries of
// both precisions, underflow, and rounding once straight from the decimal text.

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <string>

#include "case_name.h"
#include "numtext/numtext.h"

namespace brimalox {
namespace {

struct Accepted {
    const char* text;
    double value;  // exact in both precisions, or compared at double precision only
};

class AcceptedForm : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedForm, ParsesToTheDecimalValueInBothPrecisions) {
    const Accepted& c = GetParam();
    const Parsed<double> d = parseDouble(c.text);
    ASSERT_TRUE(d.ok()) << '"' << c.text << '"';
    EXPECT_EQ(d.value, c.value);
    const Parsed<float> s = parseSingle(c.text);
    ASSERT_TRUE(s.ok()) << '"' << c.text << '"';
    EXPECT_EQ(s.value, static_cast<float>(c.value));
}

INSTANTIATE_TEST_SUITE_P(NumberText, AcceptedForm,
                         ::testing::Values(Accepted{"146", 146}, Accepted{"146.00", 146}, Accepted{"146.", 146},
                                           Accepted{".064", 0.064}, Accepted{"0.064", 0.064}, Accepted{"+5", 5},
                                           Accepted{"-5", -5}, Accepted{" 1e3\t", 1000}, Accepted{"\t 2.5E+2  ", 250},
                                           Accepted{"1E-2", 0.01}, Accepted{"1e+0", 1}, Accepted{"-.5", -0.5},
                                           Accepted{"+.5e1", 5}, Accepted{"007", 7}, Accepted{"9009", 9009},
                                           Accepted{"90009", 90009}, Accepted{"900009", 900009}, Accepted{"14.0", 14},
                                           Accepted{"0", 0},
                                           Accepted{"0.0000000000000000000000000000000000000000000000000000001e55", 1}),
                         BRIMALOX_CASE_NAMES(.text));

TEST(NumberText, MinusZeroReadsAsZero) {
    for (const char* text : {"-0", "-0.0", "-.0e5", "+0"}) {
        const Parsed<double> d = parseDouble(text);
        const Parsed<float> s = parseSingle(text);
        ASSERT_TRUE(d.ok() && s.ok()) << text;
        EXPECT_EQ(d.value, 0.0) << text;
        EXPECT_EQ(s.value, 0.0f) << text;
    }
}

class TypeMismatch : public ::testing::TestWithParam<const char*> {};

TEST_P(TypeMismatch, IsRejectedInBothPrecisions) {
    EXPECT_EQ(parseSingle(GetParam()).error, ParseError::TypeMismatch) << '"' << GetParam() << '"';
    EXPECT_EQ(parseDouble(GetParam()).error, ParseError::TypeMismatch) << '"' << GetParam() << '"';
}

INSTANTIATE_TEST_SUITE_P(NumberText, TypeMismatch,
                         ::testing::Values("", "  ", "\t", "abc", "1.2.3", "inf", "-inf", "nan", "NaN", "infinity",
                                           "Infinity", "0x10", "0X1p3", "1e", "1E+", "e5", ".", "-", "+", "+-5", "--5",
                                           "1 46", "146MHz", "1,5", "1.5.", "..5", "5e1.5", "1e 5", "\n146", "146\n",
                                           "1_000",
                                           "\xc2\xa0"
                                           "5",
                                           "5%", "one"),
                         BRIMALOX_CASE_NAMES());

TEST(NumberText, UnusualTextsAreRefusedOrReadSafely) {
    // A NUL inside the text is not a blank.
    EXPECT_EQ(parseDouble(std::string("146\0", 4)).error, ParseError::TypeMismatch);
    EXPECT_EQ(parseSingle(std::string("\0"
                                      "146",
                                      4))
                  .error,
              ParseError::TypeMismatch);
    // Thousands of digits: still one correctly rounded value, or the overflow.
    const std::string zeros(5000, '0');
    EXPECT_EQ(parseDouble("0." + zeros + "1").value, 0.0);
    EXPECT_EQ(parseDouble("1" + zeros).error, ParseError::Overflow);
    EXPECT_EQ(parseSingle("1" + zeros + "e-5000").value, 1.0f);
    EXPECT_EQ(parseDouble(zeros + "146." + zeros).value, 146.0);
    EXPECT_EQ(parseDouble(std::string(10000, ' ') + "7" + std::string(10000, '\t')).value, 7.0);
    EXPECT_EQ(parseDouble(std::string(5000, '1') + "x").error, ParseError::TypeMismatch);
}

// The smallest decimals that round to infinity, computed as the exact value of the largest
// finite number plus half its ulp: a tie that rounds to even, i.e. away to infinity.
constexpr const char* kSingleOverflowFirst = "340282356779733661637539395458142568448";
constexpr const char* kSingleOverflowLast = "340282356779733661637539395458142568447";
constexpr const char* kDoubleOverflowFirst =
    "17976931348623158079372897140530341507993413271003782693617377898044496829276475094664901797"
    "75872070963302864166928879109465555478519404026306574886715058206819089020007083836762738548"
    "45817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711"
    "559699508093042880177904174497792";

std::string minusOne(std::string digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '0') {
            --digits[i];
            break;
        }
        digits[i] = '9';
    }
    return digits;
}

TEST(NumberText, SingleOverflowsExactlyWhereRoundingGivesInfinity) {
    EXPECT_EQ(parseSingle(kSingleOverflowFirst).error, ParseError::Overflow);
    EXPECT_EQ(parseSingle(std::string("-") + kSingleOverflowFirst).error, ParseError::Overflow);
    const Parsed<float> last = parseSingle(kSingleOverflowLast);
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last.value, FLT_MAX);
    EXPECT_EQ(parseSingle(std::string("-") + kSingleOverflowLast).value, -FLT_MAX);
    EXPECT_EQ(parseSingle("3.4028235E38").value, FLT_MAX);
    EXPECT_EQ(parseSingle("1E39").error, ParseError::Overflow);
    EXPECT_EQ(parseSingle("1e99999999999999999999").error, ParseError::Overflow);
    // The same texts fit a double.
    EXPECT_TRUE(parseDouble(kSingleOverflowFirst).ok());
    EXPECT_EQ(parseDouble("1E39").value, 1e39);
}

TEST(NumberText, DoubleOverflowsExactlyWhereRoundingGivesInfinity) {
    const std::string first = kDoubleOverflowFirst;
    ASSERT_EQ(first.size(), 309u);
    EXPECT_EQ(parseDouble(first).error, ParseError::Overflow);
    EXPECT_EQ(parseDouble("-" + first).error, ParseError::Overflow);
    const Parsed<double> last = parseDouble(minusOne(first));
    ASSERT_TRUE(last.ok());
    EXPECT_EQ(last.value, DBL_MAX);
    EXPECT_EQ(parseDouble("1.7976931348623157E308").value, DBL_MAX);
    EXPECT_EQ(parseDouble("1.7976931348623159E308").error, ParseError::Overflow);
    EXPECT_EQ(parseDouble("1E309").error, ParseError::Overflow);
}

TEST(NumberText, UnderflowGivesZeroOrSubnormalNeverFailure) {
    struct Case {
        const char* text;
        float single;
        double dbl;
    };
    const Case cases[] = {
        {"1E-50", 0.0f, 1e-50},
        {"-1E-50", -0.0f, -1e-50},
        {"1E-400", 0.0f, 0.0},
        {"1e-99999999999999999999", 0.0f, 0.0},
        {"1.401298464324817E-45", 0x1p-149f, 1.401298464324817E-45},  // smallest single
        {"7E-46", 0.0f, 7e-46},                                       // just below half the smallest single: to zero
        {"8E-46", 0x1p-149f, 8e-46},                                  // above half: the smallest single
        {"4.9406564584124654E-324", 0.0f, 0x0.0000000000001p-1022},   // smallest double
        {"2E-324", 0.0f, 0.0},
    };
    for (const Case& c : cases) {
        const Parsed<float> s = parseSingle(c.text);
        const Parsed<double> d = parseDouble(c.text);
        ASSERT_TRUE(s.ok()) << c.text;
        ASSERT_TRUE(d.ok()) << c.text;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(s.value), std::bit_cast<std::uint32_t>(c.single)) << c.text;
        EXPECT_EQ(d.value, c.dbl) << c.text;
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(parseSingle("-1E-50").value), 0x80000000u);
}

// The decimal 1 + 2^-24 + 2^-100 lies just above the midpoint between the singles 1 and
// 1 + 2^-23. Rounded through a double it first becomes the midpoint itself, which then ties to
// even (1); rounded once it goes up.
constexpr const char* kJustAboveSingleMidpoint = "1.0000000596046447753906250000000000000000000000000001";

TEST(NumberText, SingleRoundsOnceStraightFromTheDecimal) {
    const Parsed<double> viaDouble = parseDouble(kJustAboveSingleMidpoint);
    ASSERT_TRUE(viaDouble.ok());
    ASSERT_EQ(static_cast<float>(viaDouble.value), 0x1p0f) << "the case must tell the two apart";
    const Parsed<float> direct = parseSingle(kJustAboveSingleMidpoint);
    ASSERT_TRUE(direct.ok());
    EXPECT_EQ(direct.value, 0x1.000002p0f);
    // The mirror case below a midpoint whose lower neighbour is odd.
    const char* justBelow = "1.0000001788139343261718749999999999999999999999";  // 1 + 3*2^-24 - tiny
    ASSERT_EQ(static_cast<float>(parseDouble(justBelow).value), 0x1.000004p0f);
    EXPECT_EQ(parseSingle(justBelow).value, 0x1.000002p0f);
}

TEST(NumberText, SingleTiesGoToEven) {
    EXPECT_EQ(parseSingle("1.000000059604644775390625").value, 0x1p0f);         // 1 + 2^-24
    EXPECT_EQ(parseSingle("1.000000178813934326171875").value, 0x1.000004p0f);  // 1 + 3*2^-24
    EXPECT_EQ(parseSingle("16777217").value, 16777216.0f);
    EXPECT_EQ(parseSingle("16777219").value, 16777220.0f);
}

TEST(NumberText, LongDigitStringsAreCorrectlyRounded) {
    // Far more digits than fit 64 bits: the value is still the nearest one.
    const std::string pi = "3.14159265358979323846264338327950288419716939937510582097494459";
    EXPECT_EQ(parseDouble(pi).value, 0x1.921fb54442d18p1);
    EXPECT_EQ(parseSingle(pi).value, 0x1.921fb6p1f);
    EXPECT_EQ(parseDouble("0.1").value, 0x1.999999999999ap-4);
    EXPECT_EQ(parseSingle("0.1").value, 0x1.99999ap-4f);
    EXPECT_EQ(parseSingle("421.23288").value, 0x1.a53b9ep8f);
    EXPECT_EQ(parseSingle("0.0253").value, 0x1.9e83e4p-6f);
}

}  // namespace
}  // namespace brimalox
