#pragma once
// A computed design as the window shows it (texts, the core's DesignTexts), and the numbers the
// model is built from.

#include <string>
#include <vector>

#include "app/road.h"
#include "nec/geometry.h"

namespace brimalox::nec {

using brimalox::DesignTexts;

// The texts of a finished design, of the given form.
DesignTexts designTexts(const DesignResult& result, int sides);

// "THREE SIDED" or "FOUR SIDED", the option button's caption.
std::string sidesCaption(int sides);

// "BRIMALOX THREE SIDED for 146.00 MHz, conductor 1.626 mm": heads every report, chart and file.
std::string title(const DesignTexts& design);

// The design in words, one CM card each.
std::vector<std::string> deckComments(const DesignTexts& design);

// The decimal places of a shown length ("9.67" has 2): a length derived from it is printed alike.
int placesOf(const std::string& text);

// The shown texts read back as numbers. Throws std::invalid_argument naming a field whose text is
// not a number.
NecGeometry geometryFromTexts(const DesignTexts& design);

}  // namespace brimalox::nec
