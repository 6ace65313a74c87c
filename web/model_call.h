#pragma once
// What the module's calls of the model share: the engine they run their decks in, nec2c compiled to
// WebAssembly and run by the worker's script (Module.necRun) for each deck, and the one form of
// their answers.

#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "nec/nec.h"

namespace brimalox::web {

// Runs each deck in a fresh nec2c instance of the worker's.
class WebEngine : public nec::Engine {
public:
    std::string run(const std::string& deck, const nec::FrequenciesDone& progress) override;
};

// {"ok": false, "kind": "refused", "withheld" or "failed", "message"}.
nlohmann::json failureJson(const char* kind, const std::string& message);
// The text of the last answer, which the page reads before its next call.
std::string& lastResult();

// Every entry point answers alike: the body's JSON, or a refusal or failure in words ("the check
// could not run: ..." for what neither the request nor the model explains).
template <class Body>
const char* answer(const char* what, Body&& body) {
    nlohmann::json out;
    try {
        out = body();
    } catch (const nec::Refused& e) {
        out = failureJson("refused", e.what());
    } catch (const nec::TrimWithheld& e) {
        out = failureJson("withheld", e.what());
    } catch (const nec::NecError& e) {
        out = failureJson("failed", e.what());
    } catch (const std::exception& e) {
        out = failureJson("failed", std::string("the ") + what + " could not run: " + e.what());
    }
    lastResult() = out.dump();
    return lastResult().c_str();
}

}  // namespace brimalox::web
