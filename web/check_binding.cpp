// The model check for the page's worker: one C export that takes the request as JSON (the window's
// texts, the settings as typed, a dropped Touchstone file) and gives back the result as JSON: the
// same report, charts and files as `brimalox-cli simulate` writes, from the same nec/ code. The
// engine is nec2c compiled to WebAssembly, run by the worker's script (Module.necRun) for each deck.

#include <emscripten/emscripten.h>

#include <cctype>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "nec/nec.h"
#include "nec/report/report.h"
#include "nec/report/report_json.h"
#include "numtext/fields.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"
#include "sheet/model_figures.h"
#include "web/check_request.h"

// Runs one deck in a fresh nec2c instance; the worker's script calls
// _brimalox_engine_progress as frequencies are done. Returns nec2c's output (malloc'd), or null
// with the reason kept for brimalox_engine_failure.
EM_JS(char*, brimalox_engine_run, (const char* deck), {
    try {
        var output = Module['necRun'](
            UTF8ToString(deck), function(done) { Module['_brimalox_engine_progress'](done); });
        var size = lengthBytesUTF8(output) + 1;
        var pointer = _malloc(size);
        stringToUTF8(output, pointer, size);
        return pointer;
    } catch (error) {
        Module['necFailure'] = String(error && error.message ? error.message : error);
        return 0;
    }
});

EM_JS(char*, brimalox_engine_failure, (), {
    var text = Module['necFailure'] || 'the NEC-2 engine failed';
    var size = lengthBytesUTF8(text) + 1;
    var pointer = _malloc(size);
    stringToUTF8(text, pointer, size);
    return pointer;
});

// The search's progress: runs done, the runs planned and the best so far in words ("" before any).
EM_JS(void, brimalox_cover_progress, (int runs, int planned, const char* best), {
    if (Module['onCoverProgress']) Module['onCoverProgress'](runs, planned, UTF8ToString(best));
});

// The check's progress, for the page's progress bar.
EM_JS(void, brimalox_check_progress, (int done, int total), {
    if (Module['onCheckProgress']) Module['onCheckProgress'](done, total);
});

