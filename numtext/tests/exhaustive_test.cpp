// Every one of the 2^32 single bit patterns against the "%.6E" oracle, in 16 shards that CTest can
// run side by side. Slow (tens of CPU minutes), so it is built only with BRIMALOX_EXHAUSTIVE_TESTS=ON.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "numtext/numtext.h"
#include "printf_oracle.h"

namespace brimalox {
namespace {

class EverySingle : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(EverySingle, TextMatchesPrintf) {
    const std::uint64_t first = static_cast<std::uint64_t>(GetParam()) << 28;
    const std::uint64_t last = first + (std::uint64_t{1} << 28);
    std::uint64_t mismatches = 0;
    for (std::uint64_t bits = first; bits < last; ++bits) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        if (!std::isfinite(value)) continue;
        const std::string text = singleToText(value);
        const std::string expected = testing::expectedSingleText(value);
        if (text != expected && mismatches++ < 5)
            ADD_FAILURE() << "bit pattern 0x" << std::hex << bits << ": " << text << " != " << expected;
    }
    EXPECT_EQ(mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(NumberTextExhaustive, EverySingle, ::testing::Range<std::uint32_t>(0, 16));

}  // namespace
}  // namespace brimalox
