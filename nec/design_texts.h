#pragma once
// A computed design as the window shows it (texts), and the numbers the model is built from.

#include <string>
#include <vector>

#include "app/road.h"
#include "nec/geometry.h"

namespace brimalox::nec {

struct DesignTexts {
    int sides = 3;
    std::string frequency;      // as typed
    std::string mm, inch, awg;  // conductor used
    std::string heightMm, heightInch, sideMm, sideInch, gapMm, gapInch, matchMm, matchInch;
};

// The texts of a finished design.
DesignTexts designTexts(const DesignResult& result, int sides);

// "THREE SIDED" or "FOUR SIDED", the option button's caption.
std::string sidesCaption(int sides);

// The design in words, one CM card each.
std::vector<std::string> deckComments(const DesignTexts& design);

// The shown texts read back as numbers. Throws std::invalid_argument naming a field whose text is
// not a number.
NecGeometry geometryFromTexts(const DesignTexts& design);

}  // namespace brimalox::nec
