// The gauge lookup and the diameter lookup over every row boundary and both table bounds.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "gauge_table_rows.h"
#include "wiresize/gauge_table.h"

namespace brimalox {
namespace {

using testing::kExpectedRows;

double nearestDouble(std::string_view decimal) { return std::strtod(std::string(decimal).c_str(), nullptr); }

TEST(GaugeTable, HoldsTheRowsThinnestFirstWithTheNearestDoubles) {
    ASSERT_EQ(kGaugeTable.size(), kExpectedRows.size());
    for (std::size_t i = 0; i < kGaugeTable.size(); ++i) {
        EXPECT_EQ(kGaugeTable[i].code, kExpectedRows[i].code) << "row " << i + 1;
        EXPECT_EQ(kGaugeTable[i].inches, nearestDouble(kExpectedRows[i].inches)) << "row " << i + 1;
    }
}

TEST(GaugeLookup, EveryRowBoundaryExactlyJustBelowAndJustAbove) {
    for (std::size_t i = 0; i < kExpectedRows.size(); ++i) {
        const double at = nearestDouble(kExpectedRows[i].inches);
        const std::int32_t below = i == 0 ? 40 : kExpectedRows[i - 1].code;  // 40 from 0.003 up
        EXPECT_EQ(gaugeForDiameter(at), kExpectedRows[i].code) << kExpectedRows[i].inches;
        EXPECT_EQ(gaugeForDiameter(std::nextafter(at, 1.0)), kExpectedRows[i].code) << kExpectedRows[i].inches;
        EXPECT_EQ(gaugeForDiameter(std::nextafter(at, 0.0)), below) << kExpectedRows[i].inches;
    }
}

TEST(GaugeLookup, TableBoundsAndOutOfRange) {
    struct Case {
        double inches;
        std::int32_t code;
    };
    const double lower = 0.003, upper = 0.48;
    const Case cases[] = {
        {lower, 40},
        {std::nextafter(lower, 1.0), 40},
        {0.00305, 40},
        {std::nextafter(0.0031, 0.0), 40},
        {std::nextafter(lower, 0.0), 99999},
        {0.0029, 99999},
        {std::nextafter(upper, 0.0), 900009},
        {0.479, 900009},
        {upper, 99999},
        {9.353, 99999},
        {0.0, 99999},
        {-0.0, 99999},
        {-0.064, 99999},
        {-1e300, 99999},
        {1e300, 99999},
        {std::numeric_limits<double>::denorm_min(), 99999},
        {std::numeric_limits<double>::infinity(), 99999},
        {-std::numeric_limits<double>::infinity(), 99999},
        // Between rows: the thinner row.
        {0.0639, 15},
        {0.07, 14},
        {0.0719, 14},
        {0.072, 13},
        {0.3249, 1},
        {0.364, 0},
        {0.459, 90009},
        {0.00721, 33},
        {0.007, 34},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gaugeForDiameter(c.inches), c.code) << std::hexfloat << c.inches;
}

TEST(DiameterLookup, EveryCodeGivesItsRowAndNothingElseMatches) {
    for (const auto& row : kExpectedRows) {
        const double code = row.code;
        const std::optional<double> inches = diameterForGauge(code);
        ASSERT_TRUE(inches.has_value()) << row.code;
        EXPECT_EQ(*inches, nearestDouble(row.inches)) << row.code;
        EXPECT_FALSE(diameterForGauge(std::nextafter(code, -1e9)).has_value()) << row.code;
        EXPECT_FALSE(diameterForGauge(std::nextafter(code, 1e9)).has_value()) << row.code;
    }
    for (double notACode : {41.0, 99999.0, 14.5, -1.0, 9008.0, 9010.0, 90008.0, 900010.0, 1e9, -40.0,
                            std::numeric_limits<double>::quiet_NaN()})
        EXPECT_FALSE(diameterForGauge(notACode).has_value()) << notACode;
    EXPECT_EQ(diameterForGauge(-0.0), 0.325);
    EXPECT_EQ(diameterForGauge(14.0), 0.064);
}

}  // namespace
}  // namespace brimalox