namespace {

using namespace brimalox;
using namespace brimalox::nec;
using nlohmann::json;

std::string taken(char* text) {
    std::string out(text);
    std::free(text);
    return out;
}

const FrequenciesDone* runProgress = nullptr;

class WebEngine : public Engine {
public:
    std::string run(const std::string& deck, const FrequenciesDone& progress) override {
        runProgress = &progress;
        char* output = brimalox_engine_run(deck.c_str());
        runProgress = nullptr;
        if (!output) throw NecError("nec2c failed: " + taken(brimalox_engine_failure()));
        return taken(output);
    }
};

// A setting's number as the core writes it, read by the field's rule, not the C library's locale.
double settingNumber(const std::string& text) { return parseDouble(text).value; }

std::string text(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// The feed system as the check's form sends it: {"line", "loss", "section", "balun", "coax", "rigZ0",
// "at"}, each empty when not typed.
FeedSettings feedOf(const json& settings) {
    FeedSettings feed;
    const auto f = settings.find("feed");
    if (f == settings.end() || !f->is_object()) return feed;
    feed.line = text(*f, "line");
    feed.loss = text(*f, "loss");
    feed.section = text(*f, "section");
    feed.balun = text(*f, "balun");
    feed.coax = text(*f, "coax");
    feed.rigZ0 = text(*f, "rigZ0");
    feed.at = text(*f, "at");
    return feed;
}

Request requestOf(const json& in) {
    Request request;
    const json& fields = in.at("fields");
    DesignTexts d;
    d.sides = in.value("sides", 0);
    for (const ValueField& value : kValueFields)
        d.*value.text = text(fields, std::string(fieldInfo(value.field).name).c_str());
    request.shown = d;
    const json& s = in.at("settings");
    Settings& settings = request.settings;
    settings.z0 = text(s, "z0");
    settings.from = text(s, "from");
    settings.to = text(s, "to");
    settings.step = text(s, "step");
    settings.ground = text(s, "ground");
    settings.groundConstants = text(s, "groundConstants");
    settings.height = text(s, "height");
    settings.heights = text(s, "heights");
    settings.feed = feedOf(s);
    settings.insulation = text(s, "insulation");
    if (const auto at = s.find("patternAt"); at != s.end() && at->is_array())
        for (const json& mhz : *at)
            if (mhz.is_string()) settings.patternAt.push_back(mhz.get<std::string>());
    if (const auto m = in.find("measured"); m != in.end() && m->is_object())
        request.measured = Measured{text(*m, "name"), readTouchstone(text(*m, "text"))};
    return request;
}

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

// The window's texts of the trimmed height and side, for the trimmed design's build sheet.
json trimmedTexts(const Trim& t) {
    const DesignTexts trimmed = nec::trimmedDesign(t.design, t);
    return {{"Text13", trimmed.heightMm},
            {"Text11", trimmed.heightInch},
            {"Text17", trimmed.sideMm},
            {"Text16", trimmed.sideInch}};
}

// The antenna as built: the design's height, side and gap, with the lengths the tape measured.
json builtTexts(const Trim& t) {
    const DesignTexts built = nec::builtDesign(t);
    return {{"heightMm", built.heightMm}, {"sideMm", built.sideMm}, {"gapMm", built.gapMm}};
}

// The check's request with the measurement to trim by: {"source": "edges" | "dip" | "file", "low",
// "high", "dip"}, the file being the check's measured file.
TrimRequest trimRequestOf(const json& in) {
    TrimRequest request;
    request.check = requestOf(in);
    TrimNames& n = request.names;
    const json& how = in.at("trim");
    const std::string source = text(how, "source");
    TrimMeasurement& m = request.measured;
    if (source == "file") {
        if (!request.check.measured) throw Refused(n.measuredFile + ": choose or drop an analyser's file first");
        m.file = request.check.measured;
    } else if (source == "dip") {
        m.dipMhz = positiveSetting(text(how, "dip"), n.measuredDip);
    } else {
        m.lowEdgeMhz = positiveSetting(text(how, "low"), "measured 2:1 low edge");
        m.highEdgeMhz = positiveSetting(text(how, "high"), "measured 2:1 high edge");
    }
    n.builtSide = "BUILT SIDE";
    n.builtHeight = "BUILT HEIGHT";
    request.builtSide = text(how, "builtSide");
    request.builtHeight = text(how, "builtHeight");
    request.check.measured.reset();
    return request;
}

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
    settings.maxSwr = text(how, "maxSwr");
    settings.conductors = text(how, "conductors");
    const json& s = in.at("settings");
    settings.model.z0 = text(s, "z0");
    settings.model.ground = text(s, "ground");
    settings.model.groundConstants = text(s, "groundConstants");
    settings.model.height = text(s, "height");
    settings.model.feed = feedOf(s);
    settings.model.insulation = text(s, "insulation");
    return request;
}

// The answer first, above the trim's report and in its words: how far the antenna is off and what
// to cut from each piece ("Cut 6.771 mm (0.267 inch) from each of the 6 sides ..., to 259.947 mm.").
json trimSummary(const std::string& report) {
    json said = json::array();
    std::size_t at = 0;
    bool cuts = false;
    while (at < report.size()) {
        std::size_t end = report.find('\n', at);
        if (end == std::string::npos) end = report.size();
        const std::string line = report.substr(at, end - at);
        at = end + 1;
        if (line.starts_with("ratio: ")) {
            const std::size_t meaning = line.find("): ");
            if (meaning == std::string::npos) continue;
            std::string words = line.substr(meaning + 3);
            words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
            const std::size_t open = line.find(" (");
            said.push_back(words + " (ratio " + line.substr(7, open - 7) + ", " +
                           line.substr(open + 2, meaning - open - 2) + ").");
        } else if (line.starts_with("cut list")) {
            cuts = true;
        } else if (cuts && line.starts_with("  ")) {
            const std::size_t colon = line.find(": ");
            const std::size_t cut = line.find(", cut "), longer = line.find(", longer by ");
            if (colon == std::string::npos) continue;
            const std::string piece = line.substr(2, colon - 2);
            if (cut != std::string::npos)
                said.push_back("Cut " + line.substr(cut + 6, line.find(", to ") - cut - 6) + " of the " + piece +
                               line.substr(line.find(", to ")) + ".");
            else if (longer != std::string::npos)
                said.push_back("Make the " + piece + " anew, longer by " +
                               line.substr(longer + 12, line.find(", to ") - longer - 12) +
                               line.substr(line.find(", to ")) + ".");
        } else if (cuts) {
            break;
        }
    }
    return said;
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

const char* unitName(ConductorUnit unit) {
    switch (unit) {
    case ConductorUnit::Awg: return "awg";
    case ConductorUnit::Inch: return "inch";
    case ConductorUnit::Millimetre: return "mm";
    case ConductorUnit::None: break;
    }
    return "recommended";
}

json coverJson(const CoverResult& r) {
    json out = {{"ok", true}, {"report", coverText(r)}, {"runs", r.runs}, {"covered", r.covered()}};
    out["csv"] = coverReportCsv(r);
    out["json"] = coverReportJson(r);
    out["best"] = nullptr;
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

// The checks prepared and waiting for their parts' outputs, by the worker's request id.
std::map<int, Prepared>& waitingChecks() {
    static std::map<int, Prepared> kept;
    return kept;
}

std::string& lastResult() {
    static std::string text;
    return text;
}

json failureJson(const char* kind, const std::string& message) {
    return {{"ok", false}, {"kind", kind}, {"message", message}};
}

// Every entry point answers alike: the body's JSON, or a refusal or failure in words ("the check
// could not run: ..." for what neither the request nor the model explains).
template <class Body>
const char* answer(const char* what, Body&& body) {
    json out;
    try {
        out = body();
    } catch (const Refused& e) {
        out = failureJson("refused", e.what());
    } catch (const TrimWithheld& e) {
        out = failureJson("withheld", e.what());
    } catch (const NecError& e) {
        out = failureJson("failed", e.what());
    } catch (const std::exception& e) {
        out = failureJson("failed", std::string("the ") + what + " could not run: " + e.what());
    }
    lastResult() = out.dump();
    return lastResult().c_str();
}

}  // namespace

namespace brimalox::web {

nec::Request checkRequestOf(const json& in) { return requestOf(in); }

}  // namespace brimalox::web

extern "C" {

// The limit of one nec2c run, which every front-end takes from nec/.
EMSCRIPTEN_KEEPALIVE int brimalox_time_limit_seconds() { return kTimeLimitSeconds; }

// Called by the worker's script while a deck runs: that run's frequencies done.
EMSCRIPTEN_KEEPALIVE void brimalox_engine_progress(int done) {
    if (runProgress && *runProgress) (*runProgress)(done);
}

// The request as JSON in, the result as JSON out (valid until the next call):
// {"ok": true, "report", "json", "csv", "deck", "warnings", "swrSvg", "patternSvg", "heightsSvg",
// "touchstone", "failures", "sheetModel"} or {"ok": false, "kind": "refused" | "failed", "message"}.
EMSCRIPTEN_KEEPALIVE const char* brimalox_check(const char* requestJson) {
    return answer("check", [&] {
        WebEngine engine;
        return resultJson(simulate(requestOf(json::parse(requestJson)), engine,
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
        Prepared prepared = prepare(requestOf(in.at("request")));
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

// The trim of a built antenna: the check's request with {"trim": ...} (see trimRequestOf) in, out
// {"ok": true, "report" (text), "json", "answer" (its one line), "trimmed" (the window's height and side texts), "built" (the
// design's height, side and gap in mm, what the trimmed sheet cuts from), "remark" (for the trimmed
// design's build sheet)} or
// {"ok": false, "kind", "message"} as for the check.
EMSCRIPTEN_KEEPALIVE const char* brimalox_trim(const char* requestJson) {
    return answer("trim", [&]() -> json {
        WebEngine engine;
        const Trim t = trim(trimRequestOf(json::parse(requestJson)), engine);
        return {{"ok", true},
                {"report", trimReport(t, ReportFormat::Text)},
                {"json", trimReport(t, ReportFormat::Json)},
                {"summary", trimSummary(trimReport(t, ReportFormat::Text))},
                {"answer", trimAnswer(t)},
                {"trimmed", trimmedTexts(t)},
                {"built", builtTexts(t)},
                {"remark", sheet::trimRemark(t)}};
    });
}

// The search of the design that covers given bands, its candidates one after the other: the request
// (see coverRequestOf) in, out {"ok": true, "report" (text), "csv", "json" (as brimalox-cli cover
// --format prints them), "runs", "covered", "best": {"frequency",
// "sides", "unit" ("recommended", "awg", "inch", "mm"), "conductor"} or null, "swrSvg"} or
// {"ok": false, "kind", "message"} as for the check.
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
