#include "nec/request.h"

#include <algorithm>
#include <cmath>

#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr int kMaxHeights = 200;

std::string classNames() {
    std::string names;
    for (const GroundClass& c : groundClasses())
        names += std::string(names.empty() ? "" : ", ") + c.name;
    return names;
}

Ground groundOf(const Settings& s, const SettingNames& n) {
    Ground ground;
    const bool named = !s.ground.empty() && s.ground != "free";
    if (!s.groundConstants.empty()) {
        if (named)
            throw Refused(n.ground + " " + s.ground + " and " + n.groundConstants +
                          " both choose the ground: give one");
        const auto comma = s.groundConstants.find(',');
        if (comma == std::string::npos)
            throw Refused(n.groundConstants + " needs EPSR,SIGMA (relative permittivity, conductivity in S/m), not \"" +
                          s.groundConstants + "\"");
        ground.kind = GroundKind::Real;
        ground.name = "custom";
        ground.permittivity = numberSetting(s.groundConstants.substr(0, comma), n.groundConstants + "' permittivity");
        ground.conductivity = numberSetting(s.groundConstants.substr(comma + 1), n.groundConstants + "' conductivity");
        if (ground.permittivity < 1)
            throw Refused(n.groundConstants + "' permittivity " + numberText(ground.permittivity) +
                          " is below 1, that of empty space: a ground's is 1 or more");
        if (ground.conductivity < 0)
            throw Refused(n.groundConstants + "' conductivity " + numberText(ground.conductivity) +
                          " S/m is negative: it is 0 or more");
        return ground;
    }
    if (!named) return ground;
    if (s.ground == "perfect") {
        ground.kind = GroundKind::Perfect;
        ground.name = "perfect";
        return ground;
    }
    const auto& classes = groundClasses();
    const auto found =
        std::find_if(classes.begin(), classes.end(), [&](const GroundClass& c) { return s.ground == c.name; });
    if (found == classes.end())
        throw Refused(n.ground + " \"" + s.ground + "\" is not a ground this knows: free, perfect, " + classNames() +
                      ", or " + n.groundConstants + " EPSR,SIGMA for any other");
    ground.kind = GroundKind::Real;
    ground.name = found->name;
    ground.permittivity = found->permittivity;
    ground.conductivity = found->conductivity;
    return ground;
}

}  // namespace

const std::vector<GroundClass>& groundClasses() {
    static const std::vector<GroundClass> classes{
        {"very-good", 20, 0.0303, "pastoral, low hills, rich soil, as from Dallas to Lincoln"},
        {"good", 14, 0.01, "pastoral, low hills, rich soil, as in Ohio and Illinois"},
        {"average", 13, 0.005, "pastoral, medium hills and forest, heavy clay soil"},
        {"poor", 13, 0.002, "rocky soil, steep hills"},
        {"very-poor", 5, 0.001, "cities, industrial areas"},
        {"fresh-water", 80, 0.001, "lakes and rivers"},
        {"sea-water", 81, 5, "the sea"},
    };
    return classes;
}

std::string groundClassesText() {
    std::string text;
    for (const GroundClass& c : groundClasses())
        text += std::string(text.empty() ? "" : "\n") + c.name + ": permittivity " + numberText(c.permittivity) +
                ", conductivity " + numberText(c.conductivity) + " S/m (" + c.description + ")";
    return text;
}

Ground readGround(const Settings& s, const SettingNames& n) {
    Ground ground = groundOf(s, n);
    if (ground.kind == GroundKind::Free) {
        if (!s.height.empty())
            throw Refused(n.height + " " + s.height + " needs a ground: free space has no height (choose " + n.ground +
                          " perfect, a ground class or " + n.groundConstants + ")");
        return ground;
    }
    if (s.height.empty())
        throw Refused(n.ground + " " + ground.name + " needs " + n.height +
                      ", the height in metres of the antenna's lowest point above the ground");
    ground.heightM = numberSetting(s.height, n.height);
    if (!(ground.heightM > 0))
        throw Refused(n.height + " " + s.height +
                      " puts the antenna on or in the ground: it must be above it (metres, more than 0)");
    return ground;
}

Sweep readSweep(const Settings& s, const SettingNames& n, double designMhz) {
    const Sweep standard = defaultSweep(designMhz);
    if (s.from.empty() && s.to.empty() && s.step.empty()) return standard;
    try {
        return makeSweep(s.from.empty() ? standard.fromMhz : positiveSetting(s.from, n.from),
                         s.to.empty() ? standard.toMhz() : positiveSetting(s.to, n.to),
                         s.step.empty() ? standard.stepMhz : positiveSetting(s.step, n.step), n);
    } catch (const Refused&) {
        throw;
    } catch (const std::invalid_argument& e) {
        throw Refused(e.what());
    }
}

std::vector<double> readHeights(const std::string& text, const std::string& name) {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? std::string::npos : text.find(':', first + 1);
    if (second == std::string::npos || text.find(':', second + 1) != std::string::npos)
        throw Refused(name + " needs FROM:TO:STEP in metres, such as 2:10:1, not \"" + text + "\"");
    const double from = numberSetting(text.substr(0, first), name + "' FROM");
    const double to = numberSetting(text.substr(first + 1, second - first - 1), name + "' TO");
    const double step = numberSetting(text.substr(second + 1), name + "' STEP");
    if (!(from > 0)) throw Refused(name + "' FROM " + numberText(from) + " m is not above the ground");
    if (to < from) throw Refused(name + "' TO " + numberText(to) + " m is below its FROM " + numberText(from) + " m");
    if (!(step > 0)) throw Refused(name + "' STEP " + numberText(step) + " m is not positive");
    const double steps = std::floor((to - from) / step + 1e-9);
    if (steps + 1 > kMaxHeights)
        throw Refused(name + " " + text + " makes " + numberText(steps + 1, 6) + " heights; at most " +
                      std::to_string(kMaxHeights) + " are run");
    std::vector<double> heights;
    for (int i = 0; i <= static_cast<int>(steps); ++i)
        heights.push_back(from + i * step);
    return heights;
}

}  // namespace brimalox::nec
