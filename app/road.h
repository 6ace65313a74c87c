#pragma once
// One antenna design, done exactly as a user does it in the window: type the frequency, ACCEPT,
// optionally type a conductor and click the CHANGE below it, pick the sides, COMPUTE. Every text in
// the result is the text a field of a fresh window would show at that point.

#include <optional>
#include <string>

#include "app/buttons.h"
#include "numtext/form.h"

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

struct DesignResult {
    std::string frequency;                                       // Text2 as typed
    std::string recommendedMm, recommendedInch, recommendedAwg;  // after ACCEPT
    std::string mm, inch, awg;                                   // conductor used (after CHANGE)
    std::string heightMm, heightInch, sideMm, sideInch, gapMm, gapInch, matchMm, matchInch;
    std::optional<ClickOutcome> failure;  // the first failed click, if any
};

// ACCEPT, optional CHANGE, option button, COMPUTE on a fresh MemoryForm: the window's exact texts.
// The design stops at the first failed click; the texts are then those the fields hold at that point.
DesignResult runDesign(const DesignRequest& request);

// The field a conductor is typed into and the CHANGE button below it.
Field conductorField(ConductorUnit unit);
Button conductorButton(ConductorUnit unit);

}  // namespace brimalox
