#pragma once
// Fields apart by one character (the commas of a typed setting, the tabs between a binding's
// values), split as they stand: empty fields kept, nothing trimmed.

#include <string>
#include <string_view>
#include <vector>

namespace brimalox {

inline std::vector<std::string> splitText(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(separator, at)) != std::string_view::npos; at = next + 1)
        parts.emplace_back(text.substr(at, next - at));
    parts.emplace_back(text.substr(at));
    return parts;
}

}  // namespace brimalox
