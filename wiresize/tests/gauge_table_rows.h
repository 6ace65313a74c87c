#pragma once
// The wire gauge table as the tests know it, thinnest first, with each diameter as its decimal text:
// written out here once more so the tests do not check the lookups against their own table.

#include <array>
#include <cstdint>
#include <string_view>

namespace brimalox::testing {

struct ExpectedRow {
    std::int32_t code;
    std::string_view inches;
};

inline constexpr std::array<ExpectedRow, 44> kExpectedRows{{
    {40, "0.0031"},  {39, "0.0035"},   {38, "0.004"},  {37, "0.0045"}, {36, "0.005"},  {35, "0.0056"}, {34, "0.0063"},
    {33, "0.0071"},  {32, "0.008"},    {31, "0.0089"}, {30, "0.01"},   {29, "0.0113"}, {28, "0.0126"}, {27, "0.0142"},
    {26, "0.0159"},  {25, "0.0179"},   {24, "0.0201"}, {23, "0.0226"}, {22, "0.0253"}, {21, "0.0285"}, {20, "0.032"},
    {19, "0.036"},   {18, "0.04"},     {17, "0.045"},  {16, "0.051"},  {15, "0.057"},  {14, "0.064"},  {13, "0.072"},
    {12, "0.081"},   {11, "0.091"},    {10, "0.102"},  {9, "0.114"},   {8, "0.128"},   {7, "0.144"},   {6, "0.162"},
    {5, "0.182"},    {4, "0.204"},     {3, "0.229"},   {2, "0.258"},   {1, "0.289"},   {0, "0.325"},   {9009, "0.365"},
    {90009, "0.41"}, {900009, "0.46"},
}};

inline constexpr std::int32_t kOutOfRange = 99999;

// A decimal "0.ddddd" (at most five places) in units of 10^-5 inch, by its digits alone.
constexpr long hundredThousandths(std::string_view decimal) {
    long units = 0;
    int places = -1;
    for (char c : decimal) {
        if (c == '.') {
            places = 0;
            continue;
        }
        units = units * 10 + (c - '0');
        if (places >= 0) ++places;
    }
    for (; places < 5; ++places)
        units *= 10;
    return units;
}

// The code the gauge lookup must give for a value in units of 10^-5 inch: the thickest row not
// above it, 40 from the 0.003 bound up to the thinnest row, 99999 outside 0.003 .. 0.48.
constexpr std::int32_t expectedCode(long units) {
    if (units < 300 || units >= 48000) return kOutOfRange;
    std::int32_t code = kExpectedRows.front().code;
    for (const ExpectedRow& row : kExpectedRows)
        if (hundredThousandths(row.inches) <= units) code = row.code;
    return code;
}

}  // namespace brimalox::testing
