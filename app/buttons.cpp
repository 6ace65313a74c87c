#include "app/buttons.h"

#include "app/layout.h"
#include "dimensions/compute.h"
#include "numtext/typing.h"
#include "wiresize/wiresize.h"

namespace brimalox {

std::string_view buttonName(Button button) { return control(button).name; }
std::string_view buttonCaption(Button button) { return control(button).text; }
std::string_view buttonPurpose(Button button) { return control(button).accessibleDescription; }

ClickOutcome press(Button button, Form& form, Mod1& shared) {
    try {
        switch (button) {
        case Button::Command1: changeGauge(form, shared); break;
        case Button::Command2: changeInches(form, shared); break;
        case Button::Command3: changeMillimetres(form, shared); break;
        case Button::Command4: compute(form, shared); break;
        case Button::Command5: form.showWebsite(); break;
        case Button::Command6: form.showNotes(); break;
        case Button::Command7: accept(form, shared); break;
        }
    } catch (const ClickFailure& failure) {
        return {button, failure};
    }
    return {button, std::nullopt};
}

namespace {

// What to type instead, fitted to the likely mistake where one is recognised.
std::string typingHint(const Control& field, std::string_view text) {
    const TypingAdvice advice = typingAdvice(text);
    switch (advice.mistake) {
    case TypingMistake::DecimalComma: return "Use a point as the decimal mark: \"" + advice.corrected + "\".";
    case TypingMistake::BlanksInside: return "Leave out the blanks inside the number: \"" + advice.corrected + "\".";
    case TypingMistake::UnitAfterNumber:
        if (!field.numberOnlyHint.empty()) return std::string(field.numberOnlyHint);
        break;
    case TypingMistake::None: break;
    }
    return std::string(field.typingHint);
}

}  // namespace

std::string ClickOutcome::message() const {
    if (!failure) return {};
    const FailureWords& words = failure->words();
    std::string message(control(button).role);
    message += " stopped while " + failure->where() + ".\n\n";
    // The family first, as the user is told which of the three ended the click, then the detail.
    message += std::string(words.heading) + ". " + std::string(words.explanation);
    if (failure->kind() == FailureKind::TypeMismatch && failure->field()) {
        const std::string hint = typingHint(control(*failure->field()), failure->text());
        if (!hint.empty()) message += " " + hint;
    }
    message += "\n\nFields already written keep their new values; the others are unchanged.";
    return message;
}

}  // namespace brimalox
