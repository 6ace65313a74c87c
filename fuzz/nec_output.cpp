// The nec2c output reader on any bytes: a sweep with impedances at some frequency, every number
// finite, or a NecError with a short message; nothing else escapes.
#include <cmath>
#include <string>

#include "fuzz/fuzz_check.h"
#include "nec/error.h"
#include "nec/output_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using brimalox::fuzz::require;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string story = brimalox::fuzz::shown(text);
    try {
        const auto sweep = brimalox::nec::parseNecOutput(text);
        bool anyFeeds = false;
        for (const auto& frequency : sweep) {
            anyFeeds = anyFeeds || !frequency.feeds.empty();
            require(std::isfinite(frequency.mhz), "a frequency that is not finite", story);
            for (const auto& feed : frequency.feeds)
                require(std::isfinite(feed.ohms.real()) && std::isfinite(feed.ohms.imag()),
                        "an impedance that is not finite", story);
            for (const auto& point : frequency.pattern)
                require(std::isfinite(point.thetaDeg) && std::isfinite(point.phiDeg) && std::isfinite(point.totalDbi),
                        "a pattern point that is not finite", story);
        }
        require(anyFeeds, "a sweep without impedances", story);
    } catch (const brimalox::nec::NecError& error) {
        const std::string message = error.what();
        require(!message.empty() && message.size() < 200, "an error message", message);
    }
    return 0;
}
