#pragma once
// Trimming a built antenna: what it measured, laid on the model's SWR curve, gives the scale by which
// every length of the antenna is off; the height and the side are scaled back by it (the gap and the
// series match are feed details and stay), and the trimmed design is run through the model so the
// advice is checked before anyone cuts.
//
// An antenna whose lengths are all L times the design's resonates at the design's frequencies
// divided by L: its SWR curve is the model's with every frequency times 1 / L. So the measured
// frequency over the model's frequency, at matching points of the two curves, is the scale that
// puts the antenna right: new length over old.

#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/coat.h"
#include "nec/design_texts.h"
#include "nec/engine.h"
#include "nec/error.h"
#include "nec/feed.h"
#include "nec/request.h"
#include "nec/simulation.h"

namespace brimalox::nec {

// How a front-end calls the measurement in a refusal.
struct TrimNames : SettingNames {
    std::string measuredFile = "measured file", measuredEdges = "measured 2:1 edges", measuredDip = "measured dip";
    std::string builtSide = "built side", builtHeight = "built height";
};

// A trim the measurement cannot back: no cut list is given, and the message says what disagrees and
// what to check. A NecError, so every front-end says it as a failed step, not as a bad setting.
class TrimWithheld : public NecError {
public:
    using NecError::NecError;
};

// Exactly one of the three.
struct TrimMeasurement {
    std::optional<Measured> file;            // an analyser's one-port file
    double lowEdgeMhz = 0, highEdgeMhz = 0;  // where an SWR meter crosses 2:1, both or neither
    double dipMhz = 0;                       // where it dips; 0: not given
};

struct TrimRequest {
    Request check;  // the design, the sweep, the ground and its height, the feed line
    TrimNames names;
    TrimMeasurement measured;
    // The pieces as the tape measures them, in mm; empty: cut to the design.
    std::string builtSide, builtHeight;
};

// A piece of the cut list, as built and its target, both to the places the report prints, so the
// cut (the difference) is exact in those places.
struct TrimPiece {
    std::string name;
    int count = 0;
    double mm = 0, newMm = 0;
    int places = 3;  // of mm and newMm
};

// One model run's SWR figures.
struct SwrFigures {
    double lowestSwr = 0, lowestMhz = 0;
    std::vector<Below2> stretches;  // below 2:1, the one holding the design frequency first
};

enum class TrimSource { File, Edges, Dip };

struct Trim {
    DesignTexts design;
    Ground ground;
    double z0 = 300;           // the reference of the SWR: at the feed's plane when there is a feed
    std::optional<Feed> feed;  // where the measurement was taken through, when described
    std::optional<Coat> coat;  // the wire's, when the model was told of one
    TrimSource source = TrimSource::File;
    std::string measuredName;                            // the file's name
    double lowEdgeMhz = 0, highEdgeMhz = 0, dipMhz = 0;  // as given
    double ratio = 1;                                    // new length over old
    double fitRms = 0;                           // File: the reflection coefficients' rms difference at the best scale
    std::vector<std::string> notes;              // what the figures rest on, in words
    double heightMm = 0, sideMm = 0, gapMm = 0;  // the design's
    bool builtGiven = false;                     // the pieces' lengths were measured, not taken as designed
    double builtHeightMm = 0, builtSideMm = 0;   // as built: the design's unless measured
    double newHeightMm = 0, newSideMm = 0;       // the targets: the design's times the ratio, in the report's places
    std::vector<TrimPiece> pieces;
    SwrFigures model, trimmed;           // the antenna's model as built, the trimmed design's model
    std::optional<SwrFigures> measured;  // File: the file's own figures
    // What the built antenna should show after the trim at the plane of the measurement: the trimmed
    // model's gap carried through the feed, with the environment's scale that the measurement showed.
    SwrFigures expected;
    Analysis modelRun, trimmedRun, expectedRun;
};

// The scale that lays a measured curve on the model's. Each throws Refused with the names' words.
// rows: the model's sweep. From a file: the scale that best fits the reflection coefficient over
// the model's 2:1 stretch. With a feed the file was taken at feed->at: the scaled antenna's gap is
// carried through the feed, which no trim scales, at each measured frequency.
double ratioFromFile(const Analysis& model, const MeasuredSwr& measured, const TrimNames& names, double* rms = nullptr,
                     const Feed* feed = nullptr);
// From an SWR meter's readings: with a feed, the scale whose antenna, carried through the feed,
// crosses 2:1 (or dips) where the meter did; each edge's own scale in *lowScale and *highScale.
double ratioFromEdges(const Analysis& model, double lowMhz, double highMhz, const TrimNames& names,
                      const Feed* feed = nullptr, double designMhz = 0, double* lowScale = nullptr,
                      double* highScale = nullptr);
double ratioFromDip(const Analysis& model, double dipMhz, const TrimNames& names, const Feed* feed = nullptr,
                    double designMhz = 0);
// The model's antenna with every length 1 / k times the model's: its gap impedances are the model's
// at frequencies k times theirs; with a feed (which no trim scales) they are carried through it at
// those frequencies and the SWR taken at feed->at.
Analysis scaledAntenna(const Analysis& model, double k, const Feed* feed, double designMhz);
// Where the model's SWR stays within `within` of its lowest, between samples.
std::pair<double, double> flatStretch(const Analysis& model, double within);

// What a coat does to a design: the scale of the height and the side (insulated over bare) that lays
// the insulated antenna's SWR curve where the bare design's lies, found as a trim finds its ratio
// from a file, the insulated model's curve taken for the measurement, and checked by one more run of
// the insulated model at the scaled lengths (the gap and the match stay, as a trim leaves them).
// Both models over the design's default sweep, SWR at gap 1 against z0, with setup's ground.
// Throws NecError as the model does, and Refused when the curves cannot be laid on each other.
Shortening shortening(const SimulationSetup& insulated, double z0, Engine& engine, const SettingNames& names = {});

// The measurement, the settings and the built lengths, refused as trim() would refuse them, before
// any run. Throws Refused.
void checkTrim(const TrimRequest& request);

// Runs the design's model, finds the scale, runs the trimmed design's model. Throws NecError as the
// model does and Refused for a measurement or setting that cannot be taken.
Trim trim(const TrimRequest& request, Engine& engine);

}  // namespace brimalox::nec
