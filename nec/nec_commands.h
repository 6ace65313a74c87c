#pragma once
// The `nec` and `simulate` subcommands of brimalox-cli: the design as the window computes it,
// written as a NEC-2 deck or run through nec2c.

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/design.h"
#include "nec/deck.h"
#include "nec/design_texts.h"

namespace CLI {
class App;
}

namespace brimalox::nec {

// The texts of a finished design, for the deck's comments and the model's numbers.
DesignTexts designTexts(const cli::DesignResult& result, int sides);

// The whole deck for a design request and an optional sweep (the default sweep when empty).
// Throws NecError when the design fails or cannot be modelled.
struct DeckJob {
    DesignTexts design;
    NecGeometry geometry;
    Sweep sweep;
    std::string deck;
    std::vector<std::string> warnings;  // where the model strays from NEC-2's guidelines
};
DeckJob makeDeck(const cli::DesignRequest& request, const std::string& from, const std::string& to,
                 const std::string& step);

// Results go to out, messages to err; a failure ends the command with CLI::RuntimeError(1).
void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err);
void addNecCommands(CLI::App& app);  // standard output and standard error

}  // namespace brimalox::nec
