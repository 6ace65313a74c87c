#include "nec/deck.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace brimalox::nec {
namespace {

// 0.8 to 1.4 times the design frequency in steps of 0.01 times it.
constexpr double kSweepLow = 0.8;
constexpr double kSweepHigh = 1.4;
constexpr double kSweepStep = 0.01;

std::string oneLine(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

// nec2c reads a card into a fixed buffer: a long comment is split after a comma or semicolon (or
// at a blank) into cards of at most this many characters.
constexpr std::size_t kCommentWidth = 100;

std::vector<std::string> wrapped(std::string text) {
    std::vector<std::string> lines;
    while (text.size() > kCommentWidth) {
        std::size_t cut = std::string::npos;
        for (std::size_t i = kCommentWidth; i > kCommentWidth / 2 && cut == std::string::npos; --i)
            if (text[i] == ' ' && (text[i - 1] == ',' || text[i - 1] == ';')) cut = i;
        if (cut == std::string::npos) cut = text.rfind(' ', kCommentWidth);
        if (cut == std::string::npos || cut == 0) break;
        lines.push_back(text.substr(0, cut));
        text = text.substr(cut + 1);
    }
    lines.push_back(text);
    return lines;
}

std::string tagList(const Model& model) {
    std::string list;
    for (const Source& source : model.sources) {
        if (!list.empty()) list += ", ";
        list += std::to_string(source.tag);
    }
    return list;
}

}  // namespace

std::string numberText(double value, int digits) {
    if (value == 0) return "0";  // also turns -0 into 0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return std::string(buffer, result.ptr);
}

std::string fixedText(double value, int decimals) {
    char buffer[400];  // any double in fixed form with a few places
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
    std::string text(buffer, end);
    return text == "-0" ? "0" : text;
}

Sweep defaultSweep(double designMhz) {
    // Scaled by whole numbers, so that 146 MHz starts at the double nearest 116.8, not one below it.
    return {designMhz * 8 / 10, designMhz / 100,
            static_cast<int>(std::lround((kSweepHigh - kSweepLow) / kSweepStep)) + 1};
}

Sweep makeSweep(double fromMhz, double toMhz, double stepMhz, const SweepNames& names) {
    const std::pair<const std::string*, double> values[]{{&names.from, fromMhz}, {&names.to, toMhz}, {&names.step, stepMhz}};
    for (const auto& [name, value] : values) {
        if (std::isnan(value)) throw std::invalid_argument(*name + " is not a number");
        if (std::isinf(value)) throw std::invalid_argument(*name + " is too large to compute");
        if (value <= 0)
            throw std::invalid_argument(*name + " " + numberText(value) + " MHz is not a positive frequency");
    }
    if (toMhz < fromMhz)
        throw std::invalid_argument(names.to + " " + numberText(toMhz) + " MHz is below " + names.from + " " +
                                    numberText(fromMhz) + " MHz: the sweep must end at or above where it starts");
    const double steps = std::floor((toMhz - fromMhz) / stepMhz + 1e-9);
    if (steps + 1 > kMaxSweepPoints)
        throw std::invalid_argument(names.from + " " + numberText(fromMhz) + " " + names.to + " " + numberText(toMhz) +
                                    " " + names.step + " " + numberText(stepMhz) + " makes " + numberText(steps + 1, 6) +
                                    " points; a sweep takes at most " + std::to_string(kMaxSweepPoints));
    return {fromMhz, stepMhz, static_cast<int>(steps) + 1};
}

double highestFrequency(const Sweep& sweep, double designMhz) {
    return std::max(sweep.toMhz(), designMhz);
}

std::vector<double> sweepFrequencies(const Sweep& sweep) {
    std::vector<double> mhz;
    for (int i = 0; i < sweep.count; ++i) mhz.push_back(sweep.fromMhz + i * sweep.stepMhz);
    return mhz;
}

std::string exactText(double value) {
    if (value == 0) return "0";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string writeDeck(const Model& model, const Sweep& sweep, double designMhz,
                      const std::vector<std::string>& comments) {
    DeckPlan plan;
    plan.sweep = sweep;
    plan.designMhz = designMhz;
    plan.patternMhz = {designMhz};
    return writeDeck(model, plan, comments);
}

std::string writeDeck(const Model& model, const DeckPlan& plan, const std::vector<std::string>& comments) {
    std::string deck;
    auto card = [&deck](std::string line) { deck += line + "\n"; };
    auto comment = [&card](const std::string& text) {
        for (const std::string& line : wrapped(oneLine(text))) card("CM " + line);
    };
    for (const std::string& text : comments) comment(text);
    card("CM generated by brimalox-cli " BRIMALOX_VERSION);
    const Ground& ground = plan.ground;
    std::string where = "free space";
    if (ground.kind == GroundKind::Perfect) where = "over perfect ground";
    if (ground.kind == GroundKind::Real)
        where = "over " + ground.name + " ground (relative permittivity " + numberText(ground.permittivity) +
                ", conductivity " + numberText(ground.conductivity) + " S/m, Sommerfeld-Norton)";
    if (ground.kind != GroundKind::Free) where += ", lowest point " + numberText(ground.heightM) + " m above it";
    comment(where + ", metres; each gap is bridged by a feed wire (tags " + tagList(model) +
            ") with a 1 V source on its middle segment, all in phase");
    card("CE");
    for (const Wire& w : model.wires) {
        std::string line = "GW " + std::to_string(w.tag) + " " + std::to_string(w.segments);
        for (double v : {w.from[0], w.from[1], w.from[2], w.to[0], w.to[1], w.to[2]}) line += " " + numberText(v, 10);
        line += " " + numberText(w.radius);
        card(line);
    }
    // GE 1: a ground plane below; no wire touches it.
    card(ground.kind == GroundKind::Free ? "GE 0" : "GE 1");
    if (ground.kind == GroundKind::Perfect) card("GN 1");
    // GN 2: the Sommerfeld-Norton model of a real ground, valid close to it, with its constants.
    if (ground.kind == GroundKind::Real)
        card("GN 2 0 0 0 " + exactText(ground.permittivity) + " " + exactText(ground.conductivity));
    card("PT -1 0 0 0");  // no current tables: the output stays short
    for (const Source& s : model.sources)
        card("EX 0 " + std::to_string(s.tag) + " " + std::to_string(s.segment) + " 0 1 0");
    if (plan.sweep.count > 0) {
        card("FR 0 " + std::to_string(plan.sweep.count) + " 0 0 " + exactText(plan.sweep.fromMhz) + " " +
             exactText(plan.sweep.stepMhz));
        card("XQ");
    }
    const int thetas = (ground.kind == GroundKind::Free ? 180 : 90) / kPatternStepDeg + 1;
    const int phis = 360 / kPatternStepDeg;
    const std::string step = std::to_string(kPatternStepDeg);
    const std::string fine = std::to_string(kFinePatternStepDeg);
    for (double mhz : plan.patternMhz) {
        card("FR 0 1 0 0 " + exactText(mhz) + " 0");
        // XNDA 1001: the power gains, and their average over the grid.
        card("RP 0 " + std::to_string(thetas) + " " + std::to_string(phis) + " 1001 0 0 " + step + " " + step);
        card("RP 0 " + std::to_string(90 / kFinePatternStepDeg + 1) + " " + std::to_string(phis) + " 1000 0 0 " +
             fine + " " + step);
    }
    card("EN");
    return deck;
}

}  // namespace brimalox::nec
