// Rounding to n places, the optional number, the float-fault check, failure kinds, and reading a
// field as a number.

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "app/memory_form.h"
#include "case_name.h"
#include "numtext/failure.h"
#include "numtext/fieldio.h"
#include "numtext/fpcheck.h"
#include "numtext/numtext.h"

namespace brimalox {
namespace {

struct RoundCase {
    double value;
    int places;
    const char* text;
};

class RoundDouble : public ::testing::TestWithParam<RoundCase> {};
TEST_P(RoundDouble, RoundsTheBinaryValueTiesToEven) {
    EXPECT_EQ(doubleToText(roundPlaces(GetParam().value, GetParam().places)), GetParam().text) << GetParam().value;
}
INSTANTIATE_TEST_SUITE_P(
    Rounding, RoundDouble,
    ::testing::Values(RoundCase{0.0625, 3, "0.062"}, RoundCase{0.1875, 3, "0.188"}, RoundCase{-0.0625, 3, "-0.062"},
                      RoundCase{2.675, 2, "2.67"},  // the double lies just below the halfway point
                      RoundCase{2.125, 2, "2.12"}, RoundCase{2.375, 2, "2.38"}, RoundCase{0.5, 0, "0"},
                      RoundCase{1.5, 0, "2"}, RoundCase{2.5, 0, "2"}, RoundCase{-28.390478, 3, "-28.39"},
                      RoundCase{9.669621, 3, "9.67"}, RoundCase{146, 3, "146"}, RoundCase{0.0004, 3, "0"},
                      RoundCase{-0.0004, 3, "0"},     // rounds to negative zero, written "0"
                      RoundCase{0.0005, 3, "0.001"},  // the double 0.0005 lies just above the halfway point
                      RoundCase{999.9995, 3, "1000"}, RoundCase{1.0005, 3, "1"}, RoundCase{1e20, 3, "1E+20"},
                      RoundCase{58256.7306, 3, "58256.731"}, RoundCase{21633.785, 3, "21633.785"},
                      RoundCase{4.74793, 3, "4.748"}, RoundCase{33.9138, 2, "33.91"},
                      RoundCase{DBL_MAX, 3, "1.79769313486232E+308"}),
    BRIMALOX_CASE_NAMES(.text));

TEST(Rounding, SingleKeepsSinglePrecision) {
    // The single 21633.785 to 3 places is the single nearest 21633.785: 7 digits show.
    const float rounded = roundPlaces(21633.785f, 3);
    EXPECT_EQ(rounded, 21633.785f);
    EXPECT_EQ(singleToText(rounded), "21633.79");
    EXPECT_EQ(doubleToText(roundPlaces(21633.785, 3)), "21633.785");
    EXPECT_EQ(singleToText(roundPlaces(9.669621f, 3)), "9.67");
    EXPECT_EQ(singleToText(roundPlaces(0.0625f, 3)), "0.062");
    EXPECT_EQ(singleToText(roundPlaces(-28.390478f, 3)), "-28.39");
    EXPECT_EQ(singleToText(roundPlaces(FLT_MAX, 3)), "3.402823E+38");
}

TEST(Rounding, NonFiniteValuesPassThrough) {
    EXPECT_TRUE(std::isinf(roundPlaces(std::numeric_limits<double>::infinity(), 3)));
    EXPECT_TRUE(std::isnan(roundPlaces(std::numeric_limits<float>::quiet_NaN(), 2)));
}

// The C library's "%.*f" rounds the exact binary value, ties to even: an independent oracle.
TEST(RoundingProperty, MatchesPrintfFixedReadBack) {
    std::mt19937_64 rng(20240605);
    std::uniform_real_distribution<double> magnitude(-4.0, 7.0);
    std::uniform_int_distribution<int> places(2, 3);
    char buffer[64];
    for (int i = 0; i < 100000; ++i) {
        const double value = std::pow(10.0, magnitude(rng)) * (i % 3 ? 1 : -1);
        const int n = places(rng);
        std::snprintf(buffer, sizeof buffer, "%.*f", n, value);
        ASSERT_EQ(roundPlaces(value, n), std::strtod(buffer, nullptr)) << buffer;
        const float single = static_cast<float>(value);
        std::snprintf(buffer, sizeof buffer, "%.*f", n, static_cast<double>(single));
        ASSERT_EQ(roundPlaces(single, n), std::strtof(buffer, nullptr)) << buffer;
    }
    // Exact ties: k/16 and k/8 have short binary expansions.
    for (int k = -4000; k <= 4000; ++k) {
        const double tie = k / 16.0;
        std::snprintf(buffer, sizeof buffer, "%.3f", tie);
        ASSERT_EQ(roundPlaces(tie, 3), std::strtod(buffer, nullptr)) << buffer;
        std::snprintf(buffer, sizeof buffer, "%.2f", k / 8.0);
        ASSERT_EQ(roundPlaces(k / 8.0, 2), std::strtod(buffer, nullptr)) << buffer;
    }
}

// Singles take exact arithmetic up to 8 places and the decimal text beyond: both against the oracle,
// over the whole range of singles (random bit patterns) and over field-sized values.
TEST(RoundingProperty, SinglesToAnyPlacesMatchPrintfFixedReadBack) {
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::uniform_real_distribution<double> magnitude(-6.0, 8.0);
    char buffer[512];
    for (int i = 0; i < 200000; ++i) {
        const float single = i % 2 ? std::bit_cast<float>(bits(rng))
                                   : static_cast<float>(std::pow(10.0, magnitude(rng)) * (i % 4 ? 1 : -1));
        if (!std::isfinite(single)) continue;
        const int n = i % 16;
        std::snprintf(buffer, sizeof buffer, "%.*f", n, static_cast<double>(single));
        ASSERT_EQ(std::bit_cast<std::uint32_t>(roundPlaces(single, n)),
                  std::bit_cast<std::uint32_t>(std::strtof(buffer, nullptr)))
            << single << " to " << n << " places: " << buffer;
    }
}

TEST(OptionalNumber, EmptyCountsAsZero) {
    EXPECT_EQ(roundPlaces(OptionalNumber{}, 3), 0.0);
    EXPECT_EQ(doubleToText(roundPlaces(OptionalNumber{}, 3)), "0");
    EXPECT_EQ(divide(OptionalNumber{}, 25.4), 0.0);
    EXPECT_EQ(doubleToText(roundPlaces(divide(OptionalNumber{}, 25.4), 3)), "0");
    EXPECT_EQ(doubleToText(roundPlaces(OptionalNumber{718.2344}, 3)), "718.234");
    EXPECT_EQ(divide(OptionalNumber{254.0}, 25.4), 254.0 / 25.4);
}

// ---- float-fault check ----

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::optional<FailureKind> faultOf(const std::function<void(FloatFaults&)>& arithmetic) {
    FloatFaults faults;
    arithmetic(faults);
    try {
        faults.check("a step");
    } catch (const ClickFailure& failure) {
        EXPECT_EQ(failure.family(), FailureFamily::FloatingPoint);
        EXPECT_EQ(failure.where(), "a step");
        return failure.kind();
    }
    return std::nullopt;
}

TEST(FloatFaults, ReportsExactlyTheThreeConditions) {
    using K = FailureKind;
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.div(0.0, 0.0); }), K::InvalidOperation);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.sub(f.mul(1e308, 10), f.mul(1e308, 10)); }), K::Overflow);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.div(300000.0, 0.0); }), K::DivisionByZero);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.div(-1.0, -0.0); }), K::DivisionByZero);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.mul(1e308, 10); }), K::Overflow);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.add(DBL_MAX, DBL_MAX); }), K::Overflow);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.div(1e300, 1e-300); }), K::Overflow);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.toSingle(1e39); }), K::Overflow);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.toSingle(-1e39); }), K::Overflow);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.mul(0.0, f.div(1.0, 0.0)); }), K::DivisionByZero);
    // Not faults: inexact, underflow, subnormal, the largest single, arithmetic on finite values.
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.div(1.0, 3.0); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.mul(1e-300, 1e-300); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.toSingle(1e-50); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.toSingle(1e-40); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.toSingle(FLT_MAX); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.sub(0.0, 0.0); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.div(0.0, 5.0); }), std::nullopt);
}

