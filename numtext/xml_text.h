#pragma once
// Text inside XML (SVG, HTML): the characters that would end or open markup, escaped, and the
// charts' coordinates.

#include <string>
#include <string_view>

namespace brimalox {

// & < > and " as entities; everything else unchanged, so UTF-8 passes through.
std::string xmlEscaped(std::string_view text);
// A chart's coordinate or length in SVG user units, to a tenth (finer than any screen shows).
std::string svgNumber(double value);

}  // namespace brimalox
