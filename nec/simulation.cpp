#include "nec/simulation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "nec/output_parser.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr double kLightMetresMhz = 299.792458;
constexpr int kMaxHeights = 200;

double parsedNumber(const std::string& text, const std::string& what) {
    const Parsed<double> parsed = parseDouble(text);
    if (parsed.error == ParseError::Overflow || (parsed.ok() && !std::isfinite(parsed.value)))
        throw std::invalid_argument(what + " " + text + " is too large to compute");
    if (!parsed.ok()) throw std::invalid_argument(what + " needs a number, not \"" + text + "\"");
    return parsed.value;
}

std::string classNames() {
    std::string names;
    for (const GroundClass& c : groundClasses()) names += std::string(names.empty() ? "" : ", ") + c.name;
    return names;
}

}  // namespace

double positiveOption(const std::string& text, const std::string& option) {
    const double value = parsedNumber(text, option);
    if (!(value > 0)) throw std::invalid_argument(option + " needs a positive number, not \"" + text + "\"");
    return value;
}

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

Ground makeGround(const std::string& name, const std::string& constants, const std::string& height) {
    Ground ground;
    const bool named = !name.empty() && name != "free";
    if (!constants.empty()) {
        if (named)
            throw std::invalid_argument("--ground " + name + " and --ground-constants both choose the ground: give one");
        const auto comma = constants.find(',');
        if (comma == std::string::npos)
            throw std::invalid_argument("--ground-constants needs EPSR,SIGMA (relative permittivity, conductivity in S/m), not \"" +
                                        constants + "\"");
        ground.kind = GroundKind::Real;
        ground.name = "custom";
        ground.permittivity = parsedNumber(constants.substr(0, comma), "--ground-constants' permittivity");
        ground.conductivity = parsedNumber(constants.substr(comma + 1), "--ground-constants' conductivity");
        if (ground.permittivity < 1)
            throw std::invalid_argument("--ground-constants' permittivity " + numberText(ground.permittivity) +
                                        " is below 1, that of empty space: a ground's is 1 or more");
        if (ground.conductivity < 0)
            throw std::invalid_argument("--ground-constants' conductivity " + numberText(ground.conductivity) +
                                        " S/m is negative: it is 0 or more");
    } else if (name.empty() || name == "free") {
        ground.kind = GroundKind::Free;
    } else if (name == "perfect") {
        ground.kind = GroundKind::Perfect;
        ground.name = "perfect";
    } else {
        const auto& classes = groundClasses();
        const auto found = std::find_if(classes.begin(), classes.end(), [&](const GroundClass& c) { return name == c.name; });
        if (found == classes.end())
            throw std::invalid_argument("--ground \"" + name + "\" is not a ground this knows: free, perfect, " + classNames() +
                                        ", or --ground-constants EPSR,SIGMA for any other");
        ground.kind = GroundKind::Real;
        ground.name = found->name;
        ground.permittivity = found->permittivity;
        ground.conductivity = found->conductivity;
    }
    if (ground.kind == GroundKind::Free) {
        if (!height.empty())
            throw std::invalid_argument("--height " + height + " needs a ground: free space has no height (choose --ground "
                                        "perfect, a ground class or --ground-constants)");
        return ground;
    }
    if (height.empty())
        throw std::invalid_argument("--ground " + ground.name + " needs --height, the height in metres of the antenna's "
                                    "lowest point above the ground");
    ground.heightM = parsedNumber(height, "--height");
    if (!(ground.heightM > 0))
        throw std::invalid_argument("--height " + height + " puts the antenna on or in the ground: it must be above it (metres, more than 0)");
    return ground;
}

double lowestHeightM(const NecGeometry& g, double lowestMhz) {
    return std::max(kLightMetresMhz / lowestMhz / 1000, 5 * g.conductorMm / 2000);
}

