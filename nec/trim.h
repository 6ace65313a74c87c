#pragma once
// Trimming a built antenna: what it measured, laid on the model's SWR curve, gives the scale by which
// every length of the antenna is off; the height and the side are scaled back by it (the gap and the
// series match are feed details and stay), and the trimmed design is run through the model so the
// advice is checked before anyone cuts. The scale is found by nec/fit.h.

#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/coat.h"
#include "nec/design_texts.h"
#include "nec/engine.h"
#include "nec/error.h"
#include "nec/feed.h"
#include "nec/fit.h"
#include "nec/request.h"
#include "nec/simulation.h"

namespace brimalox::nec {

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

// The measurement, the settings and the built lengths, refused as trim() would refuse them, before
// any run. Throws Refused.
void checkTrim(const TrimRequest& request);

// Runs the design's model, finds the scale, runs the trimmed design's model. Throws NecError as the
// model does and Refused for a measurement or setting that cannot be taken.
Trim trim(const TrimRequest& request, Engine& engine);

// The design a trim gives: the window's texts with the trimmed height and side, rounded and written
// by the window's own rule, so the trimmed check and its build sheet read like the window's.
DesignTexts trimmedDesign(const DesignTexts& shown, const Trim& trim);
// The design as the trim took it to be built: its texts, with the height and side as measured.
DesignTexts builtDesign(const Trim& trim);

}  // namespace brimalox::nec
