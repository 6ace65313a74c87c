// The model check's answer for the page's worker: the request as JSON (the window's texts, the
// settings as typed, a dropped Touchstone file) in, the result as JSON out: the same report, charts
// and files as `brimalox-cli simulate` writes, from the same nec/ code; the sweep shared among the
// worker's engines in two calls. The trim's and the search's answers are beside it.

#include <emscripten/emscripten.h>

#include <complex>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "nec/nec.h"
#include "nec/report/report.h"
#include "nec/report/report_json.h"
#include "numtext/figures.h"
#include "sheet/model_figures.h"
#include "web/check_request.h"
#include "web/model_call.h"

// The check's progress, for the page's progress bar.
EM_JS(void, brimalox_check_progress, (int done, int total), {
    if (Module['onCheckProgress']) Module['onCheckProgress'](done, total);
});

namespace {

using namespace brimalox;
using namespace brimalox::nec;
using namespace brimalox::web;
using nlohmann::json;

// The answer first, above the report: the lowest SWR and where, the stretch under 2:1, the gain and
// take-off angle, each with the report's digits.
json summary(const Result& r) {
    const Analysis& a = r.analysis;
    json said = json::array();
    if (a.rows.empty()) return said;
    said.push_back("Lowest SWR " + swrFigure(a.lowestSwr) + " at " + mhzFigure(a.lowestMhz) + " MHz.");
    said.push_back(a.stretches.empty() ? "The SWR is nowhere under 2:1 in this sweep."
                                       : "SWR under 2:1 from " + stretchText(a.stretches.front()) + ".");
    if (!a.patterns.empty()) {
        const PatternFigures& p = a.patterns.front();
        said.push_back("Maximum gain " + dbiFigure(p.maxDbi) + " at " + degreesFigure(p.takeoffDeg) +
                       " degrees above the horizon (the take-off angle), at " + numberText(p.mhz) + " MHz.");
    }
    return said;
}

json resultJson(const Result& r) {
    json out = {{"ok", true},
                {"report", report(r, ReportFormat::Text)},
                {"json", report(r, ReportFormat::Json)},
                {"csv", report(r, ReportFormat::Csv)},
                {"deck", r.deck},
                {"warnings", r.warnings},
                {"swrSvg", swrChart(r)},
                {"heightsSvg", heightsChart(r)},
                {"smithSvg", r.analysis.rows.empty() ? std::string() : smithChart(r)},
                {"touchstone", touchstoneFile(r)},
                {"failures", r.analysis.failures}};
    // The sweep as the page's table shows it, with the report's digits: MHz, the resistance and
    // reactance where the SWR is taken (gap 1, or the feed's plane), SWR; a phone's short report.
    json table = json::array();
    const Plane plane = r.feed && !r.analysis.planes.empty() ? r.feed->at : Plane::Gap;
    for (std::size_t i = 0; i < r.analysis.rows.size(); ++i) {
        const SweepRow& row = r.analysis.rows[i];
        const std::complex<double> ohms = row.feeds.empty() ? std::complex<double>() : ohmsAt(r.analysis, i, plane);
        table.push_back(
            {numberText(row.mhz), fixedText(ohms.real(), 1), fixedText(ohms.imag(), 1), swrFigure(row.swr)});
    }
    out["table"] = std::move(table);
    out["summary"] = summary(r);
    out["patternSvg"] = r.analysis.patterns.empty() ? std::string() : patternChart(r);
    // What the build sheet carries of this check (null when the model gave no sweep or pattern).
    out["sheetModel"] = nullptr;
    if (!r.analysis.rows.empty() && !r.analysis.patterns.empty()) {
        const sheet::ModelFigures m = sheet::modelFigures(r);
        // The stretches in the JSON reports' shape, open ends included: the sheet's own are the same
        // stretches (sheet::modelFigures), without them.
        json stretches = json::array();
        for (const Below2& stretch : r.analysis.stretches)
            stretches.push_back(stretchJson(stretch));
        out["sheetModel"] = {
            {"designMhz", m.designMhz},
            {"swrAtDesign", m.swrAtDesign},
            {"lowestSwr", m.lowestSwr},
            {"lowestSwrMhz", m.lowestSwrMhz},
            {"belowTwo", stretches},
            {"maxGainDbi", m.maxGainDbi},
            {"takeoffDeg", m.takeoffDeg},
            {"z0Ohms", m.z0Ohms},
            {"ground", m.ground},
            {"heightMetres", m.heightMetres ? json(*m.heightMetres) : json()},
            {"plane", m.plane},
            {"reversedSwr", m.reversedSwr ? json::array({m.reversedSwr->first, m.reversedSwr->second}) : json()},
            {"feed", json()}};
        if (r.feed) {  // its pieces, listed on the sheet: the lines, the section, the balun, the coax, the rig
            const sheet::FeedFigures f = sheet::feedFigures(*r.feed);
            const auto line = [](const std::optional<sheet::FeedLine>& l) {
                return l ? json{{"z0", l->z0}, {"vf", l->vf}, {"metres", l->metres}} : json();
            };
            out["sheetModel"]["feed"] = {{"lines", f.lines}, {"line", line(f.line)}, {"section", line(f.section)},
                                         {"balun", f.balun}, {"coax", line(f.coax)}, {"rigZ0", f.rigZ0}};
        }
    }
    return out;
}

// The checks prepared and waiting for their parts' outputs, by the worker's request id.
std::map<int, Prepared>& waitingChecks() {
    static std::map<int, Prepared> kept;
    return kept;
}

}  // namespace

