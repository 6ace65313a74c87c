#include "nec/simulation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "nec/output_parser.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr double kLightMetresMhz = 299.792458;

}  // namespace

double lowestHeightM(const NecGeometry& g, double lowestMhz) {
    return std::max(kLightMetresMhz / lowestMhz / 1000, 5 * g.conductorMm / 2000);
}

PreparedDeck prepareDeck(const SimulationSetup& setup, const SettingNames& names) {
    const NecGeometry& g = setup.geometry;
    const std::vector<double> sweep = [&] {
        std::vector<double> all = sweepFrequencies(setup.sweep);
        for (const Sweep& more : setup.moreSweeps)
            for (double mhz : sweepFrequencies(more))
                all.push_back(mhz);
        return all;
    }();
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
            throw Refused(
                names.height + " " + numberText(setup.ground.heightM) + ": a height of " +
                numberText(setup.ground.heightM) +
                " m is too low for NEC-2's ground model: the lowest wires "
                "must be at least a thousandth of the longest wavelength of the run and five conductor radii above the ground, "
                "here " +
                numberText(std::ceil(least / unit) * unit, 3) + " m or more");
        options.liftM = setup.ground.heightM;
    }
    const Model model = buildModel(g, options);

    DeckPlan plan;
    plan.sweep = setup.sweep;
    plan.moreSweeps = setup.moreSweeps;
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
    // Over a ground the lobes can be narrower than the grids' steps: a fine cut finds each maximum.
    if (setup.ground.kind != GroundKind::Free)
        for (double mhz : setup.patternMhz)
            prepared.plan.cutStepDeg.push_back(
                lobeCutStepDeg(averagingGrid(setup.ground, highestPointM(model, setup.ground), mhz)));
    // So high above the ground that no grid here resolves its lobes: the average is not checked.
    if (setup.ground.kind == GroundKind::Perfect && averageCheckApplies(model, setup.ground, setup.patternMhz))
        prepared.plan.expectedAverage = 2.0;
    return prepared;
}

Analysis runSimulation(const PreparedDeck& prepared, double z0, Engine& engine, const FrequenciesDone& progress) {
    Analysis analysis = analyse(parseNecOutput(engine.run(prepared.deck, progress)), z0, prepared.plan);
    // A short second run through the lobes the first one found: a few hundred directions.
    if (!analysis.cuts.empty())
        refineLobes(analysis, parseNecOutput(engine.run(cutDeck(prepared.deck, analysis.cuts), {})));
    return analysis;
}

std::vector<HeightRow> heightTable(const SimulationSetup& setup, const std::vector<double>& heights, Engine& engine,
                                   const SettingNames& names, const FrequenciesDone& progress) {
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
            prepared = prepareDeck(one, names);
        } catch (const Refused& e) {
            const std::string what = e.what();
            throw Refused(names.heights + ": " + what.substr(what.find(": ") + 2));
        }
        const Analysis analysis = runSimulation(prepared, 300, engine);
        if (!analysis.patterns.empty())
            row.figures = analysis.patterns.front();
        else
            row.failure = analysis.failures.empty() ? "no pattern" : analysis.failures.front();
        rows.push_back(row);
        if (progress) progress(static_cast<int>(rows.size()));
    }
    return rows;
}

}  // namespace brimalox::nec
