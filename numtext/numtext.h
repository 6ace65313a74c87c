#pragma once
// Field text <-> numbers, the same for every handler:
//  - text to single/double: optional sign, digits with at most one ".", optional exponent; blanks
//    (spaces, tabs) around it are ignored; always the C locale; rounded once, straight from the
//    decimal text, to the nearest value of the target precision.
//  - single/double to text: 7/15 significant digits, trailing zeros and a bare point dropped,
//    "0." before fractions, exponent form ("1E+07", "3.402823E+38", "1E-05") outside
//    0.0001 <= |v| < 10^7 (single) or 10^15 (double).
//  - rounding to n places: the binary value to the nearest multiple of 10^-n, ties to even;
//    the result keeps the precision of its input.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brimalox {

enum class ParseError { None, TypeMismatch, Overflow };

template <typename T>
struct Parsed {
    T value{};
    ParseError error = ParseError::None;
    bool ok() const { return error == ParseError::None; }
};

Parsed<float> parseSingle(std::string_view text);
// A blank is a space or a tab; the text without the blanks around it.
bool isBlank(char c);
std::string_view trimBlanks(std::string_view text);
Parsed<double> parseDouble(std::string_view text);

std::string singleToText(float value);
std::string doubleToText(double value);
std::string integerToText(std::int32_t value);

// Rounding to n decimal places (n from 0 to 15; any other n gives the value back unchanged).
// Non-finite values are returned unchanged; the handlers never round one, because the float-fault
// check stops them first.
float roundPlaces(float value, int places);
double roundPlaces(double value, int places);

// A number that may be empty; empty counts as 0 in a rounding and in a division.
using OptionalNumber = std::optional<double>;
double roundPlaces(const OptionalNumber& value, int places);
// The quotient as a double; an empty dividend gives 0.
double divide(const OptionalNumber& dividend, double divisor);

}  // namespace brimalox
