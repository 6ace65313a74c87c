// The analyser's conversation for the page: the same state machines as the command line's and the
// window's, fed from JavaScript with the bytes Web Serial reads and answering with the bytes to
// write, as hex text (the V2's records hold NULs). One sweep at a time, as one port is open.

#include <emscripten/emscripten.h>

#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "nec/error.h"
#include "vna/analyser.h"
#include "vna/model/sweep_plan.h"
#include "web/check_request.h"

namespace brimalox::web::analyser {
namespace {

using nlohmann::json;

std::unique_ptr<vna::Conversation>& conversation() {
    static std::unique_ptr<vna::Conversation> held;
    return held;
}

std::string& answered() {
    static std::string text;
    return text;
}

std::string hexOf(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

int nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The page's own hex: anything else is its fault, not the analyser's.
std::string bytesOf(const std::string& hex) {
    if (hex.size() % 2) throw std::invalid_argument("an odd count of hex digits");
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]), low = nibble(hex[i + 1]);
        if (high < 0 || low < 0) throw std::invalid_argument("a byte that is not hex");
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

json stepJson(const vna::Step& step) {
    return {{"ok", true}, {"send", hexOf(step.send)}, {"waitMs", step.wait.count()}, {"done", step.done}};
}

const char* kept(const json& out) {
    answered() = out.dump();
    return answered().c_str();
}

// Each call answers with its JSON or with {"ok": false, "kind", "message"}: "refused" for settings no
// sweep can take, "analyser" for what the analyser did (the conversation is over), "failed" otherwise.
// One body of the catches for every call (a template's copy for each cost the page 16 KB).
const char* answer(const std::function<json()>& body) {
    try {
        return kept(body());
    } catch (const nec::Refused& e) {
        return kept({{"ok", false}, {"kind", "refused"}, {"message", e.what()}});
    } catch (const vna::VnaError& e) {
        conversation().reset();
        return kept({{"ok", false}, {"kind", "analyser"}, {"message", e.what()}});
    } catch (const std::exception& e) {
        conversation().reset();
        return kept(
            {{"ok", false}, {"kind", "failed"}, {"message", std::string("the sweep could not go on: ") + e.what()}});
    }
}

vna::Conversation& going() {
    if (!conversation()) throw std::logic_error("no sweep is going");
    return *conversation();
}

}  // namespace
}  // namespace brimalox::web::analyser

extern "C" {

using namespace brimalox::web::analyser;

// The analysers' USB ids, for the port chooser's filters: [{"vendor", "product", "name"}].
EMSCRIPTEN_KEEPALIVE const char* brimalox_vna_kinds() {
    json kinds = json::array();
    for (const brimalox::vna::UsbKind& kind : brimalox::vna::usbKinds())
        kinds.push_back({{"vendor", kind.vendor}, {"product", kind.product}, {"name", kind.name}});
    return kept(kinds);
}

// A sweep begins: the check's request (as brimalox_check takes it) gives the model's frequencies.
// Out {"ok", "startHz", "stopHz", "points", "step": {"send", "waitMs", "done"}}.
EMSCRIPTEN_KEEPALIVE const char* brimalox_vna_begin(const char* requestJson) {
    return answer([&]() -> json {
        conversation().reset();
        const brimalox::vna::SweepPlan plan =
            brimalox::vna::sweepPlan(brimalox::web::checkRequestOf(json::parse(requestJson)), "");
        conversation() = brimalox::vna::sweepConversation(plan);
        return {{"ok", true},
                {"startHz", plan.startHz},
                {"stopHz", plan.stopHz},
                {"points", plan.points},
                {"step", stepJson(conversation()->start())}};
    });
}

// Bytes the analyser sent (hex): the next step.
EMSCRIPTEN_KEEPALIVE const char* brimalox_vna_received(const char* hex) {
    return answer([&] { return stepJson(going().received(bytesOf(hex))); });
}

// The step's wait ran out with nothing more: the next step, or why the sweep is over.
EMSCRIPTEN_KEEPALIVE const char* brimalox_vna_silence() {
    return answer([&] { return stepJson(going().silence()); });
}

// The finished sweep as the command line's measure writes it, taken at `when`:
// {"ok", "analyser", "points", "fromHz", "toHz", "touchstone"}. The conversation ends with it.
EMSCRIPTEN_KEEPALIVE const char* brimalox_vna_sweep(const char* when) {
    return answer([&]() -> json {
        const brimalox::vna::Sweep sweep = going().sweep();
        conversation().reset();
        if (sweep.hz.empty()) throw std::logic_error("the sweep is not over");
        return {{"ok", true},
                {"analyser", sweep.analyser},
                {"points", sweep.hz.size()},
                {"fromHz", sweep.hz.front()},
                {"toHz", sweep.hz.back()},
                {"touchstone", brimalox::vna::touchstoneText(sweep, when)}};
    });
}

}  // extern "C"
