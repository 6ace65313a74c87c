#pragma once
// The analyser in the loop: --vna PORT (or auto) sweeps a NanoVNA-class analyser over the model's
// frequencies, and the sweep is used as a measured file would be.

#include <iosfwd>
#include <optional>
#include <string>

#include "nec/nec.h"
#include "vna/analyser.h"
#include "vna/model/sweep_plan.h"  // the model's sweep, clipped to what an analyser covers

namespace CLI {
class App;
}

namespace brimalox::cli {

struct AnalyserOptions {
    std::string port;    // empty: no analyser
    std::string points;  // empty: the model's frequencies, at most 101
};

// --vna and --points on a command that already has the model's --from and --to.
void addAnalyserOptions(CLI::App& command, AnalyserOptions& options);

// Sweeps the analyser: the port named, or with "auto" the one attached (named on err). Throws NecError
// with the port and what went wrong.
vna::Sweep sweepAnalyser(const std::string& port, const vna::SweepPlan& plan, std::ostream& err);

// The time now in strftime's format, in UTC or the user's zone: when a sweep was taken.
std::string timeNow(const char* format, bool utc);

void addMeasureCommand(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace brimalox::cli
