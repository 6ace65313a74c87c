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

DesignTexts designTexts(const DesignResult& r, int sides) {
    DesignTexts texts = r;
    texts.sides = sides;
    return texts;
}

std::string sidesCaption(int sides) { return sides == 4 ? "FOUR SIDED" : "THREE SIDED"; }

std::string title(const DesignTexts& d) {
    return "BRIMALOX " + sidesCaption(d.sides) + " for " + d.frequency + " MHz, conductor " + d.mm + " mm";
}

std::vector<std::string> deckComments(const DesignTexts& d) {
    return {
        "BRIMALOX antenna, " + sidesCaption(d.sides) + ", design frequency " + d.frequency + " MHz",
        "conductor " + d.mm + " mm, " + d.inch + " inch, AWG " + d.awg,
        "height " + d.heightMm + " mm (" + d.heightInch + " inch), side " + d.sideMm + " mm (" + d.sideInch + " inch)",
        "gap " + d.gapMm + " mm (" + d.gapInch + " inch), 300 ohm series match " + d.matchMm + " mm (" + d.matchInch +
            " inch)",
    };
}

NecGeometry geometryFromTexts(const DesignTexts& d) {
    NecGeometry g;
    g.sides = d.sides;
    g.designMhz = number(d.frequency, "frequency");
    // A dimension shown as 0 has rounded away: the frequency is too high for the window's places.
    auto length = [&](const std::string& text, const char* what) {
        const double value = number(text, what);
        if (value == 0 && g.designMhz > 0)
            throw std::invalid_argument(std::string("the ") + what + " comes out as \"" + text + "\" at " +
                                        d.frequency +
                                        " MHz: the frequency is too high for dimensions the design can show");
        return value;
    };
    g.conductorMm = length(d.mm, "conductor diameter in millimetres");
    g.heightMm = length(d.heightMm, "height in millimetres");
    g.sideMm = length(d.sideMm, "side length in millimetres");
    g.gapMm = length(d.gapMm, "gap length in millimetres");
    return g;
}

int placesOf(const std::string& text) {
    const std::size_t dot = text.find('.');
    return dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
}

}  // namespace brimalox::nec
