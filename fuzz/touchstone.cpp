// The Touchstone reader on any bytes (a measured file anyone can hand the page or the command
// line): strictly increasing, positive, finite frequencies with finite impedances, whose SWR and
// stretches can be summarised; or a NecError with a short message; nothing else escapes.
#include <cmath>
#include <string>

#include "fuzz/fuzz_check.h"
#include "nec/error.h"
#include "nec/touchstone.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using brimalox::fuzz::require;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string story = brimalox::fuzz::shown(text);
    try {
        const brimalox::nec::Touchstone file = brimalox::nec::readTouchstone(text);
        require(!file.mhz.empty() && file.mhz.size() == file.ohms.size(), "frequencies and impedances pair up", story);
        require(std::isfinite(file.referenceOhms) && file.referenceOhms > 0, "a positive reference", story);
        for (std::size_t i = 0; i < file.mhz.size(); ++i) {
            require(std::isfinite(file.mhz[i]) && file.mhz[i] > 0, "a frequency that is not positive and finite",
                    story);
            require(i == 0 || file.mhz[i] > file.mhz[i - 1], "frequencies that do not increase", story);
            require(std::isfinite(file.ohms[i].real()) && std::isfinite(file.ohms[i].imag()),
                    "an impedance that is not finite", story);
        }
        const auto measured = brimalox::nec::measuredSwr(file, 300);
        const auto summary = brimalox::nec::summarise(measured, "fuzz.s1p", file.mhz.front());
        require(!(summary.lowestSwr < 1), "an SWR below 1", story);
        for (const auto& stretch : summary.stretches)
            require(stretch.fromMhz <= stretch.toMhz, "a stretch that ends before it starts", story);
    } catch (const brimalox::nec::NecError& error) {
        const std::string message = error.what();
        require(!message.empty() && message.size() < 300, "a short error message", message);
    }
    return 0;
}
