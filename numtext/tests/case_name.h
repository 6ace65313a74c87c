#pragma once
// Readable test names for value-parameterised cases, the same in every build: the case's place in
// its list, then a text that tells it apart, with what a test name may not hold turned into '_'.

#include <cctype>
#include <string>
#include <string_view>

namespace brimalox::testing {

inline std::string caseName(std::size_t index, std::string_view text) {
    std::string name = std::to_string(index) + '_';
    for (const unsigned char c : text)
        name += std::isalnum(c) ? static_cast<char>(c) : '_';
    return name;
}

}  // namespace brimalox::testing

// The name generator for a suite whose parameter is a text, or has a text member (".text").
#define BRIMALOX_CASE_NAMES(member) \
    [](const auto& info) { return ::brimalox::testing::caseName(info.index, info.param member); }
