#pragma once
// What a sweep says of the antenna: SWR of one gap against the feed line, the best frequency, the
// range below 2:1, and the strongest direction of the pattern.

#include <complex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "nec/deck.h"
#include "nec/output_parser.h"

namespace brimalox::nec {

// a / b and |a|, with the same digits from every C++ library: std::complex's division and std::abs
// take other roads in libc++ (the page) than in libstdc++ (the command line), and their results
// differ in the last bit, which the Touchstone file and the JSON print.
std::complex<double> quotient(std::complex<double> a, std::complex<double> b);
double magnitude(std::complex<double> z);

// The reflection coefficient of a load on a line of z0 ohms.
std::complex<double> reflection(std::complex<double> load, double z0);

// Infinite when the load's resistance is not positive (all power comes back).
double swr(std::complex<double> load, double z0);

// A sweep row carried through a feed: the impedance where the lines join and at the rig, and the
// power the feed loses on the way (dB, the mismatch included).
struct FeedPlanes {
    std::complex<double> junction, rig;
    double lossDb = 0;
};

struct SweepRow {
    double mhz = 0;
    std::vector<FeedImpedance> feeds;  // every gap, in source order
    double swr = 0;                    // of the first gap, or at the feed's plane when there is one
};

// The stretch around the lowest SWR where SWR < 2, its ends interpolated between samples.
// An open end means SWR is still below 2 at that end of the sweep.
struct Below2 {
    double fromMhz = 0;
    double toMhz = 0;
    bool openBelow = false;
    bool openAbove = false;
};

// Where the SWR stays within 0.05 of its lowest: the lowest SWR's frequency alone says little when
// the minimum is this flat.
struct NearLowest {
    double fromMhz = 0;
    double toMhz = 0;
    bool openBelow = false, openAbove = false;  // still within at that end of the sweep
};

struct MaxGain {
    double dbi = 0;
    double thetaDeg = 0;
    double phiDeg = 0;
    double mhz = 0;
};

// What the pattern at one frequency says: the strongest direction, the elevation pattern in its
// azimuth and the azimuth pattern at its elevation (the take-off angle).
struct PatternFigures {
    double mhz = 0;
    double maxDbi = 0;
    // The maximum and its elevation above the horizon (the take-off angle). Over a ground both come
    // from a fine elevation cut through the strongest lobe (refineLobes); in free space, and until
    // then, from the 1-degree elevation cut, between its samples where the lobe's top lies between
    // them (never across a null).
    double takeoffDeg = 0;
    double azimuthDeg = 0;                       // phi of the maximum
    double verticalDbi = 0, horizontalDbi = 0;   // the two parts of the maximum
    std::vector<std::pair<int, double>> gainAt;  // at 5, 10, 15 and 20 degrees elevation
    // The -3 dB elevation beamwidth: its edges, and whether the lobe is still above -3 dB at 0 or
    // 90 degrees. In free space the pattern is the same below the horizon, and a lobe open at 0
    // is counted on both sides.
    double lowEdgeDeg = 0, highEdgeDeg = 0;
    bool openLow = false, openHigh = false;
    double beamwidthDeg = 0;
    // The azimuth pattern, at the elevation of the grid's strongest sample (within a grid step of the
    // take-off angle, which the fine cut finds between samples): maximum minus minimum.
    double azimuthCutDeg = 0;
    double rippleDb = 0;
    std::vector<double> elevationDbi;                   // 0..90 degrees in 1 degree steps, in the azimuth of maximum
    std::vector<std::pair<double, double>> azimuthDbi;  // phi, gain at the 1-degree elevation of the strongest sample
    std::optional<double> averageGain;                  // nec2c's average power gain
    std::optional<double> expectedAverage;              // 1 in free space, 2 over perfect ground, none over real ground
};

struct Analysis {
    double z0 = 0;
    std::vector<SweepRow> rows;      // the frequencies without a pattern: the sweep
    std::vector<FeedPlanes> planes;  // with a feed, one for each row; empty without
    std::size_t lowest = 0;          // index into rows: the lowest sample
    // The lowest SWR and its frequency between the samples (equal to the lowest sample's at an end of
    // the sweep): what every report prints.
    double lowestSwr = 0, lowestMhz = 0;
    std::optional<NearLowest> nearLowest;  // empty when no SWR is finite
    std::optional<Below2> below2;          // empty when SWR never drops below 2
    std::vector<Below2> stretches;         // every stretch below 2:1, the one holding the design frequency first
    std::optional<MaxGain> gain;           // empty when no pattern was computed
    std::vector<PatternFigures> patterns;  // design frequency first
    std::vector<ElevationCut> cuts;        // one for each pattern over a ground, none in free space
    std::vector<std::string> failures;     // where the model gave no result, and why
};

// A measured antenna's SWR against the same feed line, beside the model's.
struct MeasuredSummary {
    std::string file;
    double lowestSwr = 0, lowestMhz = 0;
    std::vector<Below2> stretches;  // below 2:1
    std::string referenceNote;      // empty, or that the file's reference was converted
};

// The run of a deck: the frequencies are the deck's own, not nec2c's printed five digits. Throws
// NecError when the output does not hold one result per frequency of the deck.
struct AnalysisPlan {
    std::vector<double> sweepMhz;  // may be empty (patterns only)
    std::vector<double> patternMhz;
    double designMhz = 0;
    bool freeSpace = true;
    std::optional<double> expectedAverage;
    std::vector<double> cutStepDeg;  // the fine cut's step at each pattern frequency; empty: no cuts
};
Analysis analyse(std::vector<FrequencyRun> results, double z0, const AnalysisPlan& plan);

// The fine cuts' run (cutDeck of analysis.cuts) laid on the patterns: the maximum, the take-off
// angle and the -3 dB beamwidth from the cut, and the maximum gain with them. Throws NecError when
// the output does not hold one cut for each.
void refineLobes(Analysis& analysis, const std::vector<FrequencyRun>& cutRuns);

// The lowest SWR and the stretches below 2:1 of rows in frequency order (a measured file's).
Analysis rangesOf(std::vector<SweepRow> rows, double z0, double designMhz);

// Every stretch of rows (in frequency order) where the SWR stays below limit, ends interpolated.
std::vector<Below2> stretchesBelow(const std::vector<SweepRow>& rows, double limit);

// The lowest SWR and the stretches again, after the rows' SWR were taken against z0 elsewhere.
void remeasure(Analysis& analysis, double z0, double designMhz);

// The average gain is off by more than 2 % from what a lossless model gives.
bool averageGainOff(const PatternFigures& figures);

}  // namespace brimalox::nec
