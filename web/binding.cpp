// The core's buttons for a browser page: plain C exports over one window held in the module, so
// the module carries no binding library. Each call takes the page's request as JSON and answers in
// JSON: the page hands over every field text and both option states with a click, and reads the
// texts back with the click's outcome. The shared values (the side length that a later COMPUTE
// shows again) stay in the module from click to click, as in the window.

#include <emscripten/emscripten.h>

#include <array>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/buttons.h"
#include "app/layout.h"
#include "app/road.h"
#include "numtext/fields.h"
#include "numtext/form.h"
#include "numtext/mod1.h"
#include "numtext/numtext.h"
#include "sheet/build_sheet.h"
#include "sheet/model_figures.h"
#include "sheet/sheet_svg.h"
#include "sheet/sheet_text.h"
#include "web/check_request.h"

namespace {

using namespace brimalox;
using nlohmann::json;
using web::jsonText;
using web::unitNamed;

// The window as the page shows it: the texts it last handed over, both option buttons as they are
// (neither is selected at start), and which dialog the last click asked for.
class PageForm : public Form {
public:
    PageForm() {
        for (const Control& box : textBoxes())
            texts_[index(*box.field)] = box.text;
    }
    std::string text(Field field) const override { return texts_[index(field)]; }
    void setText(Field field, std::string_view text) override { texts_[index(field)] = text; }
    bool selected(Option option) const override { return options_[static_cast<std::size_t>(option)]; }
    void showNotes() override { shown_ = kNotes; }
    void showWebsite() override { shown_ = kWebsite; }

    void setSelected(Option option, bool on) { options_[static_cast<std::size_t>(option)] = on; }
    const std::string& storedText(Field field) const { return texts_[index(field)]; }
    int takeShown() { return std::exchange(shown_, kNothing); }

