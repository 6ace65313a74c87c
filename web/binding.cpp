// The core's buttons for a browser page: plain C exports over one window held in the module, so
// the module carries no binding library. The page writes every field text and both option states,
// presses a button, and reads the texts back with the click's outcome. The shared values (the side
// length that a later COMPUTE shows again) stay in the module from click to click, as in the window.

#include <emscripten/emscripten.h>

#include <algorithm>
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
    std::string family, kind, message;  // empty after a click that went through
    std::string recommendedMm;          // ACCEPT's proposal in the last design road
    int shown = PageForm::kNothing;
    std::string sheet;  // the last build sheet's answer, see brimalox_sheet()
};

Session& session() {
    static Session s;
    return s;
}

bool validField(int field) { return field >= 1 && field <= kFieldCount; }

// nlohmann reads a number's text the same whatever the C library's locale (it writes the point
// as the locale's before strtod), and the module's locale is always "C" besides.
json readRequest(const char* text) { return json::parse(text); }

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
    const json& texts = in.at("texts");
    for (int field = 1; field <= kFieldCount; ++field)
        s.form.setText(static_cast<Field>(field), texts.at(static_cast<std::size_t>(field - 1)).get<std::string>());
    const json& options = in.at("options");
    s.form.setSelected(Option::Option1, options.at(0).get<bool>());
    s.form.setSelected(Option::Option2, options.at(1).get<bool>());
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

// Field n (1 to 24 for Text1 to Text24) gets the UTF-8 text of `length` bytes at `text`.
EMSCRIPTEN_KEEPALIVE void brimalox_set_text(int field, const char* text, int length) {
    if (validField(field) && length >= 0)
        session().form.setText(static_cast<Field>(field), std::string_view(text, static_cast<std::size_t>(length)));
}

// The text of field n, `brimalox_text_length(n)` bytes of UTF-8 (a typed text may hold a NUL).
EMSCRIPTEN_KEEPALIVE const char* brimalox_text(int field) {
    return validField(field) ? session().form.storedText(static_cast<Field>(field)).data() : "";
}
EMSCRIPTEN_KEEPALIVE int brimalox_text_length(int field) {
    return validField(field) ? static_cast<int>(session().form.storedText(static_cast<Field>(field)).size()) : 0;
}

// Option 1 or 2 on (1) or off (0).
EMSCRIPTEN_KEEPALIVE void brimalox_set_option(int option, int on) {
    if (option == 1 || option == 2)
        session().form.setSelected(option == 1 ? Option::Option1 : Option::Option2, on != 0);
}

// Presses Command1 to Command7: 1 when the click went through, 0 when it failed (see the failure
// texts below), -1 for no such button.
EMSCRIPTEN_KEEPALIVE int brimalox_press(int button) {
    if (button < 1 || button > 7) return -1;
    Session& s = session();
    const ClickOutcome outcome = press(static_cast<Button>(button), s.form, s.shared);
    s.shown = s.form.takeShown();
    s.family = outcome.family();
    s.kind = outcome.kind();
    s.message = outcome.message();
    return outcome.ok() ? 1 : 0;
}

