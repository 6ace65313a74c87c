#pragma once
// Radiation patterns and the gain against height as stand-alone SVG charts.

#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/simulation.h"

namespace brimalox::nec {

// The elevation pattern (0 to 90 degrees, in the azimuth of maximum gain) and the azimuth pattern
// (at the take-off angle) side by side, polar, in dBi with labelled rings.
std::string patternPlotSvg(const PatternFigures& pattern, const std::string& title, const std::string& ground);

// Maximum gain and take-off angle against height, one chart above the other.
std::string heightsPlotSvg(const std::vector<HeightRow>& rows, const std::string& title, const std::string& ground);

// A font size at most `largest` px at which a line of text fits the width (text about 0.6 em a character).
double fittingFontSize(const std::string& text, double width, double largest);

}  // namespace brimalox::nec
