#include "cli/sweep.h"

#include <cmath>
#include <optional>

#include "cli/output.h"
#include "numtext/numtext.h"

namespace brimalox::cli {

std::string Sweep::text(std::uint64_t index) const { return doubleToText(from + static_cast<double>(index) * step); }

namespace {

// The option and the text given, quoted and shortened, for a message.
std::string given(std::string_view option, std::string_view text) {
    constexpr std::size_t kShown = 40;
    return std::string(option) + " \"" + printable(text.substr(0, kShown)) + (text.size() > kShown ? "...\"" : "\"");
}

// The value, or a message that says what is wrong with the text.
std::optional<std::string> readNumber(std::string_view option, std::string_view text, double& value) {
    const Parsed<double> parsed = parseDouble(text);
    value = parsed.value;
    if (parsed.error == ParseError::Overflow) return given(option, text) + " is too large to be held as a number";
    if (!parsed.ok())
        return given(option, text) + " is not a number (digits with at most one point and an optional exponent)";
    return std::nullopt;
}

}  // namespace

std::variant<Sweep, std::string> makeSweep(std::string_view fromText, std::string_view toText,
                                           std::string_view stepText) {
    double from = 0, to = 0, step = 0;
    if (auto wrong = readNumber("--from", fromText, from)) return *wrong;
    if (auto wrong = readNumber("--to", toText, to)) return *wrong;
    if (auto wrong = readNumber("--step", stepText, step)) return *wrong;
    if (!(step > 0)) return given("--step", stepText) + " must be greater than 0";
    if (to < from) return given("--to", toText) + " is below " + given("--from", fromText);

    const double steps = (to - from) / step;  // may be inf for a tiny step over a wide range
    const double limit = static_cast<double>(kMaxSweepPoints);
    const double tolerance = std::fmax(1e-9, steps * 1e-12);
    const double whole = std::floor(steps + tolerance);
    if (!(whole < limit)) {
        return given("--step", stepText) + " from " + given("--from", fromText) + " to " + given("--to", toText) +
               " would make more than " + std::to_string(kMaxSweepPoints) +
               " points; use a larger --step or a narrower range";
    }
    return Sweep{from, step, static_cast<std::uint64_t>(whole) + 1};
}

}  // namespace brimalox::cli
