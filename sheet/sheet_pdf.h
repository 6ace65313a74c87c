#pragma once
// An SVG page rendered to a one-page PDF, with librsvg and cairo.

#include <string>

namespace brimalox::cli {

// The page is widthPt x heightPt PostScript points and the SVG fills it. Throws std::runtime_error
// with librsvg's or cairo's reason when the SVG cannot be read or the PDF cannot be made.
std::string svgToPdf(const std::string& svg, double widthPt, double heightPt);

}  // namespace brimalox::cli
