#include "vna/model/sweep_plan.h"

#include <algorithm>
#include <cmath>

#include "nec/check.h"
#include "nec/touchstone.h"
#include "numtext/figures.h"

namespace brimalox::vna {
namespace {

// The range every analyser of the two kinds sweeps (the NanoVNA's first firmware stops at 900 MHz).
constexpr double kLowestMhz = 0.05, kHighestMhz = 900;
constexpr int kMostPoints = 101;  // what every NanoVNA's scan takes (the -H4 and the V2 take more)

}  // namespace

SweepPlan sweepPlan(const nec::Request& request, const std::string& points) {
    nec::Request design = request;
    design.measured.reset();
    const nec::Sweep sweep = nec::prepare(design).setup.sweep;
    const double from = std::max(kLowestMhz, sweep.fromMhz), to = std::min(kHighestMhz, sweep.toMhz());
    if (!(to > from))
        throw nec::Refused("the sweep " + numberText(sweep.fromMhz) + " to " + numberText(sweep.toMhz()) +
                           " MHz is outside what an analyser covers here, " + numberText(kLowestMhz) + " to " +
                           numberText(kHighestMhz) + " MHz");
    SweepPlan plan;
    plan.startHz = static_cast<std::uint64_t>(std::llround(from * 1e6));
    plan.stopHz = static_cast<std::uint64_t>(std::llround(to * 1e6));
    plan.points = std::min(kMostPoints, sweep.count);
    if (!points.empty()) {
        const double n = nec::positiveSetting(points, "--points");
        if (!(n == std::floor(n) && n >= 2 && n <= 1024))
            throw nec::Refused("--points " + points + " is not a whole number from 2 to 1024");
        plan.points = static_cast<int>(n);
    }
    return plan;
}

nec::Measured measuredOf(const Sweep& sweep, const std::string& port) {
    return {port + " (" + sweep.analyser + ")", nec::readTouchstone(touchstoneText(sweep, ""))};
}

}  // namespace brimalox::vna