TEST(FloatFaults, NarrowingOverflowStartsWhereRoundingGivesInfinity) {
    // FLT_MAX plus half its ulp rounds to infinity; just below it stays FLT_MAX.
    const double halfwayUp = static_cast<double>(FLT_MAX) + 0x1p103;
    EXPECT_EQ(faultOf([&](FloatFaults& f) { f.toSingle(halfwayUp); }), FailureKind::Overflow);
    EXPECT_EQ(faultOf([&](FloatFaults& f) { f.toSingle(std::nextafter(halfwayUp, 0.0)); }), std::nullopt);
}

TEST(FloatFaults, FirstFaultIsKeptAndCheckClearsIt) {
    FloatFaults faults;
    faults.div(1.0, 0.0);   // division by zero
    faults.mul(1e308, 10);  // overflow, later in the same chain
    faults.div(0.0, 0.0);   // invalid
    try {
        faults.check("first");
        FAIL() << "expected a fault";
    } catch (const ClickFailure& failure) {
        EXPECT_EQ(failure.kind(), FailureKind::DivisionByZero);
    }
    EXPECT_NO_THROW(faults.check("cleared"));
    faults.toSingle(1e39);
    EXPECT_THROW(faults.check("again"), ClickFailure);
}

TEST(FloatFaults, InfinityOrNaNOperandsFromOutsideRaiseNothingNew) {
    // Only operations on finite values raise: a value already non-finite was reported where it arose.
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.add(kInf, 1.0); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.mul(kNaN, 2.0); }), std::nullopt);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.sub(kInf, kInf); }), FailureKind::InvalidOperation);
    EXPECT_EQ(faultOf([](FloatFaults& f) { f.mul(kInf, 0.0); }), FailureKind::InvalidOperation);
}

