#pragma once
// SWR against frequency as a stand-alone SVG chart for a browser.

#include <string>

#include "nec/analysis.h"

namespace brimalox::nec {

struct PlotLabels {
    std::string title;        // e.g. "BRIMALOX three sided, 146 MHz"
    double designMhz = 0;     // marked with a vertical line
};

std::string swrPlotSvg(const Analysis& analysis, const PlotLabels& labels);

}  // namespace brimalox::nec
