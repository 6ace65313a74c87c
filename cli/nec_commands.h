#pragma once
// The `nec` and `simulate` subcommands of brimalox-cli: the design as the window computes it,
// written as a NEC-2 deck or run through nec2c.

#include <iosfwd>

#include "nec/request.h"

namespace CLI {
class App;
}

namespace brimalox::cli {

// The options by which the command line names the check's settings in a refusal.
nec::SettingNames optionNames();

// Results go to out, messages to err; a failure ends the command with CLI::RuntimeError(1).
void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace brimalox::cli