    static constexpr int kNothing = 0, kNotes = 1, kWebsite = 2;

private:
    static std::size_t index(Field field) { return static_cast<std::size_t>(field) - 1; }
    std::array<std::string, kFieldCount> texts_;
    std::array<bool, 2> options_{};
    int shown_ = kNothing;
};

struct Session {
    PageForm form;
    Mod1 shared;
    std::string answer;  // the last call's JSON, which the page reads before its next call
};

Session& session() {
    static Session s;
    return s;
}

// nlohmann reads a number's text the same whatever the C library's locale (it writes the point
// as the locale's before strtod), and the module's locale is always "C" besides.
json readRequest(const char* text) { return json::parse(text); }

// Every call answers alike: its JSON, or {"error"} for a request the page never makes. A text the
// handlers cut inside a character goes out with U+FFFD, as the page's decoder would show it.
template <class Body>
const char* answered(Body&& body) {
    json out;
    try {
        out = body();
    } catch (const std::exception& e) {
        out = {{"error", std::string("the module could not answer the request: ") + e.what()}};
    }
    Session& s = session();
    s.answer = out.dump(-1, ' ', false, json::error_handler_t::replace);
    return s.answer.c_str();
}

// The window's texts and options as the request shows them: {"texts": [24 texts, Text1 first],
// "options": [Option1, Option2]}. They become the module's, as before any click of the window.
void handOver(PageForm& form, const json& in) {
    // Read whole first, so that a request the module cannot read changes nothing.
    const auto texts = in.at("texts").get<std::vector<std::string>>();
    if (texts.size() != kFieldCount) throw std::invalid_argument("24 field texts expected");
    const json& options = in.at("options");
    const bool option1 = options.at(0).get<bool>(), option2 = options.at(1).get<bool>();
    for (int field = 1; field <= kFieldCount; ++field)
        form.setText(static_cast<Field>(field), texts[static_cast<std::size_t>(field - 1)]);
    form.setSelected(Option::Option1, option1);
    form.setSelected(Option::Option2, option2);
}

json textsJson(const PageForm& form) {
    json texts = json::array();
    for (int field = 1; field <= kFieldCount; ++field)
        texts.push_back(form.storedText(static_cast<Field>(field)));
    return texts;
}

// A click's failure as the page shows it: family ("conversion"), kind ("type mismatch") and the
// desktop's message; null each after a click that went through, or without a click that failed.
void putFailure(json& out, const ClickOutcome* click) {
    const bool failed = click && !click->ok();
    out["family"] = failed ? json(click->family()) : json(nullptr);
    out["kind"] = failed ? json(click->kind()) : json(nullptr);
    out["message"] = failed ? json(click->message()) : json(nullptr);
}

json shownWindow(PageForm& form) {
    switch (form.takeShown()) {
    case PageForm::kNotes: return "notes";
    case PageForm::kWebsite: return "website";
    default: return nullptr;
    }
}

// {"button": "Command1" to "Command7", "texts", "options"} in; out {"texts" after the click, "ok",
// the failure (above), "window": the dialog the click asked for ("notes", "website" or null)}.
json pressAnswer(Session& s, const json& in) {
    const std::string name = in.at("button").get<std::string>();
    std::optional<Button> button;
    for (int number = 1; number <= 7; ++number)
        if (buttonName(static_cast<Button>(number)) == name) button = static_cast<Button>(number);
    if (!button) throw std::invalid_argument("no button " + name);
    handOver(s.form, in);
    const ClickOutcome outcome = press(*button, s.form, s.shared);
    json out = {{"window", shownWindow(s.form)}, {"texts", textsJson(s.form)}, {"ok", outcome.ok()}};
    putFailure(out, &outcome);
    return out;
}

// The design road as a user's clicks take it, on the window as the request hands it over:
// {"design": {"frequency", "sides", "unit", "conductor"}, "texts", "options"}: the frequency typed,
// ACCEPT, the conductor typed into the field of unit ("awg", "inch", "mm", or none) and the CHANGE
// below it, the option of sides (3, 4, any other: neither), COMPUTE, up to the first click that
// fails. Out {"texts", "options" the road left, "ok", "failed": the failing button or null, the
// failure (above), "recommendedMm": ACCEPT's proposal}.
json designAnswer(Session& s, const json& in) {
    handOver(s.form, in);
    const json& d = in.at("design");
    const json sides = d.value("sides", json(nullptr));
    DesignRequest request{jsonText(d, "frequency"),
                          sides.is_number_integer() ? sides.get<int>() : 0,
                          {unitNamed(jsonText(d, "unit")), jsonText(d, "conductor")}};
    const DesignResult result = runDesign(request, s.form, s.shared, [&s](std::optional<Option> option) {
        s.form.setSelected(Option::Option1, option == Option::Option1);
        s.form.setSelected(Option::Option2, option == Option::Option2);
    });
    s.form.takeShown();
    const auto& failure = result.failure;
    json out = {{"texts", textsJson(s.form)},
                {"options", {s.form.selected(Option::Option1), s.form.selected(Option::Option2)}},
                {"ok", !failure},
                {"failed", failure ? json(buttonName(failure->button)) : json(nullptr)},
                {"recommendedMm", result.recommendedMm}};
    putFailure(out, failure ? &*failure : nullptr);
    return out;
}

// The value fields in the window's order, as the core's design record declares them:
// [{"field": "Text13", "key": "height_mm", "caption": "HEIGHT", "unit": "mm", "change": null}, ...];
// a conductor's field names the CHANGE below it ("change": "Command1").
json valueFieldsJson() {
    json out = json::array();
    for (const ValueField& value : kValueFields) {
        json change = nullptr;
        for (ConductorUnit unit : {ConductorUnit::Awg, ConductorUnit::Inch, ConductorUnit::Millimetre})
            if (conductorField(unit) == value.field) change = buttonName(conductorButton(unit));
        out.push_back({{"field", fieldInfo(value.field).name},
                       {"key", value.key},
                       {"caption", value.caption},
                       {"unit", value.unit},
                       {"change", change}});
    }
    return out;
}

// JSON has no infinity: an SWR without end comes as null.
double sheetNumberOf(const json& value) {
    return value.is_null() ? std::numeric_limits<double>::infinity() : value.get<double>();
}
double sheetNumber(const json& object, const char* key) { return sheetNumberOf(object.at(key)); }

bool requestHas(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && !found->is_null();
}

// The check's figures as its sheetModel gives them.
sheet::ModelFigures checkFigures(const json& m) {
    sheet::ModelFigures out;
    out.designMhz = sheetNumber(m, "designMhz");
    out.swrAtDesign = sheetNumber(m, "swrAtDesign");
    out.lowestSwr = sheetNumber(m, "lowestSwr");
    out.lowestSwrMhz = sheetNumber(m, "lowestSwrMhz");
    out.maxGainDbi = sheetNumber(m, "maxGainDbi");
    out.takeoffDeg = sheetNumber(m, "takeoffDeg");
    out.z0Ohms = sheetNumber(m, "z0Ohms");
    if (requestHas(m, "heightMetres")) out.heightMetres = m.at("heightMetres").get<double>();
    for (const json& stretch : m.at("belowTwo"))
        out.belowTwo.push_back({sheetNumber(stretch, "from_mhz"), sheetNumber(stretch, "to_mhz"),
                                stretch.value("open_below", false), stretch.value("open_above", false)});
    out.ground = jsonText(m, "ground");
    out.plane = jsonText(m, "plane");
    if (requestHas(m, "reversedSwr")) {
        const json& swr = m.at("reversedSwr");
        out.reversedSwr = {{sheetNumberOf(swr.at(0)), sheetNumberOf(swr.at(1))}};
    }
    return out;
}

std::optional<sheet::FeedLine> sheetFeedLine(const json& feed, const char* key) {
    if (!requestHas(feed, key)) return std::nullopt;
    const json& line = feed.at(key);
    return sheet::FeedLine{sheetNumber(line, "z0"), sheetNumber(line, "vf"), sheetNumber(line, "metres")};
}

// The check's feed as its sheetModel gives it: {"lines", "line", "section", "balun", "coax", "rigZ0"},
// each line {"z0", "vf", "metres"}, the section and the coax null without them.
sheet::FeedFigures sheetFeed(const json& feed) {
    sheet::FeedFigures out;
    out.lines = feed.at("lines").get<int>();
    out.line = sheetFeedLine(feed, "line").value();
    out.section = sheetFeedLine(feed, "section");
    out.balun = sheetNumber(feed, "balun");
    out.coax = sheetFeedLine(feed, "coax");
    out.rigZ0 = sheetNumber(feed, "rigZ0");
    return out;
}

json sheetAnswer(Session& s, const json& in) {
    handOver(s.form, in);
    sheet::SheetAdditions additions;
    try {
        const std::string allowance = jsonText(in, "allowance");
        additions.jointAllowanceMm = sheet::readJointAllowance(allowance.empty() ? "0" : allowance, "JOINT ALLOWANCE");
    } catch (const std::invalid_argument& e) {
        return {{"ok", false}, {"message", std::string("No build sheet: ") + e.what() + "."}};
    }
    if (requestHas(in, "built")) {
        const json& b = in.at("built");
        DesignTexts built;
        built.heightMm = jsonText(b, "heightMm");
        built.sideMm = jsonText(b, "sideMm");
        built.gapMm = jsonText(b, "gapMm");
        additions.builtDesign = built;
    }
    if (requestHas(in, "feed")) additions.feed = sheetFeed(in.at("feed"));
    std::optional<sheet::ModelFigures> model;
    if (requestHas(in, "model")) model = checkFigures(in.at("model"));
    auto made = sheet::shownSheet(shownDesign(s.form), jsonText(in, "date"), model, jsonText(in, "remark"), additions);
    if (auto* problem = std::get_if<std::string>(&made)) return {{"ok", false}, {"message", std::move(*problem)}};
    const sheet::BuildSheet& drawn = std::get<sheet::BuildSheet>(made);
    return {
        {"ok", true},
        {"svg", sheet::sheetSvg(drawn, jsonText(in, "paper") == "letter" ? sheet::Paper::Letter : sheet::Paper::A4)},
        {"csv", sheet::cutListCsv(drawn)},
        {"json", sheet::sheetJson(drawn)},
        {"stem", fileStem(shownDesign(s.form))}};
}

}  // namespace

