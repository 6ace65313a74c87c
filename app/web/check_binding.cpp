// The model check for the page's worker: one C export that takes the request as JSON (the window's
// texts, the settings as typed, a dropped Touchstone file) and gives back the result as JSON: the
// same report, charts and files as `brimalox-cli simulate` writes, from the same nec/ code. The
// engine is nec2c compiled to WebAssembly, run by the worker's script (Module.necRun) for each deck.

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "nec/error.h"
#include "nec/simulate.h"

// Runs one deck in a fresh nec2c instance; the worker's script calls
// _brimalox_engine_progress as frequencies are done. Returns nec2c's output (malloc'd), or null
// with the reason kept for brimalox_engine_failure.
EM_JS(char*, brimalox_engine_run, (const char* deck), {
  try {
    var output = Module['necRun'](UTF8ToString(deck), function (done) { Module['_brimalox_engine_progress'](done); });
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

std::string text(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

Request requestOf(const json& in) {
    Request request;
    const json& fields = in.at("fields");
    DesignTexts d;
    d.sides = in.value("sides", 0);
    d.frequency = text(fields, "Text2");
    d.awg = text(fields, "Text4");
    d.inch = text(fields, "Text6");
    d.mm = text(fields, "Text8");
    d.heightInch = text(fields, "Text11");
    d.heightMm = text(fields, "Text13");
    d.sideInch = text(fields, "Text16");
    d.sideMm = text(fields, "Text17");
    d.gapInch = text(fields, "Text19");
    d.gapMm = text(fields, "Text20");
    d.matchInch = text(fields, "Text22");
    d.matchMm = text(fields, "Text23");
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
    if (const auto at = s.find("patternAt"); at != s.end() && at->is_array())
        for (const json& mhz : *at)
            if (mhz.is_string()) settings.patternAt.push_back(mhz.get<std::string>());
    if (const auto m = in.find("measured"); m != in.end() && m->is_object())
        request.measured = Measured{text(*m, "name"), readTouchstone(text(*m, "text"))};
    return request;
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
                {"touchstone", touchstoneFile(r)},
                {"failures", r.analysis.failures}};
    out["patternSvg"] = r.analysis.patterns.empty() ? std::string() : patternChart(r);
    return out;
}

std::string& lastResult() {
    static std::string text;
    return text;
}

}  // namespace

extern "C" {

// Called by the worker's script while a deck runs: that run's frequencies done.
EMSCRIPTEN_KEEPALIVE void brimalox_engine_progress(int done) {
    if (runProgress && *runProgress) (*runProgress)(done);
}

// The request as JSON in, the result as JSON out (valid until the next call):
// {"ok": true, "report", "json", "csv", "deck", "warnings", "swrSvg", "patternSvg", "heightsSvg",
// "touchstone", "failures"} or {"ok": false, "kind": "refused" | "failed", "message"}.
EMSCRIPTEN_KEEPALIVE const char* brimalox_check(const char* requestJson) {
    json out;
    try {
        WebEngine engine;
        const Result result = simulate(requestOf(json::parse(requestJson)), engine,
                                       [](int done, int total) { brimalox_check_progress(done, total); });
        out = resultJson(result);
    } catch (const Refused& e) {
        out = {{"ok", false}, {"kind", "refused"}, {"message", e.what()}};
    } catch (const NecError& e) {
        out = {{"ok", false}, {"kind", "failed"}, {"message", e.what()}};
    } catch (const std::exception& e) {
        out = {{"ok", false}, {"kind", "failed"}, {"message", std::string("the check could not run: ") + e.what()}};
    }
    lastResult() = out.dump();
    return lastResult().c_str();
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
