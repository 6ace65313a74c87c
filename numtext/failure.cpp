#include "numtext/failure.h"

namespace brimalox {

ClickFailure::ClickFailure(FailureFamily family, FailureKind kind, std::string where)
    : std::runtime_error(std::string(kindName(kind)) + " while " + where),
      family_(family), kind_(kind), where_(std::move(where)) {}

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
        return "The text is not a number. Type digits with a decimal point, such as 146.00 or .064.";
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
