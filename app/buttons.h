#pragma once
// The seven push buttons and the one place where a click's failure is caught. Qt-free, so the
// window and the command line wire clicks to handlers the same way.

#include <optional>
#include <string>
#include <string_view>

#include "numtext/failure.h"
#include "numtext/form.h"
#include "numtext/mod1.h"

namespace brimalox {

enum class Button { Command1 = 1, Command2, Command3, Command4, Command5, Command6, Command7 };

std::string_view buttonName(Button button);     // "Command4"
std::string_view buttonCaption(Button button);  // "COMPUTE"
// What the button is for, in words: "CHANGE below the AWG field".
std::string_view buttonPurpose(Button button);

// Runs the button's handler to its end or to its failing step; returns the failure, if any.
std::optional<ClickFailure> press(Button button, Form& form, Mod1& shared);

// The message a user reads for a failed click: which button, which step, which kind of failure.
std::string failureMessage(Button button, const ClickFailure& failure);

}  // namespace brimalox
