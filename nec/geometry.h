#pragma once
// The antenna as NEC-2 wires: two horizontal polygons joined by one vertical at each corner, each
// vertical broken at its middle by the feed gap.
//
// The gap is modelled as a short feed wire that bridges it, with the voltage source on its middle
// segment: NEC can only excite a segment, and a wire as long as the gap puts the source exactly
// between the two ends of the vertical, where the ladder line is attached. All feed wires run
// upwards, so one source voltage drives every gap in phase and in the same direction.

#include <array>
#include <string>
#include <vector>

namespace brimalox::nec {

inline constexpr double kLightMetresMhz = 299.792458;  // a wavelength in metres is this / MHz

// The computed design as plain numbers (millimetres, MHz).
struct NecGeometry {
    int sides = 3;           // 3 or 4
    double sideMm = 0;       // polygon side
    double heightMm = 0;     // between the two polygons
    double gapMm = 0;        // feed gap in each vertical
    double conductorMm = 0;  // conductor diameter
    double designMhz = 0;    // frequency the design is for (as typed)
};

using Point = std::array<double, 3>;  // metres

struct Wire {
    int tag = 0;
    int segments = 1;
    Point from{};
    Point to{};
    double radius = 0;  // metres
};

struct Source {
    int tag = 0;
    int segment = 0;
};

struct Model {
    std::vector<Wire> wires;
    std::vector<Source> sources;  // one per gap, corner order
    std::vector<Point> bottomCorners, topCorners;
    double maxSegmentM = 0;       // the segment length limit the model was built with
    bool extendedKernel = false;  // some segment is shorter than eight radii: NEC-2's EK card
};

// Segments are at most a thirteenth of the antenna's height (about a fortieth of the design's
// wavelength), so that the figures at the design frequency do not follow how far a sweep goes, and
// at most a tenth of the shortest wavelength of the run (NEC-2's guideline), which only a run
// beyond about 3.5 times the design frequency changes.
struct ModelOptions {
    double highestMhz = 0;  // the highest frequency of the run; up to 3.5 x the design's it changes nothing
    double refine = 1;      // 2: every segment about half as long (convergence checks)
    double liftM = -1;      // height of the lowest point above the ground plane; negative: centred on the origin
};

// Segmentation: three segments on each feed wire, and away from the gaps segments that grow by
// at most 1.25:1 from one to the next, up to the length limit; the polygons' sides continue the
// growth from the corners. Without the gentle growth, the feed sits between segments three
// times its length and NEC-2's results (impedance, and the power the pattern accounts for) drift.
//
// Segments shorter than eight radii switch the model to the extended thin-wire kernel, which
// holds down to two radii; the feed gets one segment when three would be shorter than that.
//
// Throws std::invalid_argument naming the value when the numbers cannot make an antenna (sides
// other than 3 or 4, a length or frequency that is not positive and finite, a gap not shorter than
// the height), and CannotModel when NEC-2 cannot model it even with the extended kernel: a gap
// shorter than the conductor's diameter, or segments short enough for the run shorter than it
// (every segment of the model is held to both limits, not only those at the gaps).
Model buildModel(const NecGeometry& geometry, const ModelOptions& options);
Model buildModel(const NecGeometry& geometry, double highestMhz);

// Largest ratio of neighbouring segment lengths anywhere in the model, wire ends that meet included.
double largestSegmentRatio(const Model& model);

double wireLength(const Wire& wire);

// Where the model leaves NEC-2's thin-wire guideline, in words: how many segments are shorter than
// eight radii (modelled with the extended kernel). Empty when every segment keeps to it.
std::vector<std::string> modelWarnings(const Model& model);

}  // namespace brimalox::nec