extern "C" {

// The request as JSON in, the result as JSON out (valid until the next call):
// {"ok": true, "report", "json", "csv", "deck", "warnings", "swrSvg", "patternSvg", "heightsSvg",
// "touchstone", "failures", "sheetModel"} or {"ok": false, "kind": "refused" | "failed", "message"}.
EMSCRIPTEN_KEEPALIVE const char* brimalox_check(const char* requestJson) {
    return answer("check", [&] {
        WebEngine engine;
        return resultJson(simulate(checkRequestOf(json::parse(requestJson)), engine,
                                   [](int done, int total) { brimalox_check_progress(done, total); }));
    });
}

// The check's sweep shared among the worker's engines, in two calls with the engines' runs between
// them. First {"id", "engines", "request"} (the request as for brimalox_check) in, the check prepared
// and kept under its id, out {"ok": true, "decks": [...] (the parts to run side by side, the last with
// the patterns), "total" (the frequencies its progress counts)} or the refusal or failure
// brimalox_check would give.
EMSCRIPTEN_KEEPALIVE const char* brimalox_check_parts(const char* partsJson) {
    return answer("check", [&]() -> json {
        const json in = json::parse(partsJson);
        const int id = in.at("id").get<int>();
        waitingChecks().erase(id);
        Prepared prepared = prepare(checkRequestOf(in.at("request")));
        json out = {{"ok", true},
                    {"decks", checkParts(prepared, in.value("engines", 1))},
                    {"total", checkFrequencies(prepared)}};
        waitingChecks().emplace(id, std::move(prepared));
        return out;
    });
}

// Then {"id", "outputs": [...]} (the parts' outputs in order, or null when one failed: the module then
// runs the deck itself, and meets and reports the fault as a check would) in, the kept check run with
// them joined, out the result as from brimalox_check.
EMSCRIPTEN_KEEPALIVE const char* brimalox_check_joined(const char* outputsJson) {
    return answer("check", [&] {
        const json in = json::parse(outputsJson);
        const auto kept = waitingChecks().find(in.at("id").get<int>());
        if (kept == waitingChecks().end()) throw std::logic_error("no check waits for its parts");
        const Prepared prepared = std::move(kept->second);
        waitingChecks().erase(kept);
        WebEngine engine;
        const CheckProgress progress = [](int done, int total) { brimalox_check_progress(done, total); };
        const json& outputs = in.at("outputs");
        if (!outputs.is_array()) return resultJson(run(prepared, engine, progress));
        return resultJson(run(prepared, joinedOutput(outputs.get<std::vector<std::string>>()), engine, progress));
    });
}

// What is wrong with a dropped Touchstone file, named by line and reason; "" when it reads.
EMSCRIPTEN_KEEPALIVE const char* brimalox_touchstone_problem(const char* text) {
    try {
        readTouchstone(text);
        lastResult().clear();
    } catch (const std::exception& e) {
        lastResult() = e.what();
    }
    return lastResult().c_str();
}

}  // extern "C"
