#include "numtext/figures.h"

#include <cmath>

#include <fmt/compile.h>
#include <fmt/format.h>

namespace brimalox {

std::string exactText(double value) {
    if (value == 0) return "0";
    return fmt::format(FMT_COMPILE("{}"), value);
}

std::string numberText(double value, int digits) {
    if (value == 0) return "0";  // also turns -0 into 0
    return fmt::format(FMT_COMPILE("{:.{}g}"), value, digits);
}

std::string fixedText(double value, int decimals) {
    std::string text = fmt::format(FMT_COMPILE("{:.{}f}"), value, decimals);
    // A small negative rounded to zero ("-0.00") would read as a sign that is not there.
    if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
    return text;
}

std::string mhzFigure(double mhz) { return fixedText(mhz, 1); }

std::string swrFigure(double swr) { return std::isfinite(swr) ? fixedText(swr, 2) : "infinite"; }

std::string degreesFigure(double degrees) { return fixedText(degrees, 1); }

}  // namespace brimalox
