#pragma once
// One antenna design, done exactly as a user does it in the window: type the frequency, ACCEPT,
// optionally type a conductor and click the CHANGE below it, pick the sides, COMPUTE. Every text in
// the result is the text a field of a fresh window would show at that point.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/buttons.h"
#include "numtext/form.h"
#include "numtext/mod1.h"

namespace brimalox {

enum class ConductorUnit { None, Awg, Inch, Millimetre };

struct ConductorChoice {
    ConductorUnit unit = ConductorUnit::None;
    std::string text;
};

struct DesignRequest {
    std::string frequencyText;  // typed into Text2 as is
    int sides = 3;              // 3 selects Option1, 4 selects Option2
    ConductorChoice conductor;  // typed into Text4/Text6/Text8 and the CHANGE below it clicked
};

// A design as the window's twelve value fields show it, and the form picked.
struct DesignTexts {
    int sides = 3;
    std::string frequency;      // Text2 as typed
    std::string mm, inch, awg;  // conductor used (after CHANGE)
    std::string heightMm, heightInch, sideMm, sideInch, gapMm, gapInch, matchMm, matchInch;
};

// The start of a saved file's name for the design, as every front-end names its files:
// "146MHz-3sided", or "design-3sided" where the frequency field holds no number.
std::string fileStem(const DesignTexts& design);

// The value fields, in the window's order: which box, the key that names it in every JSON and CSV
// (and on the page's box, as data-key), the caption of its group and its unit, and where a design
// keeps it.
struct ValueField {
    Field field;
    std::string_view key;      // "height_mm"
    std::string_view caption;  // "HEIGHT"
    std::string_view unit;     // "mm"
    std::string DesignTexts::*text;
};
inline constexpr std::array<ValueField, 12> kValueFields{{
    {Field::Text2, "frequency", "FREQUENCY", "MHz", &DesignTexts::frequency},
    {Field::Text4, "conductor_awg", "CONDUCTOR USED", "AWG", &DesignTexts::awg},
    {Field::Text6, "conductor_inch", "CONDUCTOR USED", "inch", &DesignTexts::inch},
    {Field::Text8, "conductor_mm", "CONDUCTOR USED", "mm", &DesignTexts::mm},
    {Field::Text11, "height_inch", "HEIGHT", "inch", &DesignTexts::heightInch},
    {Field::Text13, "height_mm", "HEIGHT", "mm", &DesignTexts::heightMm},
    {Field::Text16, "side_inch", "SIDE", "inch", &DesignTexts::sideInch},
    {Field::Text17, "side_mm", "SIDE", "mm", &DesignTexts::sideMm},
    {Field::Text19, "gap_inch", "GAP", "inch", &DesignTexts::gapInch},
    {Field::Text20, "gap_mm", "GAP", "mm", &DesignTexts::gapMm},
    {Field::Text22, "match_inch", "300 OHM MATCH", "inch", &DesignTexts::matchInch},
    {Field::Text23, "match_mm", "300 OHM MATCH", "mm", &DesignTexts::matchMm},
}};
// The entry of a value field; nullptr for a label box.
const ValueField* valueField(Field field);

struct DesignResult : DesignTexts {
    std::string recommendedMm, recommendedInch, recommendedAwg;  // after ACCEPT
    std::optional<ClickOutcome> failure;                         // the first failed click, if any
};

// ACCEPT, optional CHANGE, option button, COMPUTE on a fresh MemoryForm: the window's exact texts.
// The result's sides are 4 when the request asks for four, else 3 (THREE SIDED is selected).
// The design stops at the first failed click; the texts are then those the fields hold at that point.
DesignResult runDesign(const DesignRequest& request);

// The same road on a window as it stands, the page's own: its texts, its option buttons and the values
// its clicks share stay as the road leaves them, exactly as if a user had clicked. select(option) sets
// the option buttons, nullopt clearing both: sides other than 3 or 4 select neither, and COMPUTE then
// does what it does with no form chosen (the result's sides are then 0).
DesignResult runDesign(const DesignRequest& request, Form& form, Mod1& shared,
                       const std::function<void(std::optional<Option>)>& select);

// What a window shows: its value fields' texts and its form (sides 0 when neither option is selected).
DesignTexts shownDesign(const Form& form);

// The field a conductor is typed into and the CHANGE button below it.
Field conductorField(ConductorUnit unit);
Button conductorButton(ConductorUnit unit);

}  // namespace brimalox
