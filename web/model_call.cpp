#include "web/model_call.h"

#include <emscripten/emscripten.h>

#include <cstdlib>

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

namespace brimalox::web {

namespace {

std::string taken(char* text) {
    std::string out(text);
    std::free(text);
    return out;
}

const nec::FrequenciesDone* runProgress = nullptr;

}  // namespace

std::string WebEngine::run(const std::string& deck, const nec::FrequenciesDone& progress) {
    runProgress = &progress;
    char* output = brimalox_engine_run(deck.c_str());
    runProgress = nullptr;
    if (!output) throw nec::NecError("nec2c failed: " + taken(brimalox_engine_failure()));
    return taken(output);
}

nlohmann::json failureJson(const char* kind, const std::string& message) {
    return {{"ok", false}, {"kind", kind}, {"message", message}};
}

std::string& lastResult() {
    static std::string text;
    return text;
}

}  // namespace brimalox::web

extern "C" {

// The limit of one nec2c run, which every front-end takes from nec/.
EMSCRIPTEN_KEEPALIVE int brimalox_time_limit_seconds() { return brimalox::nec::kTimeLimitSeconds; }

// Called by the worker's script while a deck runs: that run's frequencies done.
EMSCRIPTEN_KEEPALIVE void brimalox_engine_progress(int done) {
    using brimalox::web::runProgress;
    if (runProgress && *runProgress) (*runProgress)(done);
}

}  // extern "C"
