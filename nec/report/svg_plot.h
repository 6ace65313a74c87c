#pragma once
// SWR against frequency as a stand-alone SVG chart for a browser.

#include <string>
#include <utility>
#include <vector>

#include "nec/analysis.h"

namespace brimalox::nec {

struct PlotLabels {
    std::string title;                             // e.g. "BRIMALOX three sided, 146 MHz"
    double designMhz = 0;                          // marked with a vertical line
    std::vector<std::pair<double, double>> bands;  // MHz from, to: shaded behind the curve
};

// measured: MHz and SWR of a built antenna, drawn over the model's curve.
std::string swrPlotSvg(const Analysis& analysis, const PlotLabels& labels,
                       const std::vector<std::pair<double, double>>& measured = {});

}  // namespace brimalox::nec
