#pragma once
// The design that covers given bands best: the design frequency and conductor a user would type,
// found by running the model on candidates, each over the bands' points only, until the one whose
// worst SWR over every band is lowest is pinned down. A request in (the bands, the conductors allowed,
// the model's settings as typed), a result out (the winner, the next best, the runs it took).

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/road.h"
#include "nec/check.h"
#include "nec/engine.h"
#include "nec/request.h"

namespace brimalox::nec {

struct Band {
    double fromMhz = 0, toMhz = 0;
};

// How a front-end calls the search's settings in a refusal.
struct CoverNames : SettingNames {
    std::string band = "band", maxSwr = "maximum SWR", conductors = "conductors";
};

struct CoverSettings {
    std::vector<std::string> bands;  // "FROM:TO" in MHz each
    std::string maxSwr = "2";
    // A comma list: "recommended" (the minimum ACCEPT proposes), "gauges" (every gauge of the table
    // at least that thick), and tube diameters in millimetres.
    std::string conductors = "recommended";
    Settings model;  // the ground, its height and the feed line, as simulate reads them
};

struct CoverRequest {
    int sides = 3;
    CoverSettings settings;
    CoverNames names;
    // The design frequencies tried: a grid of this step (0: a round step near a thousandth of the
    // bands' middle), within from..to when given (0: where the bands lead, widened as needed).
    double gridMhz = 0, searchFromMhz = 0, searchToMhz = 0;
};

struct Conductor {
    ConductorChoice choice;  // unit None: the recommended minimum
    std::string label;       // "the recommended minimum", "AWG 10", "8 mm"
    double gaugeInches = 0;  // for a gauge: used only where the recommended minimum is no thicker
};

// The search's settings read and checked. Throws Refused, worded with the request's names.
struct CoverPlan {
    int sides = 3;
    std::vector<Band> bands;  // in frequency order, none overlapping
    double maxSwr = 2;
    double z0 = 300;
    Settings model;
    CoverNames names;
    std::vector<Conductor> conductors;
    double gridMhz = 0, searchFromMhz = 0, searchToMhz = 0;
};
CoverPlan planCover(const CoverRequest& request);

// The frequencies a candidate is run at in each band: from and to and evenly between, at most half
// a percent of the band's middle apart.
Sweep bandSweep(const Band& band);

struct Candidate {
    DesignRequest design;                                    // what to type: the frequency, the sides, the conductor
    std::string conductor;                                   // its label
    std::vector<double> bandWorst;                           // the highest SWR at any point of each band
    double worst = std::numeric_limits<double>::infinity();  // over every band
};

// Bands whose frequencies lie further apart than one design of these forms covers, where no design
// fits: a thicker conductor widens a design's stretch, but not by the factor they need.
struct FarApart {
    double span = 0;                // the highest band's top over the lowest band's bottom
    double covered = 0;             // the closest design's widest stretch under the SWR allowed, top over bottom
    double fromMhz = 0, toMhz = 0;  // that stretch (0 and 0: the closest is under it nowhere)
};

struct CoverResult {
    CoverPlan plan;
    std::vector<Candidate> ranked;      // the winner first, then the next best few
    int runs = 0;                       // model runs, the winner's own included
    int interrupted = 0;                // the signal that stopped the search early, or 0
    bool stopped = false;               // ended early, by a signal or cancelled by its caller
    std::vector<std::string> limits;    // where NEC-2's limit cut the search, in words
    std::vector<std::string> failures;  // candidates the engine failed on
    // Where no design fits: conductors thicker than any tried that the model can run at the closest
    // design's frequency, as the conductors setting takes them ("gauges", "10", "16").
    // None where the bands are too far apart for one antenna (farApart).
    std::vector<std::string> thicker;
    std::optional<FarApart> farApart;
    std::optional<Result> winner;  // simulate's run of the winner, with a pattern at each band's middle
    bool covered() const { return !ranked.empty() && ranked.front().worst <= plan.maxSwr; }
};

// A fresh engine for each worker; runs on as many workers at once as jobs.
using EngineMaker = std::function<std::unique_ptr<Engine>()>;
// Told after each run: the runs done, the runs planned (a total the search never exceeds, lowered
// as its phases end; the runs it took once it has ended) and the best so far (null before any).
using CoverProgress = std::function<void(int runs, int planned, const Candidate* best)>;

// Runs work() on `workers` at once and returns when each has returned; each work() takes candidates
// until none is left. Where there are no threads (the page), work() runs once, on the caller, and
// runs every candidate itself.
using SideBySide = std::function<void(int workers, const std::function<void()>& work)>;
void oneAtATime(int workers, const std::function<void()>& work);

// Throws NecError when no candidate could be run (the engine failing on every one). An Interrupted
// from the engine ends the search with what it has found (interrupted holds the signal).
CoverResult cover(const CoverPlan& plan, const EngineMaker& engines, int jobs, const SideBySide& sideBySide,
                  const CoverProgress& progress = {});

// The most model runs cover() takes for the plan, its winner's own included: the total its progress
// starts from.
int plannedRuns(const CoverPlan& plan);

// Where no design fits, what to try: an antenna for each band when they are too far apart for one,
// else the thicker conductors to add, or that none is within the model's limits; "" otherwise. The report and the page's summary say it alike.
std::string thickerAdvice(const CoverResult& result);

// The request simulate gets for a candidate: the search's model settings, a sweep from 0.8 times
// its design frequency (or the lowest band) to 1.4 times (or a step past the highest band), and a
// pattern at each band's middle.
Request winnerRequest(const CoverPlan& plan, const DesignRequest& design);

// Where each band's middle pattern sits in the winner's patterns (the design frequency is first).
inline std::size_t bandPattern(std::size_t band) { return band + 1; }

}  // namespace brimalox::nec
