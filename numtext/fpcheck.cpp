#include "numtext/fpcheck.h"

#include <cmath>
#include <string>

namespace brimalox {

double FloatFaults::note(double result, double a, double b, bool division) {
    if (fault_) return result;
    const bool operandsFinite = std::isfinite(a) && std::isfinite(b);
    if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) {
        fault_ = FailureKind::InvalidOperation;
    } else if (std::isinf(result) && operandsFinite) {
        fault_ = (division && b == 0) ? FailureKind::DivisionByZero : FailureKind::Overflow;
    }
    return result;
}

double FloatFaults::add(double a, double b) { return note(a + b, a, b, false); }
double FloatFaults::sub(double a, double b) { return note(a - b, a, b, false); }
double FloatFaults::mul(double a, double b) { return note(a * b, a, b, false); }
double FloatFaults::div(double a, double b) { return note(a / b, a, b, true); }

float FloatFaults::toSingle(double value) {
    const float narrowed = static_cast<float>(value);
    if (!fault_ && std::isinf(narrowed) && std::isfinite(value)) fault_ = FailureKind::Overflow;
    return narrowed;
}

void FloatFaults::check(std::string_view where) {
    if (!fault_) return;
    const FailureKind kind = *fault_;
    fault_.reset();
    throw ClickFailure(FailureFamily::FloatingPoint, kind, std::string(where));
}

}  // namespace brimalox
