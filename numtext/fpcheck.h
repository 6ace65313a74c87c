#pragma once
// The float-fault check without touching the floating-point environment: each operation notes the
// first fault it raises (division by zero, overflow, invalid operation), and check() ends the click
// with it. Inexact results and underflow are not faults.

#include <optional>
#include <string_view>

#include "numtext/failure.h"

namespace brimalox {

class FloatFaults {
public:
    double add(double a, double b);
    double sub(double a, double b);
    double mul(double a, double b);
    double div(double a, double b);
    // Narrowing as a value is stored in a shared single: too large for a single is an overflow.
    float toSingle(double value);

    // Throws ClickFailure (floating-point) for the first fault noted since the last check.
    void check(std::string_view where);

private:
    double note(double result, double a, double b, bool division);
    std::optional<FailureKind> fault_;
};

}  // namespace brimalox
