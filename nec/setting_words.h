#pragma once
// The words of the model's settings, at the bottom of nec/ so that every reader of a setting words
// its refusal alike: what each front-end calls each setting, the refusal, and the number rule.

#include <stdexcept>
#include <string>

namespace brimalox::nec {

// A setting the model cannot take, with the reason in the front-end's own names.
class Refused : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// What a front-end calls the sweep's three settings in a refusal.
struct SweepNames {
    std::string from = "from", to = "to", step = "step";
};

// How a front-end calls each setting in a refusal ("--height" on the command line).
struct SettingNames : SweepNames {
    std::string ground = "ground", groundConstants = "ground constants", height = "height";
    std::string patternAt = "pattern at", z0 = "feed line impedance", heights = "heights";
    std::string feedLine = "feed line", feedLoss = "feed loss", feedSection = "feed section", balun = "balun";
    std::string coax = "coax", rigZ0 = "rig reference", at = "plane";
    std::string insulation = "insulation";
};

// How a front-end calls the measurement in a refusal.
struct TrimNames : SettingNames {
    std::string measuredFile = "measured file", measuredEdges = "measured 2:1 edges", measuredDip = "measured dip";
    std::string builtSide = "built side", builtHeight = "built height";
};

// A number typed into a setting, read by the same rule as a field: a number, finite.
double numberSetting(const std::string& text, const std::string& name);
// ... and above 0.
double positiveSetting(const std::string& text, const std::string& name);

}  // namespace brimalox::nec
