#pragma once
// Reads what nec2c prints: the impedance at every source for each frequency, and radiation
// pattern gains.

#include <complex>
#include <optional>
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
    double verticalDbi = 0, horizontalDbi = 0;
    // |E(theta)| and |E(phi)| in V/m, to five significant digits: near a lobe's top finer than the
    // gains' two decimals. 0 where a row does not hold them.
    double eThetaVm = 0, ePhiVm = 0;
};

// One frequency of the run: the sources' impedances, and the patterns when they were computed
// there. mhz is what nec2c printed (five significant digits); the deck's own frequencies are exact.
struct FrequencyRun {
    double mhz = 0;
    std::vector<FeedImpedance> feeds;
    std::vector<PatternPoint> pattern;      // the first pattern table
    std::vector<PatternPoint> finePattern;  // the second pattern table, when there is one
    std::optional<double> averageGain;      // nec2c's average power gain over the first table
    std::optional<double> inputPowerW;      // of all sources together
};

// Throws NecError when the text has no frequency with impedances, or a table row cannot be read.
std::vector<FrequencyRun> parseNecOutput(std::string_view text);

}  // namespace brimalox::nec
