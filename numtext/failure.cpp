#include "numtext/failure.h"

namespace brimalox {

ClickFailure::ClickFailure(FailureFamily family, FailureKind kind, std::string where, std::optional<Field> field,
                           std::string text)
    : std::runtime_error(std::string(kindName(kind)) + " while " + where),
      family_(family), kind_(kind), where_(std::move(where)), field_(field), text_(std::move(text)) {}

std::string_view kindName(FailureKind kind) {
    switch (kind) {
    case FailureKind::TypeMismatch: return "Type mismatch";
    case FailureKind::Overflow: return "Overflow";
    case FailureKind::DivisionByZero: return "Division by zero";
    case FailureKind::InvalidOperation: return "Invalid operation";
    case FailureKind::FieldAccess: return "Field access failure";
    }
    return "Unknown failure";
}

std::string_view familyName(FailureFamily family) {
    switch (family) {
    case FailureFamily::Conversion: return "conversion";
    case FailureFamily::FloatingPoint: return "floating-point";
    case FailureFamily::FieldAccess: return "field access";
    }
    return "unknown";
}

std::string_view familyTitle(FailureFamily family) {
    switch (family) {
    case FailureFamily::Conversion: return "Conversion failure";
    case FailureFamily::FloatingPoint: return "Floating-point fault";
    case FailureFamily::FieldAccess: break;
    }
    return "Field access failure";
}

std::string_view kindKey(FailureKind kind) {
    switch (kind) {
    case FailureKind::TypeMismatch: return "type mismatch";
    case FailureKind::Overflow: return "overflow";
    case FailureKind::DivisionByZero: return "division by zero";
    case FailureKind::InvalidOperation: return "invalid operation";
    case FailureKind::FieldAccess: break;
    }
    return "field access";
}

std::string_view kindExplanation(FailureKind kind) {
    switch (kind) {
    case FailureKind::TypeMismatch:
        return "The text is not a number.";
    case FailureKind::Overflow:
        return "The number is too large to be held or computed.";
    case FailureKind::DivisionByZero:
        return "A value of zero led to a division by zero.";
    case FailureKind::InvalidOperation:
        return "The values led to a calculation with no defined result.";
    case FailureKind::FieldAccess:
        return "The field could not be read or written.";
    }
    return "";
}

}  // namespace brimalox
