// The number-to-text rule and rounding to n places on any single and double bit pattern, against
// the C library's exact decimal conversions: the text is of the accepted form and denotes the
// value correctly rounded to 15 (double) or 7 (single) significant digits; rounding to n places
// gives the value printf's exact "%.nf" text reads back as.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "numtext/numtext.h"

namespace {

using brimalox::fuzz::require;

template <typename T>
bool sameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

template <typename T>
T readBack(const char* text) {
    if constexpr (sizeof(T) == sizeof(float))
        return std::strtof(text, nullptr);
    else
        return std::strtod(text, nullptr);
}

template <typename T, int Digits>
void checkText(T value, const std::string& text) {
    char story[160];
    std::snprintf(story, sizeof story, "%a (%.17g) gave \"%s\"", static_cast<double>(value), static_cast<double>(value),
                  text.c_str());
    if (std::isnan(value)) return require(text == "NaN", "NaN's text", story);
    if (std::isinf(value)) return require(text == (value < 0 ? "-Infinity" : "Infinity"), "infinity's text", story);
    if (value == 0) return require(text == "0", "zero's text", story);

    // The reference: printf's correctly rounded d.ddde+XX.
    char reference[64];
    std::snprintf(reference, sizeof reference, "%.*e", Digits - 1, static_cast<double>(value));
    const int exponent = std::atoi(std::strchr(reference, 'e') + 1);
    const bool exponentForm = exponent >= Digits || exponent < -4;

    require(text.find_first_not_of("0123456789-.E+") == std::string::npos, "a character outside the form", story);
    require(brimalox::parseDouble(text).error != brimalox::ParseError::TypeMismatch, "text the reader refuses", story);
    require((text.find('E') != std::string::npos) == exponentForm, "exponent form in the wrong range", story);
    const std::string mantissa = text.substr(0, text.find('E'));
    if (mantissa.find('.') != std::string::npos)
        require(mantissa.back() != '0' && mantissa.back() != '.', "a trailing zero or bare point", story);
    if (!exponentForm && exponent < 0)
        require(mantissa.find("0.") == (value < 0 ? 1u : 0u), "a fraction without its 0.", story);
    require(sameBits(readBack<T>(text.c_str()), readBack<T>(reference)),
            "does not denote the value rounded to its significant digits", story + std::string(" vs ") + reference);
}

template <typename T>
void checkRounding(T value, int places) {
    const T rounded = brimalox::roundPlaces(value, places);
    char story[160];
    std::snprintf(story, sizeof story, "%a (%.17g) to %d places gave %a", static_cast<double>(value),
                  static_cast<double>(value), places, static_cast<double>(rounded));
    if (!std::isfinite(value)) {
        require(std::isnan(value) ? std::isnan(rounded) : sameBits(rounded, value), "non-finite changed", story);
        return;
    }
    char exact[400];  // any double in fixed form with 15 places
    std::snprintf(exact, sizeof exact, "%.*f", places, static_cast<double>(value));
    require(sameBits(rounded, readBack<T>(exact)), "rounding disagrees with the exact decimal route",
            story + std::string(" vs ") + exact);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brimalox::fuzz::Bytes bytes(data, size);
    const auto asDouble = bytes.raw<double>();
    const auto asSingle = bytes.raw<float>();
    const int places = bytes.byte() % 16;
    checkText<double, 15>(asDouble, brimalox::doubleToText(asDouble));
    checkText<float, 7>(asSingle, brimalox::singleToText(asSingle));
    checkRounding(asDouble, places);
    checkRounding(asSingle, places);
    return 0;
}
