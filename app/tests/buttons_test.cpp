// The click dispatcher: each button runs its own handler, a failed click comes back as a value with
// its family and kind, and the user's message names the button, the step and the kind in words.

#include <gtest/gtest.h>

#include <string>

#include "../../numtext/tests/recording_form.h"
#include "app/buttons.h"
#include "app/memory_form.h"

namespace brimalox {
namespace {

bool mentions(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// One click on a fresh form whose field holds the text; the click must fail.
ClickOutcome failedClick(Button button, Field field, const char* text) {
    MemoryForm form;
    form.setText(field, text);
    Mod1 shared;
    ClickOutcome outcome = press(button, form, shared);
    EXPECT_TRUE(outcome.failure.has_value()) << buttonName(button) << " " << text;
    return outcome;
}

TEST(Buttons, NamesAndCaptions) {
    const std::pair<Button, const char*> captions[] = {{Button::Command1, "CHANGE"},  {Button::Command2, "CHANGE"},
                                                       {Button::Command3, "CHANGE"},  {Button::Command4, "COMPUTE"},
                                                       {Button::Command5, "WEBSITE"}, {Button::Command6, "NOTES"},
                                                       {Button::Command7, "ACCEPT"}};
    int number = 1;
    for (const auto& [button, caption] : captions) {
        EXPECT_EQ(buttonCaption(button), caption);
        EXPECT_EQ(buttonName(button), "Command" + std::to_string(number++));
        EXPECT_TRUE(mentions(std::string(buttonPurpose(button)), caption));
    }
}

// Which fields each button writes from the start-up texts: the button reaches its own handler.
TEST(Buttons, EachButtonRunsItsOwnHandler) {
    const std::pair<Button, std::vector<std::string>> writes[] = {
        {Button::Command1, {"Text6", "Text8"}},
        {Button::Command2, {"Text8", "Text4"}},
        {Button::Command3, {"Text6", "Text4"}},
        {Button::Command4, {"Text23", "Text22", "Text13", "Text11", "Text17", "Text16", "Text20", "Text19"}},
        {Button::Command5, {}},
        {Button::Command6, {}},
        {Button::Command7, {"Text8", "Text6", "Text4"}}};
    for (const auto& [button, fields] : writes) {
        testing::RecordingForm form;
        Mod1 shared;
        EXPECT_FALSE(press(button, form, shared).failure.has_value()) << buttonName(button);
        EXPECT_EQ(form.written(), fields) << buttonName(button);
        EXPECT_EQ(form.memory().notesShown(), button == Button::Command6 ? 1 : 0);
        EXPECT_EQ(form.memory().websiteShown(), button == Button::Command5 ? 1 : 0);
    }
}

struct PressCase {
    Button button;
    Field field;
    const char* text;
    FailureFamily family;
    FailureKind kind;
    std::vector<const char*> messageMentions;
};

TEST(Buttons, FailedClickComesBackWithFamilyKindAndPlainMessage) {
    const PressCase cases[] = {
        {Button::Command4,
         Field::Text2,
         "",
         FailureFamily::Conversion,
         FailureKind::TypeMismatch,
         {"COMPUTE", "Text2", "frequency", "Conversion failure: type mismatch"}},
        {Button::Command4,
         Field::Text2,
         "0",
         FailureFamily::FloatingPoint,
         FailureKind::DivisionByZero,
         {"COMPUTE", "series match", "Floating-point fault: division by zero"}},
        {Button::Command4,
         Field::Text8,
         "1E39",
         FailureFamily::Conversion,
         FailureKind::Overflow,
         {"COMPUTE", "Text8", "millimetre", "Conversion failure: overflow"}},
        {Button::Command7,
         Field::Text2,
         "abc",
         FailureFamily::Conversion,
         FailureKind::TypeMismatch,
         {"ACCEPT", "Text2", "Conversion failure: type mismatch"}},
        {Button::Command7,
         Field::Text2,
         "0",
         FailureFamily::FloatingPoint,
         FailureKind::DivisionByZero,
         {"ACCEPT", "Floating-point fault: division by zero"}},
        {Button::Command1,
         Field::Text4,
         "",
         FailureFamily::Conversion,
         FailureKind::TypeMismatch,
         {"CHANGE", "AWG", "Text4", "Conversion failure: type mismatch"}},
        {Button::Command2,
         Field::Text6,
         "x",
         FailureFamily::Conversion,
         FailureKind::TypeMismatch,
         {"CHANGE", "INCH", "Text6", "Conversion failure: type mismatch"}},
        {Button::Command3,
         Field::Text8,
         "1E39",
         FailureFamily::Conversion,
         FailureKind::Overflow,
         {"CHANGE", "MM", "Text8", "Conversion failure: overflow"}},
    };
    for (const PressCase& c : cases) {
        const ClickOutcome outcome = failedClick(c.button, c.field, c.text);
        if (!outcome.failure) continue;
        EXPECT_EQ(outcome.failure->family(), c.family);
        EXPECT_EQ(outcome.failure->kind(), c.kind);
        const std::string message = outcome.message();
        for (const char* part : c.messageMentions)
            EXPECT_TRUE(mentions(message, part)) << "\"" << part << "\" missing from: " << message;
    }
}

// The message names the family that ended the click, then its detail, and after a text that is no
// number it says what to type in the field it names, in that field's terms.
TEST(Buttons, FailureMessageNamesTheFamilyThenTheDetailAndAHintForItsField) {
    struct Case {
        Button button;
        Field field;
        const char* text;
        const char* says;
        const char* neverSays;
    };
    const Case cases[] = {
        {Button::Command7, Field::Text2, "1E39", "Conversion failure: overflow.", "Floating-point"},
        {Button::Command4, Field::Text2, "1E-38", "Floating-point fault: overflow.", "Conversion"},
        {Button::Command4, Field::Text2, "0", "Floating-point fault: division by zero.", "Conversion"},
        {Button::Command7, Field::Text2, "abc",
         "Conversion failure: type mismatch. The text is not a number. Type the frequency in MHz, such as 146.00.",
         ".064"},
        {Button::Command1, Field::Text4, "x", "such as 14, or 9009", "decimal point"},
        {Button::Command1, Field::Text4, "x", "such as 14", ".064"},
        {Button::Command2, Field::Text6, "", "inches, such as .064.", "146.00"},
        {Button::Command3, Field::Text8, "mm", "millimetres, such as 1.626.", "146.00"},
        {Button::Command3, Field::Text8, "1E39", "Conversion failure: overflow.", "Type the"},
        // The hint fits the mistake, in the field's terms, and the kind is still named.
        {Button::Command7, Field::Text2, "146,52",
         "type mismatch. The text is not a number. Use a point as the decimal mark: \"146.52\".", "such as 146.00"},
        {Button::Command7, Field::Text2, "146 MHz",
         "Type the number of MHz only, such as 146.00, with no unit or band name.", "decimal mark"},
        {Button::Command4, Field::Text2, "2m", "Type the number of MHz only", "decimal mark"},
        {Button::Command7, Field::Text2, "146 52", "Leave out the blanks inside the number: \"14652\".",
         "such as 146.00"},
        {Button::Command1, Field::Text4, "14 AWG", "Type the gauge code only, such as 14, with no unit.", "MHz"},
        {Button::Command2, Field::Text6, "0,064", "decimal mark: \"0.064\"", "millimetres"},
        {Button::Command3, Field::Text8, "1.6 mm", "number of millimetres only, such as 1.626", "MHz"},
        {Button::Command3, Field::Text8, "1,6E39",
         "Conversion failure: type mismatch. The text is not a number. Use a point", "Type the"},
    };
    for (const Case& c : cases) {
        const std::string message = failedClick(c.button, c.field, c.text).message();
        EXPECT_TRUE(mentions(message, c.says)) << "\"" << c.says << "\" missing from: " << message;
        EXPECT_FALSE(mentions(message, c.neverSays)) << "\"" << c.neverSays << "\" in: " << message;
    }

    testing::RecordingForm form;
    form.failAccess("Text8");
    Mod1 shared;
    const std::string message = press(Button::Command7, form, shared).message();
    EXPECT_TRUE(mentions(message, "Field access failure. The field could not be read or written.")) << message;
}

TEST(Buttons, FieldAccessFailureIsReportedNotThrown) {
    testing::RecordingForm form;
    form.failAccess("Text8");
    Mod1 shared;
    const ClickOutcome outcome = press(Button::Command7, form, shared);
    const std::optional<ClickFailure>& failure = outcome.failure;
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->family(), FailureFamily::FieldAccess);
    EXPECT_EQ(failure->kind(), FailureKind::FieldAccess);
    EXPECT_TRUE(mentions(outcome.message(), "ACCEPT"));
    EXPECT_TRUE(mentions(outcome.message(), "Text8"));
    // After a failed click the next one works as usual.
    MemoryForm fresh;
    EXPECT_FALSE(press(Button::Command7, fresh, shared).failure.has_value());
    EXPECT_EQ(fresh.text(Field::Text4), "14");
}

}  // namespace
}  // namespace brimalox
