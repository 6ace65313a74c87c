#pragma once
// The `trim` subcommand of brimalox-cli: what the built antenna measured, laid on the model's SWR,
// gives how much to cut from each piece.

#include <iosfwd>

namespace CLI {
class App;
}

namespace brimalox::cli {

// Results go to out, messages to err; a failure ends the command with CLI::RuntimeError(1).
void addTrimCommand(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace brimalox::cli
