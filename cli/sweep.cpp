#include "cli/sweep.h"

#include <cmath>

#include "numtext/numtext.h"

namespace brimalox::cli {

std::string Sweep::text(std::uint64_t index) const {
    return doubleToText(from + static_cast<double>(index) * step);
}

namespace {

bool readFinite(std::string_view text, double& value) {
    const Parsed<double> parsed = parseDouble(text);
    value = parsed.value;
    return parsed.ok() && std::isfinite(parsed.value);
}

}  // namespace

std::variant<Sweep, std::string> makeSweep(std::string_view fromText, std::string_view toText,
                                           std::string_view stepText) {
    double from = 0, to = 0, step = 0;
    if (!readFinite(fromText, from)) return "--from is not a finite number";
    if (!readFinite(toText, to)) return "--to is not a finite number";
    if (!readFinite(stepText, step)) return "--step is not a finite number";
    if (!(step > 0)) return "--step must be greater than 0";
    if (to < from) return "--to must not be below --from";

    const double steps = (to - from) / step;  // may be inf for a tiny step over a wide range
    const double limit = static_cast<double>(kMaxSweepPoints);
    const double tolerance = std::fmax(1e-9, steps * 1e-12);
    const double whole = std::floor(steps + tolerance);
    if (!(whole < limit)) {
        return "the sweep would have more than " + std::to_string(kMaxSweepPoints) +
               " points; use a larger --step or a narrower range";
    }
    return Sweep{from, step, static_cast<std::uint64_t>(whole) + 1};
}

}  // namespace brimalox::cli
