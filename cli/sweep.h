#pragma once
// A frequency sweep: from, from + step, from + 2*step, ... up to and including `to` when it falls
// on the grid. Each value is computed as from + i*step, so no error accumulates along the sweep.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace brimalox::cli {

inline constexpr std::uint64_t kMaxSweepPoints = 10'000'000;

struct Sweep {
    double from = 0;
    double step = 1;
    std::uint64_t count = 0;

    // The i-th frequency as typed into the frequency field: the double from + i*step written as
    // the calculator writes a double (15 significant digits, trailing zeros dropped), so
    // 1 + 3*0.1 = 1.3000000000000003 is typed as "1.3".
    std::string text(std::uint64_t index) const;
};

// Reads the three texts as numbers. A point counts as the inclusive end when it lies within a
// relative 1e-12 (and at least 1e-9) of a step of `to`, so decimal inputs such as 0.1 .. 0.3 by
// 0.1 include 0.3. Returns a message for anything that is no valid sweep, including one of more
// than kMaxSweepPoints points.
std::variant<Sweep, std::string> makeSweep(std::string_view from, std::string_view to, std::string_view step);

}  // namespace brimalox::cli
