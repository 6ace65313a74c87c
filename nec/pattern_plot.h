#pragma once
// Radiation patterns and the gain against height as stand-alone SVG charts.

#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/simulation.h"

namespace brimalox::nec {

// The elevation pattern (0 to 90 degrees, in the azimuth of maximum gain) and the azimuth pattern
// (at the take-off angle) side by side, polar, in dBi with labelled rings.
std::string patternPlotSvg(const PatternFigures& pattern, const std::string& title);

// Maximum gain and take-off angle against height, one chart above the other.
std::string heightsPlotSvg(const std::vector<HeightRow>& rows, const std::string& title);

// Text for SVG: the XML special characters escaped.
std::string svgEscaped(const std::string& text);

}  // namespace brimalox::nec
