#include "numtext/numtext.h"

#include <fast_float/fast_float.h>
#include <fmt/compile.h>
#include <fmt/format.h>
#include <cmath>
#include <type_traits>

namespace brimalox {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Only [+-] digits [. digits] [(E|e) [+-] digits] with at least one mantissa digit is a number.
// fast_float alone would also take "inf", "nan" and a trailing garbage suffix.
bool isNumberForm(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissaDigits = 0;
    while (i < n && isDigit(s[i]))
        ++i, ++mantissaDigits;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && isDigit(s[i]))
            ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < n && isDigit(s[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

template <typename T>
Parsed<T> parseNumber(std::string_view text) {
    Parsed<T> result;
    const std::string_view s = trimBlanks(text);
    if (!isNumberForm(s)) {
        result.error = ParseError::TypeMismatch;
        return result;
    }
    // This fast_float does not take a leading '+'.
    const char* first = s.data() + (s.front() == '+' ? 1 : 0);
    const auto parsed = fast_float::from_chars(first, s.data() + s.size(), result.value);
    if (parsed.ec != std::errc() || parsed.ptr != s.data() + s.size()) {
        result.error = ParseError::TypeMismatch;
    } else if (std::isinf(result.value)) {
        // Correct rounding gives infinity exactly from the first decimal that cannot be held.
        result.error = ParseError::Overflow;
    }
    return result;
}

template <int SignificantDigits, typename T>
std::string numberToText(T value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    if (value == 0) return "0";  // negative zero too

    // d.dddddde+XX, correctly rounded from the binary value. The text is assembled in a local
    // buffer: every handler writes several numbers, and temporaries would cost more than the digits.
    // The format is compiled in, so no format string is parsed per number.
    char sci[64];
    const char* end = nullptr;
    // A single goes in as the double of the same value (the same digits): one instantiation of
    // {fmt}'s float writer rather than two.
    if constexpr (SignificantDigits == 7)
        end = fmt::format_to(sci, FMT_COMPILE("{:.6e}"), static_cast<double>(value));
    else
        end = fmt::format_to(sci, FMT_COMPILE("{:.14e}"), value);
    const char* p = sci;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[SignificantDigits];
    int count = 0;
    for (; *p != 'e'; ++p)
        if (isDigit(*p)) digits[count++] = *p;
    ++p;  // the 'e'
    // The exponent as written (sign, then at least two digits) is already the field text's form.
    const char* exponentText = p;
    const bool negativeExponent = *p == '-';
    int exponent = 0;
    for (++p; p != end; ++p)
        exponent = exponent * 10 + (*p - '0');
    if (negativeExponent) exponent = -exponent;
    while (count > 1 && digits[count - 1] == '0')
        --count;

    char text[64];
    char* out = text;
    if (negative) *out++ = '-';
    if (exponent >= SignificantDigits || exponent < -4) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            for (int i = 1; i < count; ++i)
                *out++ = digits[i];
        }
        *out++ = 'E';
        for (const char* e = exponentText; e != end; ++e)
            *out++ = *e;
    } else if (exponent >= 0) {
        const int intDigits = exponent + 1;
        for (int i = 0; i < intDigits; ++i)
            *out++ = i < count ? digits[i] : '0';
        if (count > intDigits) {
            *out++ = '.';
            for (int i = intDigits; i < count; ++i)
                *out++ = digits[i];
        }
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int i = 0; i < -exponent - 1; ++i)
            *out++ = '0';
        for (int i = 0; i < count; ++i)
            *out++ = digits[i];
    }
    return std::string(text, out);
}

// The same rounding without decimal text, for a double whose scaled value is far from 2^53: the
// product value * 10^n is known exactly as p + e (fma), so its nearest integer, ties to even, is
// nearbyint(p) unless p lies exactly halfway, where the sign of e decides. k / 10^n is then one
// correctly rounded division: the double nearest the decimal k * 10^-n, as the text route gives.
bool roundDoubleExactly(double value, int places, double& rounded) {
    static constexpr double kScale[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (places < 0 || places > 15) return false;
    const double scale = kScale[places];
    const double p = value * scale;
    if (!(std::fabs(p) < 0x1p50)) return false;
    const double e = std::fma(value, scale, -p);
    double k = std::nearbyint(p);
    const double below = std::floor(p);
    if (below + 0.5 == p && e != 0) k = e > 0 ? below + 1 : below;
    rounded = std::copysign(k, value) / scale;  // -0.0001 rounds to -0, as its text "-0.000" reads
    return true;
}

// A single takes the same route up to 8 places: k / 10^n is first rounded to a double d, then d to
// a single, and the two roundings give the single nearest k / 10^n. They could differ only if d
// were a midpoint m between two singles while k / 10^n is not. A non-integer single is below 2^24,
// so m = J / 2^u with |J| < 2^25 and u > 0, and k / 10^n - m is a multiple of 1 / (10^n 2^u):
// if not 0, it is more than half a double's ulp of m (2^-53 |m| < 2^-28 / 2^u) when 10^n < 2^28.
// Integer singles round to themselves on both routes.
constexpr int kSingleExactPlaces = 8;

template <typename T>
T roundToPlaces(T value, int places) {
    if (!std::isfinite(value)) return value;
    if (std::is_same_v<T, double> || places <= kSingleExactPlaces) {
        double rounded = 0;
        if (roundDoubleExactly(value, places, rounded)) return static_cast<T>(rounded);
    }
    // The exact decimal expansion rounded to n places (ties to even), read back as the nearest
    // value of the same precision. 400 characters hold any double in fixed form with 15 places.
    if (places < 0 || places > 15) return value;
    char buffer[400];
    const char* end = fmt::format_to(buffer, FMT_COMPILE("{:.{}f}"), static_cast<double>(value), places);
    T rounded{};
    fast_float::from_chars(buffer, end, rounded);
    return rounded;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

Parsed<float> parseSingle(std::string_view text) { return parseNumber<float>(text); }
Parsed<double> parseDouble(std::string_view text) { return parseNumber<double>(text); }

std::string singleToText(float value) { return numberToText<7>(value); }
std::string doubleToText(double value) { return numberToText<15>(value); }
std::string integerToText(std::int32_t value) { return std::to_string(value); }

float roundPlaces(float value, int places) { return roundToPlaces(value, places); }
double roundPlaces(double value, int places) { return roundToPlaces(value, places); }

double roundPlaces(const OptionalNumber& value, int places) { return value ? roundPlaces(*value, places) : 0.0; }

double divide(const OptionalNumber& dividend, double divisor) { return dividend ? *dividend / divisor : 0.0; }

}  // namespace brimalox
