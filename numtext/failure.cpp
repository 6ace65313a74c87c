#include "numtext/failure.h"

#include <iterator>

namespace brimalox {

ClickFailure::ClickFailure(FailureFamily family, FailureKind kind, std::string where, std::optional<Field> field,
                           std::string text)
    : std::runtime_error(std::string(kindName(kind)) + " while " + where),
      family_(family),
      kind_(kind),
      where_(std::move(where)),
      field_(field),
      text_(std::move(text)) {}

namespace {

// One row for each family and kind a step can throw.
constexpr FailureWords kWords[] = {
    {FailureFamily::Conversion, FailureKind::TypeMismatch, "conversion", "type mismatch", "Type mismatch",
     "Conversion failure: type mismatch", "Type mismatch (conversion failure)", "The text is not a number.",
     "is not a number (digits with at most one point and an optional exponent)"},
    {FailureFamily::Conversion, FailureKind::Overflow, "conversion", "overflow", "Overflow",
     "Conversion failure: overflow", "Overflow (conversion failure)", "The number is too large to be held or computed.",
     "is too large to be held as a number"},
    {FailureFamily::FloatingPoint, FailureKind::Overflow, "floating-point", "overflow", "Overflow",
     "Floating-point fault: overflow", "Overflow (floating-point failure)",
     "The number is too large to be held or computed.", "gives a result too large to be held"},
    {FailureFamily::FloatingPoint, FailureKind::DivisionByZero, "floating-point", "division by zero",
     "Division by zero", "Floating-point fault: division by zero", "Division by zero (floating-point failure)",
     "A value of zero led to a division by zero.", "leads to a division by zero"},
    {FailureFamily::FloatingPoint, FailureKind::InvalidOperation, "floating-point", "invalid operation",
     "Invalid operation", "Floating-point fault: invalid operation", "Invalid operation (floating-point failure)",
     "The values led to a calculation with no defined result.", "leads to a calculation with no defined result"},
    {FailureFamily::FieldAccess, FailureKind::FieldAccess, "field access", "field access", "Field access failure",
     "Field access failure", "Field access failure", "The field could not be read or written.",
     "could not be worked on"},
};

}  // namespace

const FailureWords& failureWords(FailureFamily family, FailureKind kind) {
    const FailureWords* first = nullptr;
    for (const FailureWords& row : kWords) {
        if (row.kind != kind) continue;
        if (row.family == family) return row;
        if (first == nullptr) first = &row;
    }
    return first != nullptr ? *first : kWords[std::size(kWords) - 1];
}

std::string_view kindName(FailureKind kind) { return failureWords(FailureFamily::Conversion, kind).kindName; }
std::string_view kindKey(FailureKind kind) { return failureWords(FailureFamily::Conversion, kind).kindKey; }
std::string_view kindExplanation(FailureKind kind) { return failureWords(FailureFamily::Conversion, kind).explanation; }

std::string_view familyName(FailureFamily family) {
    for (const FailureWords& row : kWords)
        if (row.family == family) return row.familyKey;
    return kWords[std::size(kWords) - 1].familyKey;
}

}  // namespace brimalox
