// The core's buttons for a browser page: plain C exports over one window held in the module, so
// the module carries no binding library. The page writes every field text and both option states,
// presses a button, and reads the texts back with the click's outcome. The shared values (the side
// length that a later COMPUTE shows again) stay in the module from click to click, as in the window.

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/buttons.h"
#include "app/layout.h"
#include "app/road.h"
#include "numtext/fields.h"
#include "numtext/form.h"
#include "numtext/mod1.h"
#include "numtext/numtext.h"
#include "numtext/split_text.h"
#include "sheet/build_sheet.h"
#include "sheet/model_figures.h"
#include "sheet/sheet_svg.h"

namespace {

using namespace brimalox;

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
    std::string sheet;                         // the last build sheet's SVG, or what kept it from being made
    std::optional<sheet::ModelFigures> model;  // the model check's figures for the next sheet
    std::string remark;                        // and what it says below them
    std::string extra;                         // the next sheet's extras, see brimalox_sheet_extra()
};

Session& session() {
    static Session s;
    return s;
}

bool validField(int field) { return field >= 1 && field <= kFieldCount; }

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

// The figures of a model check of the design, for the next build sheet; count 0: none. numbers:
// the design frequency, SWR there, lowest SWR and its frequency, maximum gain, take-off angle, feed
// line impedance, height (NaN in free space), then each stretch below 2:1 as from and to.
EMSCRIPTEN_KEEPALIVE void brimalox_sheet_model(const double* numbers, int count, const char* ground, int length) {
    Session& s = session();
    s.model.reset();
    if (count < 8) return;
    sheet::ModelFigures m;
    m.designMhz = numbers[0];
    m.swrAtDesign = numbers[1];
    m.lowestSwr = numbers[2];
    m.lowestSwrMhz = numbers[3];
    m.maxGainDbi = numbers[4];
    m.takeoffDeg = numbers[5];
    m.z0Ohms = numbers[6];
    if (!std::isnan(numbers[7])) m.heightMetres = numbers[7];
    for (int i = 8; i + 1 < count; i += 2)
        m.belowTwo.push_back({numbers[i], numbers[i + 1]});
    m.ground.assign(ground, static_cast<std::size_t>(length));
    s.model = std::move(m);
}

// What the next build sheet says below the model check (UTF-8, `length` bytes).
EMSCRIPTEN_KEEPALIVE void brimalox_sheet_remark(const char* text, int length) {
    session().remark.assign(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

// What the next build sheet carries besides the design, tab-separated (UTF-8, `length` bytes): the
// joint allowance as typed, the plane the model check's SWR is at ("" at a gap), the SWR there with
// every line alike and with one reversed ("" without), for a trimmed design the built design's
// height, side and gap in mm ("" for none), and the check's feed: lines, line Z0, VF and metres,
// section Z0, VF and metres, balun, coax Z0, VF and metres, rig (all "" without a feed, a piece's
// three "" without it).
EMSCRIPTEN_KEEPALIVE void brimalox_sheet_extra(const char* text, int length) {
    session().extra.assign(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

// The build sheet of what the window shows now: 1 with its SVG in brimalox_sheet_text(), 0 with the
// reason there is none. paper 0 is A4, 1 Letter; the date is YYYY-MM-DD. The recommended minimum is
// what ACCEPT proposes for the frequency field; everything else is the fields' texts as they are.
EMSCRIPTEN_KEEPALIVE int brimalox_sheet(int paper, const char* date, int length) {
    Session& s = session();
    std::vector<std::string> extra = splitText(s.extra, '\t');
    extra.resize(19);
    sheet::SheetAdditions additions;
    try {
        additions.jointAllowanceMm = sheet::readJointAllowance(extra[0].empty() ? "0" : extra[0], "JOINT ALLOWANCE");
    } catch (const std::invalid_argument& e) {
        s.sheet = std::string("No build sheet: ") + e.what() + ".";
        return 0;
    }
    std::optional<sheet::ModelFigures> model = s.model;
    if (model && !extra[1].empty()) model->plane = extra[1];
    if (model && !extra[2].empty() && !extra[3].empty())
        model->reversedSwr = {{parseDouble(extra[2]).value, parseDouble(extra[3]).value}};
    if (!extra[4].empty()) {
        DesignTexts built;
        built.heightMm = extra[4];
        built.sideMm = extra[5];
        built.gapMm = extra[6];
        additions.builtDesign = built;
    }
    if (model && !extra[7].empty()) {  // the check's feed, its pieces listed
        const auto number = [&](std::size_t i) { return parseDouble(extra[i]).value; };
        const auto line = [&](std::size_t i) {
            return extra[i].empty() ? std::nullopt
                                    : std::optional(sheet::FeedLine{number(i), number(i + 1), number(i + 2)});
        };
        sheet::FeedFigures f;
        f.lines = static_cast<int>(number(7));
        f.line = {number(8), number(9), number(10)};
        f.section = line(11);
        f.balun = number(14);
        f.coax = line(15);
        f.rigZ0 = number(18);
        additions.feed = f;
    }
    auto made =
        sheet::shownSheet(shownDesign(s.form), length > 0 ? std::string(date, static_cast<std::size_t>(length)) : "",
                          model, s.remark, additions);
    if (auto* problem = std::get_if<std::string>(&made)) {
        s.sheet = std::move(*problem);
        return 0;
    }
    s.sheet = sheet::sheetSvg(std::get<sheet::BuildSheet>(made), paper == 1 ? sheet::Paper::Letter : sheet::Paper::A4);
    return 1;
}
EMSCRIPTEN_KEEPALIVE const char* brimalox_sheet_text() { return session().sheet.c_str(); }

}  // extern "C"