PreparedDeck prepareDeck(const SimulationSetup& setup) {
    const NecGeometry& g = setup.geometry;
    const std::vector<double> sweep = sweepFrequencies(setup.sweep);
    double lowest = g.designMhz, highest = g.designMhz;
    for (const auto* list : {&sweep, &setup.patternMhz})
        for (double mhz : *list) {
            lowest = std::min(lowest, mhz);
            highest = std::max(highest, mhz);
        }
    ModelOptions options;
    options.highestMhz = highest;
    options.refine = setup.refine;
    if (setup.ground.kind != GroundKind::Free) {
        const double least = lowestHeightM(g, lowest);
        const double unit = std::pow(10.0, std::floor(std::log10(least)) - 2);  // said rounded up to 3 digits
        if (setup.ground.heightM < least)
            throw RefusedOption(
                "--height " + numberText(setup.ground.heightM) + ": a height of " + numberText(setup.ground.heightM) + " m is too low for NEC-2's ground model: the lowest wires "
                "must be at least a thousandth of the longest wavelength of the run and five conductor radii above the ground, "
                "here " + numberText(std::ceil(least / unit) * unit, 3) + " m or more");
        options.liftM = setup.ground.heightM;
    }
    const Model model = buildModel(g, options);

    DeckPlan plan;
    plan.sweep = setup.sweep;
    plan.designMhz = g.designMhz;
    plan.patternMhz = setup.patternMhz;
    plan.ground = setup.ground;
    PreparedDeck prepared;
    prepared.deck = writeDeck(model, plan, setup.comments);
    prepared.warnings = modelWarnings(model);
    prepared.plan.sweepMhz = sweep;
    prepared.plan.patternMhz = setup.patternMhz;
    prepared.plan.designMhz = g.designMhz;
    prepared.plan.freeSpace = setup.ground.kind == GroundKind::Free;
    if (setup.ground.kind == GroundKind::Free) prepared.plan.expectedAverage = 1.0;
    // So high above the ground that no grid here resolves its lobes: the average is not checked.
    if (setup.ground.kind == GroundKind::Perfect && averageCheckApplies(model, setup.ground, setup.patternMhz))
        prepared.plan.expectedAverage = 2.0;
    return prepared;
}

Analysis runSimulation(const PreparedDeck& prepared, double z0, const RunOptions& run) {
    return analyse(parseNecOutput(runNec2c(prepared.deck, run)), z0, prepared.plan);
}

std::vector<double> parseHeights(const std::string& text) {
    const auto first = text.find(':');
    const auto second = first == std::string::npos ? std::string::npos : text.find(':', first + 1);
    if (second == std::string::npos || text.find(':', second + 1) != std::string::npos)
        throw std::invalid_argument("--heights needs FROM:TO:STEP in metres, such as 2:10:1, not \"" + text + "\"");
    const double from = parsedNumber(text.substr(0, first), "--heights' FROM");
    const double to = parsedNumber(text.substr(first + 1, second - first - 1), "--heights' TO");
    const double step = parsedNumber(text.substr(second + 1), "--heights' STEP");
    if (!(from > 0)) throw std::invalid_argument("--heights' FROM " + numberText(from) + " m is not above the ground");
    if (to < from)
        throw std::invalid_argument("--heights' TO " + numberText(to) + " m is below its FROM " + numberText(from) + " m");
    if (!(step > 0)) throw std::invalid_argument("--heights' STEP " + numberText(step) + " m is not positive");
    const double steps = std::floor((to - from) / step + 1e-9);
    if (steps + 1 > kMaxHeights)
        throw std::invalid_argument("--heights " + text + " makes " + numberText(steps + 1, 6) + " heights; at most " +
                                    std::to_string(kMaxHeights) + " are run");
    std::vector<double> heights;
    for (int i = 0; i <= static_cast<int>(steps); ++i) heights.push_back(from + i * step);
    return heights;
}

std::vector<HeightRow> heightTable(const SimulationSetup& setup, const std::vector<double>& heights, const RunOptions& run) {
    std::vector<HeightRow> rows;
    for (double height : heights) {
        SimulationSetup one = setup;
        one.sweep = Sweep{};
        one.patternMhz = {setup.geometry.designMhz};
        one.ground.heightM = height;
        HeightRow row;
        row.heightM = height;
        PreparedDeck prepared;
        try {
            prepared = prepareDeck(one);
        } catch (const RefusedOption& e) {
            const std::string what = e.what();
            throw RefusedOption("--heights: " + what.substr(what.find(": ") + 2));
        }
        const Analysis analysis = runSimulation(prepared, 300, run);
        if (!analysis.patterns.empty())
            row.figures = analysis.patterns.front();
        else
            row.failure = analysis.failures.empty() ? "no pattern" : analysis.failures.front();
        rows.push_back(row);
    }
    return rows;
}

}  // namespace brimalox::nec
