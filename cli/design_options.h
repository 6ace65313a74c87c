#pragma once
// The design options shared by the commands that run a design: which sides, and a conductor typed
// into one of the three conductor fields.

#include "app/road.h"

namespace CLI {
class App;
}

namespace brimalox::cli {

// Adds --sides, --awg/--inch/--mm (mutually exclusive) to a CLI11 (sub)command, filling request.
void addDesignOptions(CLI::App& command, DesignRequest& request);

}  // namespace brimalox::cli
