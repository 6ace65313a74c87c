#pragma once
// Impedance against frequency on a Smith chart, as a stand-alone SVG for a browser or a phone: the
// model's trace and a measured one, normalised to one reference, with the SWR 1.5 and 2 circles.

#include <complex>
#include <string>
#include <vector>

namespace brimalox::nec {

struct SmithTrace {
    std::vector<double> mhz;  // in frequency order
    std::vector<std::complex<double>> ohms;
};

struct SmithLabels {
    std::string title;
    std::string subtitle;       // where the impedance is taken
    double referenceOhms = 50;  // the chart's centre
    double designMhz = 0;       // marked, as are the trace's ends and every tenth point
};

// measured: empty for none.
std::string smithChartSvg(const SmithTrace& model, const SmithTrace& measured, const SmithLabels& labels);

}  // namespace brimalox::nec
