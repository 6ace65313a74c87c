#pragma once
// The model check of one design, for every front-end: a request in (the design as the window makes
// it, the settings as typed), a result out (the design's texts, the deck, the analysis, the height
// table, the measured antenna). Its report and charts are nec/report/'s.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "nec/analysis.h"
#include "nec/coat.h"
#include "nec/design_texts.h"
#include "nec/engine.h"
#include "nec/feed.h"
#include "nec/request.h"
#include "nec/simulation.h"
#include "nec/touchstone.h"

namespace brimalox::nec {

// The deck of a request and what it needs to run.
struct Prepared {
    DesignTexts design;
    SimulationSetup setup;
    PreparedDeck deck;
    double z0 = 300;              // at the gap
    std::optional<Feed> feed;     // from the gaps to the rig, when described
    std::vector<double> heights;  // the height sweep, empty when not asked for
    std::optional<Measured> measured;
    SettingNames names;  // for a refusal at one of the heights
};

// Throws NecError when the design fails in the window or cannot be modelled, and Refused when a
// setting cannot be taken.
Prepared prepare(const Request& request);

struct Result {
    DesignTexts design;
    SimulationSetup setup;
    std::string deck;
    std::vector<std::string> warnings;  // where the model strays from NEC-2's guidelines
    int kernelRuns = 0;                 // the small runs that measured the extended kernel's effect
    double z0 = 300;                    // the reference of the SWR: at the feed's plane when there is a feed
    std::optional<Feed> feed;
    Analysis analysis;  // the SWR and its stretches at the feed's plane, every row carried through it
    std::vector<HeightRow> heights;
    std::optional<MeasuredSummary> measured;
    MeasuredSwr measuredSwr;
    std::optional<Measured> measuredFile;  // taken where the SWR is
    // With a feed, the SWR at the rig at the design frequency with every line alike and with gap 1's
    // line reversed.
    std::optional<std::pair<double, double>> reversedSwr;
    std::optional<Shortening> shortening;  // with a coat: the scale that puts it where the bare design is
};

// Told how many of the check's frequencies are done: the deck's, then one for each height.
using CheckProgress = std::function<void(int done, int total)>;

// The run, the height table and the measured file's figures. Throws NecError as the engine does; a
// model that ran but gave no result at some frequency has it in analysis.failures.
Result run(const Prepared& prepared, Engine& engine, const CheckProgress& progress = {});
// The decks of the check's sweep in at most `engines` contiguous parts to run side by side, the last
// with the patterns (sweepParts); the deck alone when its sweep is too short to share.
std::vector<std::string> checkParts(const Prepared& prepared, int engines);
// run() with the deck's output given, as joinedOutput() makes it of the outputs of checkParts' decks:
// the same result as the one run's. The check's other runs (the lobes, the kernel, the feed, the
// coat, the heights) are the engine's.
Result run(const Prepared& prepared, const std::string& deckOutput, Engine& engine, const CheckProgress& progress = {});
// The frequencies a check's progress counts: the deck's, then one for each height.
int checkFrequencies(const Prepared& prepared);
// prepare() and run().
Result simulate(const Request& request, Engine& engine, const CheckProgress& progress = {});

// The model's reflection coefficient of gap 1 against the feed line, or at the feed's plane.
std::string touchstoneFile(const Result& result);

}  // namespace brimalox::nec
