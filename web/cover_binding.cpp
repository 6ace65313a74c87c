// The search's answer for the page's worker: the bands, the form, the conductors and the check's
// settings in, as JSON, and out the design that covers the bands, its candidates run one after the
// other, with the report `brimalox-cli cover` prints in each format; and what a search would take.

#include <emscripten/emscripten.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "nec/nec.h"
#include "nec/report/report.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"
#include "web/check_request.h"
#include "web/model_call.h"

// The search's progress: runs done, the runs planned and the best so far in words ("" before any).
EM_JS(void, brimalox_cover_progress, (int runs, int planned, const char* best), {
    if (Module['onCoverProgress']) Module['onCoverProgress'](runs, planned, UTF8ToString(best));
});

namespace {

using namespace brimalox;
using namespace brimalox::nec;
using namespace brimalox::web;
using nlohmann::json;

// A setting's number as the core writes it, read by the field's rule, not the C library's locale.
double settingNumber(const std::string& text) { return parseDouble(text).value; }

// The search of the design that covers the bands: {"sides", "cover": {"bands": ["FROM:TO"...],
// "maxSwr", "conductors"}, "settings"} with the check's ground, height and feed line.
CoverRequest coverRequestOf(const json& in) {
    CoverRequest request;
    request.sides = in.value("sides", 3);
    const json& how = in.at("cover");
    CoverSettings& settings = request.settings;
    if (const auto bands = how.find("bands"); bands != how.end() && bands->is_array())
        for (const json& band : *bands)
            if (band.is_string()) settings.bands.push_back(band.get<std::string>());
    settings.maxSwr = jsonText(how, "maxSwr");
    settings.conductors = jsonText(how, "conductors");
    const json& s = in.at("settings");
    settings.model.z0 = jsonText(s, "z0");
    settings.model.ground = jsonText(s, "ground");
    settings.model.groundConstants = jsonText(s, "groundConstants");
    settings.model.height = jsonText(s, "height");
    settings.model.feed = feedSettingsOf(s);
    settings.model.insulation = jsonText(s, "insulation");
    return request;
}

// What the search found, first: the design and what to do with it, or why none fits and what to try.
json coverSummary(const CoverResult& r) {
    json said = json::array();
    if (r.ranked.empty()) return said;
    const Candidate& best = r.ranked.front();
    const std::string design =
        best.design.frequencyText + " MHz, " + best.conductor + ", " + sidesCaption(r.plan.sides);
    if (r.covered()) {
        said.push_back("Every band stays at or under SWR " + swrFigure(best.worst) + " with " + design + ".");
        said.push_back("USE THIS DESIGN below makes it in the window, as ACCEPT, CHANGE and COMPUTE would.");
    } else {
        said.push_back("No design keeps every band under " + numberText(r.plan.maxSwr) + ":1. The closest, " + design +
                       ", reaches SWR " + swrFigure(best.worst) + ".");
        said.push_back(thickerAdvice(r));
    }
    return said;
}

json coverJson(const CoverResult& r) {
    json out = {{"ok", true}, {"report", coverText(r)}, {"runs", r.runs}, {"covered", r.covered()}};
    out["csv"] = coverReportCsv(r);
    out["json"] = coverReportJson(r);
    out["best"] = nullptr;
    DesignTexts named;  // the winner's, for the files' names
    named.sides = r.plan.sides;
    if (!r.ranked.empty()) named.frequency = r.ranked.front().design.frequencyText;
    out["stem"] = fileStem(named);
    if (!r.ranked.empty()) {
        const DesignRequest& d = r.ranked.front().design;
        out["best"] = {{"frequency", d.frequencyText},
                       {"sides", d.sides},
                       {"unit", unitName(d.conductor.unit)},
                       {"conductor", d.conductor.text}};
    }
    std::vector<std::pair<double, double>> bands;
    for (const Band& band : r.plan.bands)
        bands.push_back({band.fromMhz, band.toMhz});
    out["swrSvg"] = r.winner ? swrChart(*r.winner, bands) : std::string();
    out["summary"] = coverSummary(r);
    return out;
}

}  // namespace

extern "C" {

// The search of the design that covers given bands, its candidates one after the other: the request
// (see coverRequestOf) in, out {"ok": true, "report" (text), "csv", "json" (as brimalox-cli cover
// --format prints them), "stem" (of their files' names: the winner's, "146MHz-3sided"), "runs",
// "covered", "best": {"frequency", "sides", "unit" ("recommended", "awg", "inch", "mm"),
// "conductor"} or null, "swrSvg"} or {"ok": false, "kind", "message"} as for the check.
EMSCRIPTEN_KEEPALIVE const char* brimalox_cover(const char* requestJson) {
    return answer("search", [&]() -> json {
        try {
            const CoverPlan plan = planCover(coverRequestOf(json::parse(requestJson)));
            const EngineMaker engines = [] { return std::make_unique<WebEngine>(); };
            const CoverProgress progress = [](int runs, int planned, const Candidate* best) {
                const std::string now = best ? best->design.frequencyText + " MHz, " + best->conductor +
                                                   ", worst SWR " + swrFigure(best->worst)
                                             : std::string();
                brimalox_cover_progress(runs, planned, now.c_str());
            };
            return coverJson(cover(plan, engines, 1, oneAtATime, progress));
        } catch (const std::invalid_argument& e) {  // a band or a conductor that is no number
            return failureJson("refused", e.what());
        }
    });
}

// What a search of the request (see coverRequestOf) would take at most, for the estimate beside its
// button: {"ok": true, "runs", "frequencies"} (the model runs planned and the frequencies they run
// at, the winner's full sweep and patterns included) or {"ok": false, "kind", "message"}.
EMSCRIPTEN_KEEPALIVE const char* brimalox_cover_plan(const char* requestJson) {
    return answer("search", [&]() -> json {
        try {
            const CoverPlan plan = planCover(coverRequestOf(json::parse(requestJson)));
            const int runs = plannedRuns(plan);
            int points = 0;
            for (const Band& band : plan.bands)
                points += bandSweep(band).count;
            const double guess = std::sqrt(plan.bands.front().fromMhz * plan.bands.back().toMhz);
            const Settings& winner = winnerRequest(plan, {numberText(guess), plan.sides, {}}).settings;
            const int winnerPoints = static_cast<int>(
                std::floor((settingNumber(winner.to) - settingNumber(winner.from)) / settingNumber(winner.step) +
                           1e-9) +
                1 + static_cast<double>(winner.patternAt.size()) + 1);
            // The winner's run counts as one of the planned runs, with the two short kernel runs.
            return json{{"ok", true}, {"runs", runs}, {"frequencies", (runs - 3) * points + winnerPoints + 2}};
        } catch (const std::invalid_argument& e) {
            return failureJson("refused", e.what());
        }
    });
}

}  // extern "C"
