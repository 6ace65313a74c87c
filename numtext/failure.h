#pragma once
// The one way a click fails: a typed value thrown at the failing step and caught by the click
// dispatcher, which tells the user. Nothing that was written before the step is undone.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "numtext/form.h"

namespace brimalox {

// What went wrong, in the three families the user is told about.
enum class FailureFamily { Conversion, FloatingPoint, FieldAccess };

// The precise kind. A field access failure has no finer kind.
enum class FailureKind { TypeMismatch, Overflow, DivisionByZero, InvalidOperation, FieldAccess };

// Every word the program has for one family and kind of failure. A front-end takes its words from
// here and assembles none of its own.
struct FailureWords {
    FailureFamily family;
    FailureKind kind;
    std::string_view familyKey;     // machine-read output (replay, the page): "conversion"
    std::string_view kindKey;       // machine-read output: "type mismatch"
    std::string_view kindName;      // "Type mismatch"
    std::string_view heading;       // the window's message: "Conversion failure: type mismatch"
    std::string_view summary;       // the command line's line: "Type mismatch (conversion failure)"
    std::string_view explanation;   // what the kind means for the text the user typed
    std::string_view valueProblem;  // after the value a command line was given: "is not a number (...)"
};

// The row of a family and kind; a pair no step throws falls back on the kind's first row.
const FailureWords& failureWords(FailureFamily family, FailureKind kind);

// Single columns of the table, for the kind or family alone.
std::string_view kindName(FailureKind kind);
std::string_view kindKey(FailureKind kind);
std::string_view kindExplanation(FailureKind kind);
std::string_view familyName(FailureFamily family);

class ClickFailure : public std::runtime_error {
public:
    // `field` and `text`: the field whose text could not be read as a number, and that text, for a
    // conversion failure.
    ClickFailure(FailureFamily family, FailureKind kind, std::string where, std::optional<Field> field = {},
                 std::string text = {});

    FailureFamily family() const { return family_; }
    FailureKind kind() const { return kind_; }
    // The step that failed, in words ("reading the frequency field").
    const std::string& where() const { return where_; }
    std::optional<Field> field() const { return field_; }
    const std::string& text() const { return text_; }
    const FailureWords& words() const { return failureWords(family_, kind_); }

private:
    FailureFamily family_;
    FailureKind kind_;
    std::string where_;
    std::optional<Field> field_;
    std::string text_;
};

}  // namespace brimalox
