#pragma once
// The `nec` and `simulate` subcommands of brimalox-cli: the design as the window computes it,
// written as a NEC-2 deck or run through nec2c; and what other model commands (trim) share with them.

#include <functional>
#include <iosfwd>
#include <string>

#include "nec/nec.h"

namespace CLI {
class App;
}

namespace brimalox::cli {

// Results go to out, messages to err; a failure ends the command with CLI::RuntimeError(1).
void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err);

// The options by which the command line names the check's settings in a refusal.
nec::SettingNames optionNames();
// FREQ, the design options, the sweep and the ground (with the refusals' names into request).
void addModelOptions(CLI::App& command, nec::Request& request);
// The feed from the gaps to the rig, and the plane where the SWR is taken.
void addFeedOptions(CLI::App& command, nec::Settings& settings);
// Runs a command's body: a failure is told on err and ends the program with status 1; an option
// value that makes no sense is a usage error.
void guarded(std::ostream& err, const char* command, const std::function<void()>& body);
// Throws NecError naming the file.
nec::Touchstone readTouchstoneFile(const std::string& path);
void writeFile(const std::string& path, const std::string& text);

}  // namespace brimalox::cli
