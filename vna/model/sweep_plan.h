#pragma once
// The analyser's sweep for a design: the model's frequencies, clipped to what every analyser of the
// two kinds covers, in the model's points (at most the NanoVNA's 101) or as many as asked. The
// command line and the window sweep the same frequencies for the same design.

#include <string>

#include "nec/request.h"
#include "vna/analyser.h"

namespace brimalox::vna {

// Throws nec::Refused for a sweep no analyser covers or a count of points that is not one.
SweepPlan sweepPlan(const nec::Request& request, const std::string& points);

// The sweep as the model takes a measured file, named by the port and the analyser.
nec::Measured measuredOf(const Sweep& sweep, const std::string& port);

}  // namespace brimalox::vna
