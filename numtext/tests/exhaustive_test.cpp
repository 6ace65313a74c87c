// Every one of the 2^32 single bit patterns against the "%.6E" oracle. Slow (minutes), so it is
// built only with BRIMALOX_EXHAUSTIVE_TESTS=ON.

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "numtext/numtext.h"
#include "printf_oracle.h"

namespace brimalox {
namespace {

TEST(NumberTextExhaustive, EverySingleMatchesPrintf) {
    const unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    std::atomic<std::uint64_t> mismatches{0};
    std::atomic<std::uint32_t> firstMismatch{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (std::uint64_t bits = t; bits <= 0xFFFFFFFFu; bits += threads) {
                const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
                if (!std::isfinite(value)) continue;
                if (singleToText(value) != testing::expectedSingleText(value)) {
                    if (mismatches++ == 0) firstMismatch = static_cast<std::uint32_t>(bits);
                }
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    EXPECT_EQ(mismatches.load(), 0u) << "first mismatch at bit pattern 0x" << std::hex
                                     << firstMismatch.load();
}

}  // namespace
}  // namespace brimalox
