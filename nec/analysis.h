#pragma once
// What a sweep says of the antenna: SWR of one gap against the feed line, the best frequency, the
// range below 2:1, and the strongest direction of the pattern.

#include <complex>
#include <optional>
#include <vector>

#include "nec/output_parser.h"

namespace brimalox::nec {

// Infinite when the load's resistance is not positive (all power comes back).
double swr(std::complex<double> load, double z0);

struct SweepRow {
    double mhz = 0;
    std::vector<FeedImpedance> feeds;  // every gap, in source order
    double swr = 0;                    // of the first gap
};

// The stretch around the lowest SWR where SWR < 2, its ends interpolated between samples.
// An open end means SWR is still below 2 at that end of the sweep.
struct Below2 {
    double fromMhz = 0;
    double toMhz = 0;
    bool openBelow = false;
    bool openAbove = false;
};

struct MaxGain {
    double dbi = 0;
    double thetaDeg = 0;
    double phiDeg = 0;
    double mhz = 0;
};

struct Analysis {
    double z0 = 0;
    std::vector<SweepRow> rows;       // the frequencies without a pattern: the sweep
    std::size_t lowest = 0;           // index into rows
    std::optional<Below2> below2;     // empty when SWR never drops below 2
    std::optional<MaxGain> gain;      // empty when no pattern was computed
};

// Throws NecError when no frequency of the sweep has impedances.
Analysis analyse(const std::vector<FrequencyResult>& results, double z0);

}  // namespace brimalox::nec
