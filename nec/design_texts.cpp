#include "nec/design_texts.h"

#include <stdexcept>

#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

double number(const std::string& text, const char* what) {
    const Parsed<double> parsed = parseDouble(text);
    if (!parsed.ok()) throw std::invalid_argument(std::string("the ") + what + " \"" + text + "\" is not a number");
    return parsed.value;
}

}  // namespace

std::string sidesCaption(int sides) { return sides == 4 ? "FOUR SIDED" : "THREE SIDED"; }

std::vector<std::string> deckComments(const DesignTexts& d) {
    return {
        "BRIMALOX antenna, " + sidesCaption(d.sides) + ", design frequency " + d.frequency + " MHz",
        "conductor " + d.mm + " mm, " + d.inch + " inch, AWG " + d.awg,
        "height " + d.heightMm + " mm (" + d.heightInch + " inch), side " + d.sideMm + " mm (" + d.sideInch + " inch)",
        "gap " + d.gapMm + " mm (" + d.gapInch + " inch), 300 ohm series match " + d.matchMm + " mm (" +
            d.matchInch + " inch)",
    };
}

NecGeometry geometryFromTexts(const DesignTexts& d) {
    NecGeometry g;
    g.sides = d.sides;
    g.designMhz = number(d.frequency, "frequency");
    g.conductorMm = number(d.mm, "conductor diameter in millimetres");
    g.heightMm = number(d.heightMm, "height in millimetres");
    g.sideMm = number(d.sideMm, "side length in millimetres");
    g.gapMm = number(d.gapMm, "gap length in millimetres");
    return g;
}

}  // namespace brimalox::nec
