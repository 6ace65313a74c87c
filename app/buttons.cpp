#include "app/buttons.h"

#include "dimensions/compute.h"
#include "wiresize/wiresize.h"

namespace brimalox {

std::string_view buttonName(Button button) {
    switch (button) {
    case Button::Command1: return "Command1";
    case Button::Command2: return "Command2";
    case Button::Command3: return "Command3";
    case Button::Command4: return "Command4";
    case Button::Command5: return "Command5";
    case Button::Command6: return "Command6";
    case Button::Command7: return "Command7";
    }
    return "";
}

std::string_view buttonCaption(Button button) {
    switch (button) {
    case Button::Command1:
    case Button::Command2:
    case Button::Command3: return "CHANGE";
    case Button::Command4: return "COMPUTE";
    case Button::Command5: return "WEBSITE";
    case Button::Command6: return "NOTES";
    case Button::Command7: return "ACCEPT";
    }
    return "";
}

std::string_view buttonPurpose(Button button) {
    switch (button) {
    case Button::Command1: return "CHANGE below the AWG field: converts the gauge to inches and millimetres";
    case Button::Command2: return "CHANGE below the inch field: converts the inches to millimetres and the gauge";
    case Button::Command3: return "CHANGE below the millimetre field: converts the millimetres to inches and the gauge";
    case Button::Command4: return "COMPUTE: computes the height, side, gap and series match length";
    case Button::Command5: return "WEBSITE: shows information about this program";
    case Button::Command6: return "NOTES: opens the design notes";
    case Button::Command7: return "ACCEPT: proposes the recommended minimum wire or tube for the frequency";
    }
    return "";
}

std::optional<ClickFailure> press(Button button, Form& form, Mod1& shared) {
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
        return failure;
    }
    return std::nullopt;
}

std::string failureMessage(Button button, const ClickFailure& failure) {
    std::string message(buttonCaption(button));
    if (button == Button::Command1) message += " (below AWG)";
    if (button == Button::Command2) message += " (below INCH)";
    if (button == Button::Command3) message += " (below MM)";
    message += " stopped while " + failure.where() + ".\n\n";
    message += std::string(kindName(failure.kind())) + ": " + std::string(kindExplanation(failure.kind()));
    message += "\n\nFields already written keep their new values; the others are unchanged.";
    return message;
}

}  // namespace brimalox
