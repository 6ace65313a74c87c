#pragma once
// The one way a click fails: a typed value thrown at the failing step and caught by the click
// dispatcher, which tells the user. Nothing that was written before the step is undone.

#include <stdexcept>
#include <string>
#include <string_view>

namespace brimalox {

// What went wrong, in the three families the user is told about.
enum class FailureFamily { Conversion, FloatingPoint, FieldAccess };

// The precise kind. A field access failure has no finer kind.
enum class FailureKind { TypeMismatch, Overflow, DivisionByZero, InvalidOperation, FieldAccess };

class ClickFailure : public std::runtime_error {
public:
    ClickFailure(FailureFamily family, FailureKind kind, std::string where);

    FailureFamily family() const { return family_; }
    FailureKind kind() const { return kind_; }
    // The step that failed, in words ("reading the frequency field").
    const std::string& where() const { return where_; }

private:
    FailureFamily family_;
    FailureKind kind_;
    std::string where_;
};

// Plain words for the user: "Type mismatch", "Division by zero", ...
std::string_view kindName(FailureKind kind);
// "conversion", "floating-point", "field access".
std::string_view familyName(FailureFamily family);
// The kind as a key in machine-read output (the command line's replay, the WebAssembly binding):
// "type mismatch", "overflow", "division by zero", "invalid operation", "field access".
std::string_view kindKey(FailureKind kind);
// One sentence that says what the kind means for the text the user typed.
std::string_view kindExplanation(FailureKind kind);

}  // namespace brimalox
