#pragma once
// Numbers as the model's deck, reports and charts and the build sheet write them, locale-free: the
// shortest texts a deck needs, and each kind of figure to what the model is good for (MHz to 0.1,
// SWR to 2 places, angles to 0.1 degree), the same in every report.

#include <string>

namespace brimalox {

// Shortest text that reads back as exactly the same double: frequencies the deck and the report share.
std::string exactText(double value);
// Shortest text for a number with at most `digits` significant digits.
std::string numberText(double value, int digits = 7);
// Text with exactly `decimals` places; a small negative that rounds to zero loses its sign.
std::string fixedText(double value, int decimals);

std::string mhzFigure(double mhz);          // "153.1"
std::string swrFigure(double swr);          // "1.56", or "infinite" where the load takes no power
std::string degreesFigure(double degrees);  // "1.4"

}  // namespace brimalox