// ---- failure kinds and reading fields ----

TEST(ClickFailure, KindsHavePlainNamesAndFamilies) {
    EXPECT_EQ(kindName(FailureKind::TypeMismatch), "Type mismatch");
    EXPECT_EQ(kindName(FailureKind::Overflow), "Overflow");
    EXPECT_EQ(kindName(FailureKind::DivisionByZero), "Division by zero");
    EXPECT_EQ(kindName(FailureKind::InvalidOperation), "Invalid operation");
    EXPECT_FALSE(kindName(FailureKind::FieldAccess).empty());
    EXPECT_EQ(familyName(FailureFamily::Conversion), "conversion");
    EXPECT_EQ(familyName(FailureFamily::FloatingPoint), "floating-point");
    EXPECT_EQ(familyName(FailureFamily::FieldAccess), "field access");
    for (FailureKind kind : {FailureKind::TypeMismatch, FailureKind::Overflow, FailureKind::DivisionByZero,
                             FailureKind::InvalidOperation, FailureKind::FieldAccess})
        EXPECT_FALSE(kindExplanation(kind).empty());
    const ClickFailure failure(FailureFamily::Conversion, FailureKind::Overflow, "reading X");
    EXPECT_EQ(std::string(failure.what()), "Overflow while reading X");
}

TEST(FieldRead, ConvertsOrFailsNamingTheField) {
    MemoryForm form;
    EXPECT_EQ(readSingle(form, Field::Text2), 146.0f);
    EXPECT_EQ(readDouble(form, Field::Text6), 0.064);
    struct Case {
        const char* text;
        FailureKind single;
        std::optional<FailureKind> dbl;
    };
    const Case cases[] = {
        {"", FailureKind::TypeMismatch, FailureKind::TypeMismatch},
        {"abc", FailureKind::TypeMismatch, FailureKind::TypeMismatch},
        {"1E39", FailureKind::Overflow, std::nullopt},
        {"1E999", FailureKind::Overflow, FailureKind::Overflow},
    };
    for (const Case& c : cases) {
        form.setText(Field::Text8, c.text);
        try {
            readSingle(form, Field::Text8);
            ADD_FAILURE() << "no failure for " << c.text;
        } catch (const ClickFailure& failure) {
            EXPECT_EQ(failure.family(), FailureFamily::Conversion);
            EXPECT_EQ(failure.kind(), c.single) << c.text;
            EXPECT_NE(failure.where().find("Text8"), std::string::npos) << failure.where();
            EXPECT_NE(failure.where().find("millimetre"), std::string::npos) << failure.where();
        }
        if (!c.dbl) {
            EXPECT_EQ(readDouble(form, Field::Text8), 1e39);
            continue;
        }
        try {
            readDouble(form, Field::Text8);
            ADD_FAILURE() << "no failure for " << c.text;
        } catch (const ClickFailure& failure) {
            EXPECT_EQ(failure.kind(), *c.dbl) << c.text;
        }
    }
}

}  // namespace
}  // namespace brimalox
