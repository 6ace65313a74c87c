#pragma once
// What a text that is no number most likely meant, so that a failed click can tell the user what
// to change rather than only that the text is not a number: a decimal comma ("146,52"), a unit or
// band name after the number ("146 MHz", "2m"), blanks inside the number ("146 52").

#include <string>
#include <string_view>

namespace brimalox {

enum class TypingMistake { None, DecimalComma, UnitAfterNumber, BlanksInside };

struct TypingAdvice {
    TypingMistake mistake = TypingMistake::None;
    // The text as it reads as a number, for a comma or blanks; empty otherwise (a "2m" is a band,
    // not 2 MHz, so no number is offered for a word after the number).
    std::string corrected;
};

TypingAdvice typingAdvice(std::string_view text);

}  // namespace brimalox
