#pragma once
// A design as the window computes it, turned into a NEC-2 deck: the road's texts, the geometry read
// back from them, the sweep and the written deck.

#include <string>
#include <vector>

#include "app/road.h"
#include "nec/deck.h"
#include "nec/design_texts.h"
#include "nec/simulation.h"

namespace brimalox::nec {

// The texts of a finished design, for the deck's comments and the model's numbers.
DesignTexts designTexts(const DesignResult& result, int sides);

// The whole deck for a design request and an optional sweep (the default sweep when empty).
// Throws NecError when the design fails or cannot be modelled, and std::invalid_argument naming
// the option when a sweep bound is not a positive number.
struct DeckJob {
    DesignTexts design;
    NecGeometry geometry;
    Sweep sweep;
    std::string deck;
    std::vector<std::string> warnings;  // where the model strays from NEC-2's guidelines
    SimulationSetup setup;
    PreparedDeck prepared;
};
// The ground and the extra pattern frequencies as typed (empty: free space, the design frequency
// only). A ground or height the model cannot take throws std::invalid_argument (RefusedOption for
// a height too low) naming the option.
struct DeckChoices {
    std::string ground, groundConstants, height;
    std::vector<std::string> patternAt;
};
DeckJob makeDeck(const DesignRequest& request, const std::string& from, const std::string& to,
                 const std::string& step, const DeckChoices& choices = {});

// A frequency or length typed as an option, read by the same rule as a field. Throws
// std::invalid_argument naming the option and what is wrong with the text.
double optionNumber(const std::string& text, const std::string& option);

}  // namespace brimalox::nec
