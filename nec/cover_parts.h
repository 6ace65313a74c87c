#pragma once
// What the band search's files share inside nec/: a candidate made ready for the model, read from
// the plan, and the advice where no design fits, which the search asks for before it ends.

#include <optional>
#include <string>
#include <vector>

#include "nec/cover.h"
#include "nec/feed.h"
#include "nec/simulation.h"

namespace brimalox::nec {

// The design frequency as a user would type it on the search's grid: no more digits than the grid has.
std::string frequencyText(double mhz, double grid);

// One candidate made ready: its deck, or why the model cannot answer for it.
struct PreparedCandidate {
    Candidate candidate;
    std::optional<PreparedDeck> deck;
    std::optional<Feed> feed;  // with the candidate's own series match length
    std::string refusal;
    double conductorMm = 0;  // once the design is made
    bool beyondNec = false;  // CannotModel: the conductor is too thick for this design
};
PreparedCandidate prepareCandidate(const CoverPlan& plan, const Conductor& conductor, double mhz);

// Bands too far apart for one antenna, judged by the closest design's check; none where one may do.
std::optional<FarApart> farApartBands(const CoverPlan& plan, const Result& closest);

// Conductors thicker than any the search tried, that the model can answer for at the closest
// design's frequency: "gauges" where no gauge was tried and one is thicker, then tube diameters.
std::vector<std::string> thickerConductors(const CoverPlan& plan, const Candidate& closest);

}  // namespace brimalox::nec
