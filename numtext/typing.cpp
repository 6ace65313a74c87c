#include "numtext/typing.h"

#include <algorithm>

#include "numtext/numtext.h"

namespace brimalox {
namespace {

// A number by the text-to-number rule; one too large still is a number the user meant.
bool readsAsNumber(std::string_view text) { return parseDouble(text).error != ParseError::TypeMismatch; }

bool startsWord(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;  // letters, and µ or Ω in UTF-8
}

}  // namespace

TypingAdvice typingAdvice(std::string_view text) {
    const std::string_view s = trimBlanks(text);
    if (s.empty() || readsAsNumber(s)) return {};

    if (s.find(',') != std::string_view::npos) {
        std::string pointed(s);
        std::replace(pointed.begin(), pointed.end(), ',', '.');
        if (readsAsNumber(pointed)) return {TypingMistake::DecimalComma, pointed};
    }

    if (std::any_of(s.begin(), s.end(), isBlank)) {
        std::string joined;
        std::copy_if(s.begin(), s.end(), std::back_inserter(joined), [](char c) { return !isBlank(c); });
        if (readsAsNumber(joined)) return {TypingMistake::BlanksInside, joined};
    }

    // The longest number at the start, then (after any blanks) a word: a unit or a band name.
    for (std::size_t length = s.size() - 1; length > 0; --length) {
        const std::string_view number = trimBlanks(s.substr(0, length));
        if (number.empty() || !readsAsNumber(number)) continue;
        const std::string_view rest = trimBlanks(s.substr(length));
        if (!rest.empty() && startsWord(rest.front())) return {TypingMistake::UnitAfterNumber, {}};
        break;
    }
    return {};
}

}  // namespace brimalox
