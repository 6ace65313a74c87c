// The search's report for people; the command line and the page print it alike.

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "app/design_table.h"
#include "nec/cover.h"
#include "nec/report/report.h"
#include "nec/report/report_json.h"
#include "numtext/csv_text.h"

namespace brimalox::nec {
namespace {

using nlohmann::ordered_json;

ordered_json swrJson(double swr) { return std::isfinite(swr) ? ordered_json(swr) : ordered_json(nullptr); }

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

std::string coverReportCsv(const CoverResult& r) {
    std::vector<std::string> header{"rank", "frequency", "sides", "conductor", "worst_swr"};
    for (const Band& band : r.plan.bands)
        header.push_back("worst_swr_" + numberText(band.fromMhz) + "_" + numberText(band.toMhz));
    // CRLF line ends, as every CSV of the program ends them (RFC 4180).
    std::string out;
    const auto line = [&out](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) out += ',';
            appendCsvField(out, cells[i]);
        }
        out += "\r\n";
    };
    line(header);
    for (std::size_t i = 0; i < r.ranked.size(); ++i) {
        const Candidate& c = r.ranked[i];
        std::vector<std::string> cells{std::to_string(i + 1), c.design.frequencyText, std::to_string(c.design.sides),
                                       c.conductor, swrFigure(c.worst)};
        for (double worst : c.bandWorst)
            cells.push_back(swrFigure(worst));
        line(cells);
    }
    return out;
}

std::string coverReportJson(const CoverResult& r) {
    const CoverPlan& p = r.plan;
    ordered_json j;
    j["bands"] = ordered_json::array();
    for (const Band& band : p.bands)
        j["bands"].push_back({{"from", band.fromMhz}, {"to", band.toMhz}});
    j["max_swr"] = p.maxSwr;
    j["z0"] = p.z0;
    j["ground"] = groundShortText(readGround(p.model, p.names));
    j["covered"] = r.covered();
    j["thicker"] = r.thicker;  // where none fits: the conductors to add, as --conductors takes them
    if (!r.ranked.empty()) {
        const Candidate& best = r.ranked.front();
        ordered_json b;
        const DesignResult design = runDesign(best.design);
        const std::vector<std::string> cells = designCells(design, best.design.sides);
        ordered_json d;
        for (std::size_t i = 0; i < designColumns().size() && i < cells.size(); ++i)
            d[std::string(designColumns()[i].key)] = cells[i];
        b["design"] = d;
        b["conductor"] = best.conductor;
        b["worst_swr"] = swrJson(best.worst);
        b["bands"] = ordered_json::array();
        for (std::size_t i = 0; i < p.bands.size(); ++i)
            b["bands"].push_back(
                {{"from", p.bands[i].fromMhz}, {"to", p.bands[i].toMhz}, {"worst_swr", swrJson(best.bandWorst[i])}});
        if (r.winner) {
            const Analysis& a = r.winner->analysis;
            if (!a.rows.empty()) {
                b["lowest_swr"] = swrJson(a.lowestSwr);
                b["lowest_mhz"] = a.lowestMhz;
                b["lowest"] = lowestJson(a.lowestMhz, a.lowestSwr);
            }
            // below_2 is kept for scripts written against earlier versions; the stretches are the check's.
            b["below_2"] = ordered_json::array();
            b["below_2_to_1_stretches"] = ordered_json::array();
            for (const Below2& s : a.stretches) {
                b["below_2"].push_back(
                    {{"from", s.fromMhz}, {"to", s.toMhz}, {"open_below", s.openBelow}, {"open_above", s.openAbove}});
                b["below_2_to_1_stretches"].push_back(ordered_json(stretchJson(s)));
            }
            b["gain"] = ordered_json::array();
            for (std::size_t i = 0; i < p.bands.size(); ++i)
                if (bandPattern(i) < a.patterns.size())
                    b["gain"].push_back({{"mhz", a.patterns[bandPattern(i)].mhz},
                                         {"dbi", a.patterns[bandPattern(i)].maxDbi},
                                         {"takeoff_deg", a.patterns[bandPattern(i)].takeoffDeg}});
        }
        j["best"] = b;
        j["next"] = ordered_json::array();
        for (std::size_t i = 1; i < r.ranked.size(); ++i)
            j["next"].push_back({{"frequency", r.ranked[i].design.frequencyText},
                                 {"conductor", r.ranked[i].conductor},
                                 {"worst_swr", swrJson(r.ranked[i].worst)}});
    }
    j["limits"] = r.limits;
    j["failures"] = r.failures;
    j["interrupted"] = r.stopped;
    j["runs"] = r.runs;
    return j.dump(2) + "\n";
}

}  // namespace brimalox::nec
