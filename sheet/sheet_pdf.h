#pragma once
// An SVG page rendered to a one-page PDF, with librsvg and cairo.

#include <string>

#include "sheet/sheet_svg.h"

namespace brimalox::sheet {

// The page is the paper's size and the SVG fills it; its text stays text, to select and search.
// Throws std::runtime_error with librsvg's or cairo's reason when the SVG cannot be read or the PDF
// cannot be made.
std::string svgToPdf(const std::string& svg, Paper paper);

}  // namespace brimalox::sheet
