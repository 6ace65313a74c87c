#pragma once
// Reads what nec2c prints: the impedance at every source for each frequency, and radiation
// pattern gains.

#include <complex>
#include <string_view>
#include <vector>

namespace brimalox::nec {

struct FeedImpedance {
    int tag = 0;
    int segment = 0;  // numbered through the whole structure, as nec2c prints it
    std::complex<double> ohms;
};

struct PatternPoint {
    double thetaDeg = 0;
    double phiDeg = 0;
    double totalDbi = 0;  // power gain
};

// One frequency of the run: the sources' impedances, and the pattern when one was computed there.
struct FrequencyResult {
    double mhz = 0;
    std::vector<FeedImpedance> feeds;
    std::vector<PatternPoint> pattern;
};

// Throws NecError when the text has no frequency with impedances, or a table row cannot be read.
std::vector<FrequencyResult> parseNecOutput(std::string_view text);

}  // namespace brimalox::nec
