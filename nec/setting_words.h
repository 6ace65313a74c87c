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

// How a front-end calls each setting in a refusal ("--height" on the command line); made, the page's
// words (nec/setting_fields.h holds every front-end's words for them).
struct SettingNames : SweepNames {
    SettingNames();
    std::string ground, groundConstants, height;
    std::string patternAt, z0, heights;
    std::string feedLine, feedLoss, feedSection, balun;
    std::string coax, rigZ0, at;
    std::string insulation;
};

// How a front-end calls the measurement in a refusal.
struct TrimNames : SettingNames {
    std::string measuredFile = "measured file", measuredEdges = "measured 2:1 edges", measuredDip = "measured dip";
    std::string builtSide = "built side", builtHeight = "built height";
};

// What a real feed can have: beyond these the figures mean nothing (a loss of a million dB turns
// every impedance into nan), so each is refused with its range.
struct Range {
    double from, to;
    const char* unit;
    const char* why;
};
inline constexpr Range kZ0Range{10, 1000, "ohms", "lines and coax are from about 25 to 600 ohms"};
inline constexpr Range kLineMmRange{0, 100000, "mm", "the lines from the gaps and the section are at most 100 m"};
inline constexpr Range kCoaxMRange{0, 300, "m", "coax to the rig is at most 300 m here"};
inline constexpr Range kLossRange{0, 100, "dB per 100 m",
                                  "the lossiest thin coax loses about 30 dB per 100 m at 100 MHz"};
inline constexpr Range kBalunRange{0.25, 16, "", "baluns are from 1:4 (0.25) to 16:1"};
inline constexpr Range kRigZ0Range{10, 600, "ohms", "rigs and analysers are mostly 50 ohms, some 75"};

// "0.25 to 16" and the unit, as a refusal and the help write a range.
std::string rangeText(const Range& range);

// A number typed into a setting, read by the same rule as a field: a number, finite.
double numberSetting(const std::string& text, const std::string& name);
// ... and above 0.
double positiveSetting(const std::string& text, const std::string& name);

}  // namespace brimalox::nec
