// What to try where no design fits: an antenna for each band, or a thicker conductor.
#include <algorithm>

#include "nec/cover_parts.h"
#include "numtext/numtext.h"
#include "wiresize/gauge_table.h"

namespace brimalox::nec {
namespace {

// The widest ratio of frequencies one design of these forms keeps under 2:1 is about 1.7, with the
// thickest conductors the model runs near 146 MHz (an 8 mm tube: 142.9 to 234.8 MHz; AWG 00 at
// 144.1 MHz: 141.9 to 237.1 MHz, swept from 100 to 460 MHz); bands further apart than twice their
// bottom need an antenna each, whatever the conductor.
constexpr double kOneDesignSpan = 2;

// Tube diameters in mm a search that found no fit may suggest, as a shop sells them.
constexpr double kTubesMm[] = {6, 8, 10, 12, 16, 20, 25};

}  // namespace

std::optional<FarApart> farApartBands(const CoverPlan& plan, const Result& closest) {
    FarApart far;
    far.span = plan.bands.back().toMhz / plan.bands.front().fromMhz;
    if (far.span <= kOneDesignSpan) return std::nullopt;
    for (const Below2& stretch : stretchesBelow(closest.analysis.rows, plan.maxSwr))
        if (stretch.fromMhz > 0 && stretch.toMhz / stretch.fromMhz > far.covered) {
            far.covered = stretch.toMhz / stretch.fromMhz;
            far.fromMhz = stretch.fromMhz;
            far.toMhz = stretch.toMhz;
        }
    return far;
}

std::vector<std::string> thickerConductors(const CoverPlan& plan, const Candidate& closest) {
    const double mhz = parseDouble(closest.design.frequencyText).value;
    double thickest = 0;
    bool gauges = false;
    for (const Conductor& c : plan.conductors) {
        gauges = gauges || c.choice.unit == ConductorUnit::Awg;
        const PreparedCandidate p = prepareCandidate(plan, c, mhz);
        const double typedMm = c.choice.unit == ConductorUnit::Millimetre ? parseDouble(c.choice.text).value
                               : c.choice.unit == ConductorUnit::Awg      ? c.gaugeInches * 25.4
                                                                          : 0;
        thickest = std::max({thickest, p.conductorMm, typedMm});
    }
    std::vector<std::string> thicker;
    if (!gauges)
        for (const GaugeRow& row : kGaugeTable)
            if (row.inches * 25.4 > thickest &&
                prepareCandidate(plan, {{ConductorUnit::Awg, std::to_string(row.code)}, "", row.inches}, mhz).deck) {
                thicker.push_back("gauges");
                break;
            }
    for (double mm : kTubesMm)
        if (mm > thickest && prepareCandidate(plan, {{ConductorUnit::Millimetre, numberText(mm)}, "", 0}, mhz).deck)
            thicker.push_back(numberText(mm));
    return thicker;
}

std::string thickerAdvice(const CoverResult& result) {
    if (result.covered() || result.ranked.empty() || result.stopped) return {};
    if (const auto& far = result.farApart) {
        const std::string allowed = numberText(result.plan.maxSwr) + ":1";
        const std::string covered = far->covered > 0
                                        ? "one design covers about " + fixedText(far->covered, 2) +
                                              " times (the closest keeps under " + allowed + " from " +
                                              mhzFigure(far->fromMhz) + " to " + mhzFigure(far->toMhz) + " MHz)"
                                        : "the closest design is under " + allowed + " nowhere";
        return "The bands are too far apart for one antenna: their frequencies span " + fixedText(far->span, 2) +
               " times (" + numberText(result.plan.bands.front().fromMhz) + " to " +
               numberText(result.plan.bands.back().toMhz) + " MHz), and " + covered +
               "; no conductor bridges that. Build an antenna for each band, or search for fewer bands.";
    }
    if (result.thicker.empty())
        return "No thicker conductor is within NEC-2's limits at " + result.ranked.front().design.frequencyText +
               " MHz: search for fewer bands or allow a higher SWR.";
    std::string items;
    for (const std::string& item : result.thicker)
        items += (items.empty() ? "" : ", ") + item;
    const bool tubes = result.thicker.back() != "gauges";
    return "Thicker conductors widen the band: add " + items + " to the conductors" +
           (tubes ? " (the numbers are tube diameters in mm)" : "") + " and search again, or search for fewer bands.";
}

}  // namespace brimalox::nec
