// The likely mistake behind a text that is no number: what is recognised, what is offered in its
// place, and the texts that must not be taken for a mistake of that kind.

#include <gtest/gtest.h>

#include "numtext/numtext.h"
#include "numtext/typing.h"

namespace brimalox {
namespace {

TEST(TypingAdvice, RecognisesTheMistakeAndOffersTheNumberWhereItIsClear) {
    struct Case {
        const char* text;
        TypingMistake mistake;
        const char* corrected;
    };
    const Case cases[] = {
        {"146,52", TypingMistake::DecimalComma, "146.52"},
        {" 1,5 ", TypingMistake::DecimalComma, "1.5"},
        {",064", TypingMistake::DecimalComma, ".064"},
        {"1,5E39", TypingMistake::DecimalComma, "1.5E39"},  // too large, but a number the user meant
        {"146 MHz", TypingMistake::UnitAfterNumber, ""},
        {"146MHz", TypingMistake::UnitAfterNumber, ""},
        {"2m", TypingMistake::UnitAfterNumber, ""},
        {"70 cm", TypingMistake::UnitAfterNumber, ""},
        {"1.626mm", TypingMistake::UnitAfterNumber, ""},
        {"0.064\"", TypingMistake::None, ""},
        {"3 \xC2\xB5m", TypingMistake::UnitAfterNumber, ""},  // µm
        {"146 52", TypingMistake::BlanksInside, "14652"},
        {"1 000", TypingMistake::BlanksInside, "1000"},
        {"- 146", TypingMistake::BlanksInside, "-146"},
        // Not these mistakes: numbers, empty text, words, two points, or two mistakes at once.
        {"146.00", TypingMistake::None, ""},
        {"", TypingMistake::None, ""},
        {"   ", TypingMistake::None, ""},
        {"abc", TypingMistake::None, ""},
        {"MHz 146", TypingMistake::None, ""},
        {"1.2.3", TypingMistake::None, ""},
        {"1,2,3", TypingMistake::None, ""},
        {"146,52 MHz", TypingMistake::None, ""},
        {"1E39", TypingMistake::None, ""},
    };
    for (const Case& c : cases) {
        const TypingAdvice advice = typingAdvice(c.text);
        EXPECT_EQ(advice.mistake, c.mistake) << '"' << c.text << '"';
        EXPECT_EQ(advice.corrected, c.corrected) << '"' << c.text << '"';
        // What is offered must itself read as a number, or the advice would lead to a second failure.
        if (!advice.corrected.empty()) {
            EXPECT_NE(parseDouble(advice.corrected).error, ParseError::TypeMismatch) << advice.corrected;
        }
    }
}

}  // namespace
}  // namespace brimalox
