#pragma once
// Text inside XML (SVG, HTML): the characters that would end or open markup, escaped.

#include <string>
#include <string_view>

namespace brimalox {

// & < > and " as entities; everything else unchanged, so UTF-8 passes through.
std::string xmlEscaped(std::string_view text);

}  // namespace brimalox
