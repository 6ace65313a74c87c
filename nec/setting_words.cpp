#include "nec/setting_words.h"

#include <cmath>

#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::nec {

double numberSetting(const std::string& text, const std::string& name) {
    const Parsed<double> parsed = parseDouble(text);
    if (parsed.error == ParseError::Overflow || (parsed.ok() && !std::isfinite(parsed.value)))
        throw Refused(name + " " + text + " is too large to compute");
    if (!parsed.ok()) throw Refused(name + " needs a number, not \"" + text + "\"");
    return parsed.value;
}

double positiveSetting(const std::string& text, const std::string& name) {
    const double value = numberSetting(text, name);
    if (!(value > 0)) throw Refused(name + " needs a positive number, not \"" + text + "\"");
    return value;
}

std::string rangeText(const Range& range) {
    return numberText(range.from) + " to " + numberText(range.to) +
           (*range.unit ? std::string(" ") + range.unit : std::string());
}

}  // namespace brimalox::nec