extern "C" {

// The texts the module holds now, [24 texts, Text1 first]: at start, the window's start-up texts.
EMSCRIPTEN_KEEPALIVE const char* brimalox_texts() {
    return answered([] { return textsJson(session().form); });
}

EMSCRIPTEN_KEEPALIVE const char* brimalox_value_fields() {
    return answered([] { return valueFieldsJson(); });
}

EMSCRIPTEN_KEEPALIVE const char* brimalox_press(const char* requestJson) {
    return answered([&] { return pressAnswer(session(), readRequest(requestJson)); });
}

EMSCRIPTEN_KEEPALIVE const char* brimalox_design(const char* requestJson) {
    return answered([&] { return designAnswer(session(), readRequest(requestJson)); });
}

// The build sheet of the window as the request's texts and options show it (they become the
// module's, as for a click), JSON in: {"texts", "options", "paper": "a4"
// or "letter", "date": YYYY-MM-DD, "model": the check's sheetModel or null, "remark": said below the
// model's figures, "allowance": the joint allowance as typed, "built": {"heightMm", "sideMm", "gapMm"}
// of a trimmed design's built antenna or null, "feed": the check's feed (as in sheetModel) or null}.
// JSON out: {"ok": true, "svg", "csv" (the cut list), "json" (the whole
// sheet)}, each as `brimalox-cli sheet --format` writes it, or {"ok": false, "message"} saying why
// there is none. The recommended minimum is what ACCEPT proposes for the frequency field; everything
// else is the fields' texts as they are.
EMSCRIPTEN_KEEPALIVE const char* brimalox_sheet(const char* requestJson) {
    return answered([&]() -> json {
        try {
            return sheetAnswer(session(), readRequest(requestJson));
        } catch (const std::exception& e) {  // a request the page never makes
            return {{"ok", false},
                    {"message", std::string("No build sheet: the request could not be read: ") + e.what()}};
        }
    });
}

}  // extern "C"
