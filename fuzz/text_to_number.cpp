// The text-to-number rule on any bytes, against the C library: a text of the accepted form reads as
// strtod/strtof read it in the C locale, overflow exactly where they give infinity; any other text
// is a type mismatch.
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "numtext/numtext.h"

namespace {

using brimalox::ParseError;
using brimalox::fuzz::require;
using brimalox::fuzz::shown;

template <typename T>
bool sameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The oracle's idea of the form: strtod must take the whole text (blanks trimmed) and the text may
// hold nothing but digits, signs, points and exponent letters. This leaves out what strtod takes and
// a field must not: "inf", "nan", hexadecimal, other white space, and text after a NUL.
struct Oracle {
    bool accepted = false;
    double asDouble = 0;
    float asSingle = 0;
};

Oracle oracle(const std::string& text) {
    Oracle result;
    std::size_t first = 0, last = text.size();
    while (first < last && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t'))
        --last;
    const std::string core = text.substr(first, last - first);
    if (core.empty() || core.find_first_not_of("0123456789+-.eE") != std::string::npos) return result;
    char* end = nullptr;
    result.asDouble = std::strtod(core.c_str(), &end);
    if (end != core.c_str() + core.size()) return result;
    result.asSingle = std::strtof(core.c_str(), &end);
    require(end == core.c_str() + core.size(), "strtof and strtod disagree on the form", shown(text));
    result.accepted = true;
    return result;
}

template <typename T>
void check(const brimalox::Parsed<T>& parsed, const Oracle& expected, T expectedValue, const std::string& text,
           const char* type) {
    const std::string story = std::string(type) + " of \"" + shown(text) + "\"";
    if (!expected.accepted) {
        require(parsed.error == ParseError::TypeMismatch, "a text strtod does not take is not a type mismatch", story);
    } else if (std::isinf(expectedValue)) {
        require(parsed.error == ParseError::Overflow, "no overflow where the C library gives infinity", story);
    } else {
        require(parsed.ok(), "a number of the accepted form is refused", story);
        require(sameBits(parsed.value, expectedValue), "a value other than the C library's", story);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool cLocale = std::setlocale(LC_ALL, "C") != nullptr;
    require(cLocale, "no C locale");
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Oracle expected = oracle(text);
    check(brimalox::parseDouble(text), expected, expected.asDouble, text, "double");
    check(brimalox::parseSingle(text), expected, expected.asSingle, text, "single");
    return 0;
}
