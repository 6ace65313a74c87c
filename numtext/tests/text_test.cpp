// Numbers to field text: worked examples of the 7- and 15-digit forms, and property tests against
// the C library's correctly rounded "%.*E".

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "case_name.h"
#include "numtext/numtext.h"
#include "printf_oracle.h"

namespace brimalox {
namespace {

struct SingleCase {
    float value;
    const char* text;
};
struct DoubleCase {
    double value;
    const char* text;
};

class SingleText : public ::testing::TestWithParam<SingleCase> {};
TEST_P(SingleText, WritesSevenSignificantDigits) { EXPECT_EQ(singleToText(GetParam().value), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(
    NumberText, SingleText,
    ::testing::Values(SingleCase{146.0f, "146"}, SingleCase{9.670f, "9.67"}, SingleCase{0.381f, "0.381"},
                      SingleCase{1e7f, "1E+07"}, SingleCase{FLT_MAX, "3.402823E+38"},
                      SingleCase{-FLT_MAX, "-3.402823E+38"}, SingleCase{0.0f, "0"}, SingleCase{-0.0f, "0"},
                      SingleCase{-146.0f, "-146"}, SingleCase{-0.5f, "-0.5"},
                      SingleCase{0x1.a53b9ep8f /* nearest 421.23288 */, "421.2329"},
                      SingleCase{-0x1.a53b9ep8f, "-421.2329"}, SingleCase{9999999.0f, "9999999"},
                      SingleCase{999999.9375f, "999999.9"},  // the single below 10^6: 7 digits never reach it
                      SingleCase{9999999.5f, "1E+07"},       // as a single this is 10^7
                      SingleCase{12345678.0f, "1.234568E+07"}, SingleCase{1e8f, "1E+08"}, SingleCase{0.0001f, "0.0001"},
                      SingleCase{0.00001f, "1E-05"}, SingleCase{0.00012345f, "0.00012345"},
                      SingleCase{0x1.a36e2cp-14f /* the single below 0.0001f */, "9.999999E-05"},
                      SingleCase{0x1p-149f, "1.401298E-45"}, SingleCase{FLT_MIN, "1.175494E-38"},
                      SingleCase{21633.785f, "21633.79"}, SingleCase{34166.67f, "34166.67"},
                      SingleCase{1.5e-10f, "1.5E-10"}, SingleCase{1e38f, "1E+38"}, SingleCase{0.1f, "0.1"},
                      SingleCase{1.0f / 3, "0.3333333"}),
    BRIMALOX_CASE_NAMES(.text));

class DoubleText : public ::testing::TestWithParam<DoubleCase> {};
TEST_P(DoubleText, WritesFifteenSignificantDigits) { EXPECT_EQ(doubleToText(GetParam().value), GetParam().text); }
INSTANTIATE_TEST_SUITE_P(
    NumberText, DoubleText,
    ::testing::Values(DoubleCase{146.0, "146"}, DoubleCase{9.670, "9.67"}, DoubleCase{0.381, "0.381"},
                      DoubleCase{0.0, "0"}, DoubleCase{-0.0, "0"}, DoubleCase{-28.39, "-28.39"},
                      DoubleCase{16.583971639317790, "16.5839716393178"}, DoubleCase{0.1, "0.1"},
                      DoubleCase{1.0 / 3, "0.333333333333333"}, DoubleCase{2.0 / 3, "0.666666666666667"},
                      DoubleCase{1e15, "1E+15"}, DoubleCase{999999999999999.0, "999999999999999"},
                      DoubleCase{999999999999999.9, "1E+15"},  // 15 digits round up to the next power of ten
                      DoubleCase{99999999999999.99, "100000000000000"}, DoubleCase{0.0001, "0.0001"},
                      DoubleCase{0.00001, "1E-05"}, DoubleCase{0.000099999999, "9.9999999E-05"},
                      DoubleCase{0.0000999999999999999999, "0.0001"},  // rounds up across 10^-4 into plain form
                      DoubleCase{1e39, "1E+39"}, DoubleCase{-1e-300, "-1E-300"},
                      DoubleCase{DBL_MAX, "1.79769313486232E+308"},
                      DoubleCase{0x0.0000000000001p-1022, "4.94065645841247E-324"}, DoubleCase{1e100, "1E+100"},
                      DoubleCase{0.0031, "0.0031"}, DoubleCase{0.46, "0.46"}, DoubleCase{58256.731, "58256.731"},
                      DoubleCase{21633.785, "21633.785"}, DoubleCase{123456789012345.6, "123456789012346"}),
    BRIMALOX_CASE_NAMES(.text));

TEST(NumberText, IntegerTextHasNoSignBlankOrPoint) {
    EXPECT_EQ(integerToText(0), "0");
    EXPECT_EQ(integerToText(40), "40");
    EXPECT_EQ(integerToText(9009), "9009");
    EXPECT_EQ(integerToText(900009), "900009");
    EXPECT_EQ(integerToText(99999), "99999");
    EXPECT_EQ(integerToText(-7), "-7");
}

// Spread over every exponent: random bit patterns, not random values in a range.
template <typename Bits, typename Real>
Real randomFinite(std::mt19937_64& rng) {
    std::uniform_int_distribution<Bits> bits;
    for (;;) {
        const Real value = std::bit_cast<Real>(bits(rng));
        if (std::isfinite(value)) return value;
    }
}

TEST(NumberTextProperty, SingleTextEncodesPrintfDigitsAndExponent) {
    std::mt19937_64 rng(20240601);
    for (int i = 0; i < 200000; ++i) {
        const float value = randomFinite<std::uint32_t, float>(rng);
        ASSERT_EQ(singleToText(value), testing::expectedSingleText(value)) << std::hexfloat << value;
    }
}

TEST(NumberTextProperty, DoubleTextEncodesPrintfDigitsAndExponent) {
    std::mt19937_64 rng(20240602);
    for (int i = 0; i < 200000; ++i) {
        const double value = randomFinite<std::uint64_t, double>(rng);
        ASSERT_EQ(doubleToText(value), testing::expectedDoubleText(value)) << std::hexfloat << value;
    }
}

// Values of the size the calculator shows: dense where the fields live.
TEST(NumberTextProperty, FieldSizedValuesMatchPrintf) {
    std::mt19937_64 rng(20240603);
    std::uniform_real_distribution<double> exponent(-6.0, 9.0);
    for (int i = 0; i < 200000; ++i) {
        const double value = std::pow(10.0, exponent(rng)) * (i % 2 ? -1 : 1);
        ASSERT_EQ(doubleToText(value), testing::expectedDoubleText(value)) << std::hexfloat << value;
        const float single = static_cast<float>(value);
        ASSERT_EQ(singleToText(single), testing::expectedSingleText(single)) << std::hexfloat << single;
    }
}

// Whatever a handler writes, a later read of the field takes back as a number close to it.
TEST(NumberTextProperty, WrittenTextReadsBackWithinItsDigits) {
    std::mt19937_64 rng(20240606);
    for (int i = 0; i < 100000; ++i) {
        const double value = randomFinite<std::uint64_t, double>(rng);
        const Parsed<double> d = parseDouble(doubleToText(value));
        ASSERT_TRUE(d.ok() || (d.error == ParseError::Overflow && std::fabs(value) > 1.797693134862315e308))
            << doubleToText(value);
        // Half a unit in the last written digit, plus half an ulp from reading it back.
        if (d.ok()) {
            ASSERT_LE(std::fabs(d.value - value), std::fabs(value) * 5.2e-15) << doubleToText(value);
        }
        const float single = randomFinite<std::uint32_t, float>(rng);
        const Parsed<float> s = parseSingle(singleToText(single));
        ASSERT_TRUE(s.ok() || std::fabs(single) > 3.4028229e38f) << singleToText(single);
        if (s.ok()) {
            ASSERT_LE(std::fabs(double(s.value) - single), std::fabs(double(single)) * 5.7e-7 + 1e-45)
                << singleToText(single);
        }
    }
}

// Any decimal of 15 significant digits survives text -> double -> text unchanged.
TEST(NumberTextProperty, FifteenDigitTextRoundTripsThroughDouble) {
    std::mt19937_64 rng(20240604);
    std::uniform_int_distribution<int> digit(0, 9), leading(1, 9), exponent(-300, 300), sign(0, 1);
    for (int i = 0; i < 100000; ++i) {
        testing::DecimalDigits d;
        d.negative = sign(rng);
        d.digits += static_cast<char>('0' + leading(rng));
        for (int k = 1; k < 15; ++k)
            d.digits += static_cast<char>('0' + digit(rng));
        while (d.digits.size() > 1 && d.digits.back() == '0')
            d.digits.pop_back();
        d.exponent = i % 4 == 0 ? exponent(rng) : exponent(rng) % 20;
        const std::string text = testing::layoutText(d, 15);
        const Parsed<double> parsed = parseDouble(text);
        ASSERT_TRUE(parsed.ok()) << text;
        ASSERT_EQ(doubleToText(parsed.value), text);
    }
}

}  // namespace
}  // namespace brimalox
