#pragma once
// brimalox-cli cover: the design whose modelled SWR stays lowest over every band given.

#include <iosfwd>

namespace CLI {
class App;
}

namespace brimalox::cli {

void addCoverCommand(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace brimalox::cli
