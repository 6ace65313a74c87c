// The search's report for people; the command line and the page print it alike.

#include <cmath>
#include <limits>

#include "nec/cover.h"
#include "nec/report/report.h"

namespace brimalox::nec {
namespace {

std::string bandText(const Band& band) { return numberText(band.fromMhz) + "-" + numberText(band.toMhz) + " MHz"; }

// What to type and click for a design, in the window's words.
std::string howToType(const DesignRequest& d) {
    std::string text = "type " + d.frequencyText + " into the frequency field, ACCEPT";
    switch (d.conductor.unit) {
    case ConductorUnit::None: text += " (keep the recommended minimum)"; break;
    case ConductorUnit::Awg: text += ", type " + d.conductor.text + " into the AWG field, CHANGE"; break;
    case ConductorUnit::Inch: text += ", type " + d.conductor.text + " into the inch field, CHANGE"; break;
    case ConductorUnit::Millimetre: text += ", type " + d.conductor.text + " into the millimetre field, CHANGE"; break;
    }
    return text + ", " + sidesCaption(d.sides) + ", COMPUTE";
}

}  // namespace

std::string coverText(const CoverResult& r) {
    std::string out;
    const CoverPlan& p = r.plan;
    out += "Cover";
    for (const Band& band : p.bands)
        out += (&band == &p.bands.front() ? " " : ", ") + bandText(band);
    out += ": " + sidesCaption(p.sides) + ", " + groundText(readGround(p.model, p.names));
    if (const auto coat = readCoat(p.model.insulation, p.names.insulation, 0, std::numeric_limits<double>::infinity()))
        out += ", insulated wire (" + coatText(*coat) + ")";
    if (const auto feed = readFeed(p.model.feed, p.names, p.sides, 0, p.z0))
        out += ", SWR " + planeText(*feed, feed->at) + ", at most " + numberText(p.maxSwr) +
               ":1\nthrough the feed described (simulate's feed options), each design's lines of its own series match "
               "length unless a length is typed\n";
    else
        out += ", SWR against " + numberText(p.z0) + " ohms, at most " + numberText(p.maxSwr) + ":1\n" +
               swrMeaning(p.z0) + "\n";
    if (r.stopped)
        out += (r.interrupted ? "Stopped by a signal after " : "Cancelled after ") + std::to_string(r.runs) +
               " model runs: the best found so far.\n";
    if (r.ranked.empty()) return out + "No design was run.\n";
    const Candidate& best = r.ranked.front();
    out += (r.covered() ? std::string("The best design")
                        : "No design keeps every band under " + numberText(p.maxSwr) + ":1. The closest") +
           ": " + best.design.frequencyText + " MHz, " + best.conductor + ", " + sidesCaption(best.design.sides) +
           "\n  " + howToType(best.design) + "\n";
    out += "  worst SWR " + swrFigure(best.worst) + " (";
    for (std::size_t b = 0; b < p.bands.size(); ++b)
        out += (b ? ", " : "") + bandText(p.bands[b]) + ": " + swrFigure(best.bandWorst[b]);
    out += ")\n";
    if (const std::string advice = thickerAdvice(r); !advice.empty()) out += "  " + advice + "\n";
    if (r.winner) {
        const Analysis& a = r.winner->analysis;
        if (!a.rows.empty())
            out += "  lowest SWR " + swrFigure(a.lowestSwr) + " at " + mhzFigure(a.lowestMhz) + " MHz; below 2:1: ";
        if (a.stretches.empty()) out += "nowhere";
        for (std::size_t i = 0; i < a.stretches.size(); ++i)
            out += (i ? ", " : "") + stretchText(a.stretches[i]);
        out += "\n";
        for (std::size_t b = 0; b < p.bands.size(); ++b) {
            const std::size_t i = bandPattern(b);
            if (i < a.patterns.size())
                out += "  gain at " + numberText(a.patterns[i].mhz) + " MHz: " + dbiFigure(a.patterns[i].maxDbi) +
                       ", take-off " + degreesFigure(a.patterns[i].takeoffDeg) + " deg\n";
        }
        const DesignTexts& d = r.winner->design;
        out += "Dimensions to cut (the window's texts):\n";
        out += "  conductor " + d.mm + " mm, " + d.inch + " inch, AWG " + d.awg + "\n";
        out += "  height " + d.heightMm + " mm, " + d.heightInch + " inch\n";
        out += "  side " + d.sideMm + " mm, " + d.sideInch + " inch\n";
        out += "  gap " + d.gapMm + " mm, " + d.gapInch + " inch\n";
        out += "  match " + d.matchMm + " mm, " + d.matchInch + " inch\n";
    }
    if (r.ranked.size() > 1) {
        out += "Next best:\n";
        for (std::size_t i = 1; i < r.ranked.size(); ++i)
            out += "  " + r.ranked[i].design.frequencyText + " MHz, " + r.ranked[i].conductor + ": worst SWR " +
                   swrFigure(r.ranked[i].worst) + "\n";
    }
    for (const std::string& limit : r.limits)
        out += "Limit: " + limit + "\n";
    for (const std::string& failure : r.failures)
        out += "Failed: " + failure + "\n";
    out += "Model runs: " + std::to_string(r.runs) + "\n";
    return out;
}

}  // namespace brimalox::nec
