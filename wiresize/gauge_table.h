#pragma once
// The 44 American Wire Gauge sizes the calculator knows, thinnest first, and the two lookups.
// Gauges thicker than 0 (AWG 00, 000, 0000) are typed as the codes 9009, 90009 and 900009.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace brimalox {

struct GaugeRow {
    std::int32_t code;
    double inches;
};

inline constexpr std::int32_t kOutOfRangeCode = 99999;
inline constexpr double kLowerTableBound = 0.003;  // inch
inline constexpr double kUpperTableBound = 0.48;   // inch, above the thickest row

inline constexpr std::array<GaugeRow, 44> kGaugeTable{{
    {40, 0.0031}, {39, 0.0035},  {38, 0.004},   {37, 0.0045},   {36, 0.005},  {35, 0.0056}, {34, 0.0063}, {33, 0.0071},
    {32, 0.008},  {31, 0.0089},  {30, 0.01},    {29, 0.0113},   {28, 0.0126}, {27, 0.0142}, {26, 0.0159}, {25, 0.0179},
    {24, 0.0201}, {23, 0.0226},  {22, 0.0253},  {21, 0.0285},   {20, 0.032},  {19, 0.036},  {18, 0.04},   {17, 0.045},
    {16, 0.051},  {15, 0.057},   {14, 0.064},   {13, 0.072},    {12, 0.081},  {11, 0.091},  {10, 0.102},  {9, 0.114},
    {8, 0.128},   {7, 0.144},    {6, 0.162},    {5, 0.182},     {4, 0.204},   {3, 0.229},   {2, 0.258},   {1, 0.289},
    {0, 0.325},   {9009, 0.365}, {90009, 0.41}, {900009, 0.46},
}};

// The gauge code for an inch diameter: the thickest row not above it, 99999 outside the table.
// Always yields a code: a diameter from 0.003 up to the thinnest row's 0.0031 gets that row's 40.
std::int32_t gaugeForDiameter(double inches);

// The table diameter of a gauge code, compared exactly; nothing for a number that is no code.
std::optional<double> diameterForGauge(double gauge);

// The gauge as wire tables write it: "0000", "000", "00" for the codes 900009, 90009, 9009, else the
// code's digits.
std::string gaugeName(std::int32_t code);

}  // namespace brimalox
