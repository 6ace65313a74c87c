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

std::string_view buttonName(Button button);     // "Command4"
std::string_view buttonCaption(Button button);  // "COMPUTE"
// What the button is for, in words: "CHANGE below the AWG field".
std::string_view buttonPurpose(Button button);

// Everything a front-end tells about one click: which button, whether it went through, and for a
// failed one the failure with its words and the message the window shows.
struct ClickOutcome {
    Button button;
    std::optional<ClickFailure> failure;  // empty when the click went through

    bool ok() const { return !failure; }
    // The failure's machine-read keys, "conversion" and "type mismatch"; empty when ok.
    std::string_view family() const { return failure ? failure->words().familyKey : std::string_view(); }
    std::string_view kind() const { return failure ? failure->words().kindKey : std::string_view(); }
    // The field whose text could not be read as a number, for a conversion failure.
    std::optional<Field> field() const { return failure ? failure->field() : std::nullopt; }
    // What the user reads: which button, which step, which kind of failure, what to type instead.
    // Empty when ok.
    std::string message() const;
};

// Runs the button's handler to its end or to its failing step.
ClickOutcome press(Button button, Form& form, Mod1& shared);

}  // namespace brimalox
