#pragma once
// Replaying a script of user actions on a window in its start-up state.
//
// One action per line; blank lines and lines whose first non-blank character is '#' are ignored;
// a CR before the LF is part of the line ending, not of the line.
//   set NAME TEXT    NAME is Text1 .. Text24; TEXT is everything after the one space that follows
//                    NAME, taken literally (blanks at either end kept); "set NAME" alone sets ""
//   select Option1   (or Option2)
//   click CommandN   N from 1 to 7
// Blanks (spaces, tabs) may come before the verb and between the verb and NAME; select and click
// lines may end in blanks. Anything else is a usage error naming the line.

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/buttons.h"
#include "app/memory_form.h"
#include "numtext/form.h"
#include "numtext/mod1.h"

namespace brimalox::cli {

struct SetAction {
    Field field;
    std::string text;
};
struct SelectAction {
    Option option;
};
struct ClickAction {
    Button button;
};
using Action = std::variant<SetAction, SelectAction, ClickAction>;

struct ReplayError {
    long line;
    std::string message;
};

// One line of a script: an action, nothing (blank or comment), or a usage error.
struct ParsedLine {
    std::optional<Action> action;
    std::optional<ReplayError> error;
};
ParsedLine parseReplayLine(std::string_view line, long number);

class Replay {
public:
    void apply(const Action& action);
    // Reads and applies every line; stops at the first usage error and returns it.
    std::optional<ReplayError> run(std::istream& in);

    const MemoryForm& form() const { return form_; }
    const std::vector<ClickOutcome>& clicks() const { return clicks_; }

    // {"fields": {...the twelve value fields...}, "clicks": [...]}, one line, RFC 8259 escaping;
    // bytes that are not UTF-8 become U+FFFD.
    std::string json() const;

private:
    MemoryForm form_;
    Mod1 shared_;
    std::vector<ClickOutcome> clicks_;
};

// The twelve value fields in the order they are reported.
const std::vector<Field>& reportedFields();

}  // namespace brimalox::cli
