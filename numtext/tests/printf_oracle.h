#pragma once
// The text a number must get, built from the C library's "%.*E" (an independent, correctly rounded
// formatter; programs start in the C locale, so "." is its decimal point) and the layout rules of
// field text: plain decimals from 0.0001 up to the significant-digit limit, exponent form outside.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace brimalox::testing {

struct DecimalDigits {
    bool negative = false;
    std::string digits;  // significant digits, no trailing zeros, "0" for zero
    int exponent = 0;    // value = 0.d1d2... * 10^(exponent + 1)
};

inline DecimalDigits printfDigits(double value, int significantDigits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", significantDigits - 1, value);
    DecimalDigits out;
    const char* p = buffer;
    if (*p == '-') out.negative = true, ++p;
    for (; *p != 'E'; ++p)
        if (*p != '.') out.digits += *p;
    out.exponent = std::atoi(p + 1);
    while (out.digits.size() > 1 && out.digits.back() == '0')
        out.digits.pop_back();
    return out;
}

inline std::string layoutText(const DecimalDigits& d, int significantDigits) {
    if (d.digits == "0") return "0";
    std::string text = d.negative ? "-" : "";
    if (d.exponent >= significantDigits || d.exponent < -4) {
        text += d.digits.substr(0, 1);
        if (d.digits.size() > 1) text += "." + d.digits.substr(1);
        char exponent[8];
        std::snprintf(exponent, sizeof exponent, "E%+03d", d.exponent);
        return text + exponent;
    }
    if (d.exponent < 0) return text + "0." + std::string(-d.exponent - 1, '0') + d.digits;
    std::string whole = d.digits.substr(0, std::min<std::size_t>(d.digits.size(), d.exponent + 1));
    whole.append(d.exponent + 1 - whole.size(), '0');
    text += whole;
    if (d.digits.size() > static_cast<std::size_t>(d.exponent + 1)) text += "." + d.digits.substr(d.exponent + 1);
    return text;
}

// What the single-to-text and double-to-text rules must give.
inline std::string expectedSingleText(float value) { return layoutText(printfDigits(value, 7), 7); }
inline std::string expectedDoubleText(double value) { return layoutText(printfDigits(value, 15), 15); }

}  // namespace brimalox::testing
