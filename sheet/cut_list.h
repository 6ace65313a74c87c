#pragma once
// What a builder cuts, from the texts the window shows after COMPUTE: every length the window shows
// is its field's text exactly; a length the window does not show (half a vertical, the total) is
// worked out from those texts and says how. Each length also for a tape measure in feet, inches
// and sixteenths.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/road.h"

namespace brimalox::sheet {

struct Length {
    std::string mm;          // a field's text, or the exact value worked out from field texts
    std::string inch;        // a field's text, or the worked-out value to 3 places
    std::string tape;        // feet, inches and sixteenths, e.g. "2 ft 4 5/16 in"
    std::string derivation;  // empty for a field's text; else how it was worked out
};

struct CutPiece {
    std::string name;
    int count = 0;
    Length length;
    std::string note;       // what the piece is, when the name alone does not say
    std::string insulated;  // the length in insulated wire, when a coat was modelled
    std::string trim;       // on a trimmed design's sheet: what to cut from the piece as built
    Length cut;             // with a joint allowance: the length to cut, the allowance added (else empty)
};

struct CutList {
    int sides = 3;
    Length height, side, gap, match;  // the window's four rows
    Length halfVertical, total;       // worked out from them
    // Sides (top and bottom), vertical halves, feed gaps, series match: in cutting order.
    std::vector<CutPiece> pieces;
    std::string totalInsulated;  // the total in insulated wire, when a coat was modelled
    Length totalCut;             // with a joint allowance: the total to cut
};

// A row of the cut list as every format prints it: the pieces, then the total, whose count is empty.
struct CutRow {
    std::string name, count;
    const Length* length;
    std::string note;
    const Length* cut = nullptr;  // with a joint allowance: what to cut, the allowance added
    std::string how() const {
        const std::string design = cut ? cut->derivation + "; " : "";
        return design + (length->derivation.empty() ? note : length->derivation + ", " + note);
    }
    // What a builder cuts: with a joint allowance the allowance added, else the design's length.
    const Length& toCut() const { return cut ? *cut : *length; }
};
std::vector<CutRow> cutRows(const CutList& cuts);

// The cut list of a computed design, or what is wrong with its texts (a field that holds no number,
// as after a failed COMPUTE), in words for the user.
std::variant<CutList, std::string> makeCutList(const DesignResult& design, int sides);

// The allowance added to each piece of wire or line (not to a gap, which is no piece), and to the
// total; 0 leaves the list as it is.
void addJointAllowance(CutList& cuts, double mm);

// A length in inches to the nearest sixteenth (ties away from zero), the fraction in lowest terms,
// carried into whole inches and feet: 11.97 is "1 ft 0 in", 0.5 "1/2 in", 14.3 "1 ft 2 5/16 in".
// Empty for a length too large to be told in sixteenths, or not finite.
std::string tapeText(double inches);

// A decimal text without exponent rounded to `places` places, ties away from zero, trailing zeros
// and a bare point dropped ("13.9485" to 3 places is "13.949", "2.1004" is "2.1").
std::string roundedDecimal(std::string_view fixed, int places);

}  // namespace brimalox::sheet
