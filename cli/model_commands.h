#pragma once
// The subcommands of brimalox-cli that take a design into the NEC-2 model and beyond:
// - nec and simulate: the design as a NEC-2 deck, or run through nec2c;
// - sheet: the build sheet as an SVG or PDF page, as text for a terminal, or its cut list as CSV or JSON;
// - trim: what the built antenna measured, laid on the model's SWR, gives how much to cut from each piece;
// - cover: the design whose modelled SWR stays lowest over every band given.
// Results go to out (or a -o file), messages to err; a failure ends the command with CLI::RuntimeError(1).

#include <iosfwd>

namespace CLI {
class App;
}

namespace brimalox::cli {

void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err);
void addSheetCommand(CLI::App& app, std::ostream& out, std::ostream& err);
void addTrimCommand(CLI::App& app, std::ostream& out, std::ostream& err);
void addCoverCommand(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace brimalox::cli
