#include "numtext/xml_text.h"

#include "numtext/figures.h"

namespace brimalox {

std::string xmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string svgNumber(double value) { return fixedText(value, 1); }

}  // namespace brimalox
