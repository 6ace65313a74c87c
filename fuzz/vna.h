#pragma once
// What both analyser fuzz targets hold: any bytes, fed in pieces of any size, end in a whole sweep
// (the points asked for, frequencies rising, every value finite) or a VnaError with a short
// message; silence after the last piece ends it too. Nothing else escapes, nothing hangs.
#include <cmath>
#include <memory>
#include <string>

#include "fuzz/fuzz_check.h"
#include "vna/analyser.h"

namespace brimalox::fuzz {

inline constexpr vna::SweepPlan kFuzzPlan{100'000'000, 200'000'000, 3};

inline void feedAnalyser(std::unique_ptr<vna::Conversation> conversation, std::string_view bytes) {
    const std::string story = shown(bytes);
    try {
        vna::Step step = conversation->start();
        // The first byte cuts the rest into pieces, as a port's reads would.
        const std::size_t piece = bytes.empty() ? 1 : 1 + static_cast<unsigned char>(bytes[0]) % 61;
        for (std::size_t at = bytes.empty() ? 0 : 1; at < bytes.size() && !step.done; at += piece)
            step = conversation->received(bytes.substr(at, piece));
        for (int quiet = 0; !step.done && quiet < 8; ++quiet)
            step = conversation->silence();
        require(step.done, "a conversation that neither ends nor fails in silence", story);
        const vna::Sweep& sweep = conversation->sweep();
        require(sweep.hz.size() == 3 && sweep.s11.size() == 3, "a sweep of other than the points asked for", story);
        for (std::size_t i = 0; i < sweep.hz.size(); ++i) {
            require(std::isfinite(sweep.s11[i].real()) && std::isfinite(sweep.s11[i].imag()), "a value not finite",
                    story);
            require(i == 0 || sweep.hz[i] > sweep.hz[i - 1], "frequencies that do not rise", story);
        }
    } catch (const vna::VnaError& error) {
        const std::string message = error.what();
        require(!message.empty() && message.size() < 300, "a short error message", message);
    }
}

}  // namespace brimalox::fuzz