// The last click's failure: family ("conversion"), kind ("type mismatch") and the message the
// desktop shows; empty strings after a click that went through.
EMSCRIPTEN_KEEPALIVE const char* brimalox_failure_family() { return session().family.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* brimalox_failure_kind() { return session().kind.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* brimalox_failure_message() { return session().message.c_str(); }

// The design road as a user's clicks take it, on the window as the page last handed it over:
// frequency typed, ACCEPT, the conductor typed into the field of `unit` (0 none, 1 AWG, 2 inch, 3 mm)
// and the CHANGE below it, the option of `sides` (3, 4, any other: neither), COMPUTE. Returns 0 when
// every click went through, else the number of the button whose click failed, with its failure as
// after brimalox_press. The texts and options are then those the road left.
EMSCRIPTEN_KEEPALIVE int brimalox_design(const char* frequency, int frequencyLength, int sides, int unit,
                                         const char* conductor, int conductorLength) {
    Session& s = session();
    static constexpr std::array<ConductorUnit, 4> kUnits{ConductorUnit::None, ConductorUnit::Awg, ConductorUnit::Inch,
                                                         ConductorUnit::Millimetre};
    DesignRequest request{std::string(frequency, static_cast<std::size_t>(std::max(frequencyLength, 0))),
                          sides,
                          {kUnits[static_cast<std::size_t>(unit >= 0 && unit <= 3 ? unit : 0)],
                           std::string(conductor, static_cast<std::size_t>(std::max(conductorLength, 0)))}};
    const DesignResult result = runDesign(request, s.form, s.shared, [&s](std::optional<Option> option) {
        s.form.setSelected(Option::Option1, option == Option::Option1);
        s.form.setSelected(Option::Option2, option == Option::Option2);
    });
    s.shown = s.form.takeShown();
    s.family = result.failure ? std::string(result.failure->family()) : "";
    s.kind = result.failure ? std::string(result.failure->kind()) : "";
    s.message = result.failure ? result.failure->message() : "";
    s.recommendedMm = result.recommendedMm;
    return result.failure ? static_cast<int>(result.failure->button) : 0;
}

// The millimetres ACCEPT proposed in the last design road.
EMSCRIPTEN_KEEPALIVE const char* brimalox_design_recommended_mm() { return session().recommendedMm.c_str(); }

// Option 1 or 2 as the window holds it now: 1 selected, 0 not.
EMSCRIPTEN_KEEPALIVE int brimalox_option(int option) {
    return option == 1 || option == 2 ? session().form.selected(option == 1 ? Option::Option1 : Option::Option2) : 0;
}

// The value fields, in the window's order, one a line: field number, key, caption, unit and for a
// conductor's field the button of its CHANGE, separated by tabs (the core's design record, which the page keeps no copy of).
EMSCRIPTEN_KEEPALIVE const char* brimalox_value_fields() {
    static const std::string table = [] {
        std::string out;
        for (const ValueField& value : kValueFields) {
            out += std::to_string(static_cast<int>(value.field));
            for (std::string_view part : {value.key, value.caption, value.unit})
                out.append("\t").append(part);
            // A conductor's field: the CHANGE below it.
            for (ConductorUnit unit : {ConductorUnit::Awg, ConductorUnit::Inch, ConductorUnit::Millimetre})
                if (conductorField(unit) == value.field) out.append("\t").append(buttonName(conductorButton(unit)));
            out += '\n';
        }
        return out;
    }();
    return table.c_str();
}

// The dialog the last click asked for: 0 none, 1 the notes window, 2 the website window.
EMSCRIPTEN_KEEPALIVE int brimalox_shown_window() { return session().shown; }

// The build sheet of the window as the request's texts and options show it (they become the
// module's, as for a click), JSON in: {"texts": [24 texts], "options": [Option1, Option2], "paper": "a4"
// or "letter", "date": YYYY-MM-DD, "model": the check's sheetModel or null, "remark": said below the
// model's figures, "allowance": the joint allowance as typed, "built": {"heightMm", "sideMm", "gapMm"}
// of a trimmed design's built antenna or null, "feed": the check's feed (as in sheetModel) or null}.
// JSON out, valid until the next call: {"ok": true, "svg", "csv" (the cut list), "json" (the whole
// sheet)}, each as `brimalox-cli sheet --format` writes it, or {"ok": false, "message"} saying why
// there is none. The recommended minimum is what ACCEPT proposes for the frequency field; everything
// else is the fields' texts as they are.
EMSCRIPTEN_KEEPALIVE const char* brimalox_sheet(const char* requestJson) {
    Session& s = session();
    json out;
    try {
        out = sheetAnswer(s, readRequest(requestJson));
    } catch (const std::exception& e) {  // a request the page never makes
        out = {{"ok", false}, {"message", std::string("No build sheet: the request could not be read: ") + e.what()}};
    }
    s.sheet = out.dump();
    return s.sheet.c_str();
}

}  // extern "C"
