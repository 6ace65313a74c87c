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

private:
    FailureFamily family_;
    FailureKind kind_;
    std::string where_;
    std::optional<Field> field_;
    std::string text_;
};

// Plain words for the user: "Type mismatch", "Division by zero", ...
std::string_view kindName(FailureKind kind);
// "conversion", "floating-point", "field access".
std::string_view familyName(FailureFamily family);
// How a message names the family: "Conversion failure", "Floating-point fault", "Field access failure".
std::string_view familyTitle(FailureFamily family);
// The kind as a key in machine-read output (the command line's replay, the WebAssembly binding):
// "type mismatch", "overflow", "division by zero", "invalid operation", "field access".
std::string_view kindKey(FailureKind kind);
// One sentence that says what the kind means for the text the user typed.
std::string_view kindExplanation(FailureKind kind);

}  // namespace brimalox
