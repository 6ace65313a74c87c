#pragma once
// The `sheet` subcommand of brimalox-cli: the build sheet of one design as an SVG or PDF page, as
// text for a terminal, or its cut list as CSV or JSON.

#include <iosfwd>

namespace CLI {
class App;
}

namespace brimalox::cli {

// Results go to out (or the -o file), messages to err; a failed design ends with CLI::RuntimeError(1).
void addSheetCommand(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace brimalox::cli
