#include "nec/simulation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "nec/error.h"
#include "nec/output_parser.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr double kNoField = -999.0;  // nec2c prints -999.99 for a direction with no field at all

// A lossless model radiates all the power its sources take, and nec2c's average power gain over
// the sphere (the half space over perfect ground) is then 1 (2): where the model's power balance
// is off, the gains are scaled to the power the pattern itself radiates, which the currents away
// from the feed give more surely than the source's current does.
void scale(FrequencyRun& run, double db) {
    for (auto* table : {&run.pattern, &run.finePattern})
        for (PatternPoint& point : *table)
            for (double* gain : {&point.totalDbi, &point.verticalDbi, &point.horizontalDbi})
                if (*gain > kNoField) *gain += db;
}

// Gives back each scaled frequency with its correction, for the fine cuts through its lobes.
std::vector<std::pair<double, double>> scaleToRadiatedPower(std::vector<FrequencyRun>& runs,
                                                            const std::optional<double>& expected) {
    std::vector<std::pair<double, double>> scaled;
    if (!expected) return scaled;
    for (FrequencyRun& run : runs) {
        if (!run.averageGain || !(*run.averageGain > 0)) continue;
        const double db = gainCorrectionDb(*run.averageGain, *expected);
        scale(run, db);
        scaled.push_back({run.mhz, db});
    }
    return scaled;
}

}  // namespace

double gainCorrectionDb(double averageGain, double expectedAverage) {
    if (!(averageGain > 0 && expectedAverage > 0)) return 0;
    // To a billionth of a dB: the page's log10 and the command line's differ in the last bit, and both
    // must give the same digits. 0.0 - 0: not "-0.00 dB".
    return 0.0 - std::round(1e10 * std::log10(averageGain / expectedAverage)) / 1e9;
}

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
    if (setup.coat) {
        plan.coatHenriesPerMetre = coatHenriesPerMetre(*setup.coat, g.conductorMm);
        plan.coatText = coatText(*setup.coat);
    }
    PreparedDeck prepared;
    prepared.deck = writeDeck(model, plan, setup.comments);
    prepared.warnings = modelWarnings(model);
    if (model.extendedKernel) {
        // The same wires in free space at the design frequency alone, with the kernel and without:
        // two small runs that measure what the kernel does to this deck.
        DeckPlan check;
        check.sweep = Sweep{g.designMhz, 0, 1};
        check.designMhz = g.designMhz;
        check.coatHenriesPerMetre = plan.coatHenriesPerMetre;
        ModelOptions freeSpace = options;
        freeSpace.liftM = -1;
        Model free = buildModel(g, freeSpace);
        prepared.kernelDecks.push_back(writeDeck(free, check, {}));
        free.extendedKernel = false;
        prepared.kernelDecks.push_back(writeDeck(free, check, {}));
    }
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

std::optional<KernelEffect> kernelEffect(const PreparedDeck& prepared, Engine& engine) {
    if (prepared.kernelDecks.size() != 2) return std::nullopt;
    std::complex<double> z[2];
    for (int i = 0; i < 2; ++i) {
        const std::vector<FrequencyRun> runs = parseNecOutput(engine.run(prepared.kernelDecks[i], {}));
        if (runs.empty() || runs.front().feeds.empty()) return std::nullopt;
        z[i] = runs.front().feeds.front().ohms;
    }
    return KernelEffect{z[0], z[1]};
}

std::vector<std::complex<double>> oneGapCurrents(const PreparedDeck& prepared, double mhz, Engine& engine) {
    const std::vector<FrequencyRun> runs = parseNecOutput(engine.run(oneGapDeck(prepared.deck, mhz), {}));
    if (runs.size() != 1 || runs.front().feeds.empty()) throw NecError("nec2c gave no currents with one gap driven");
    std::vector<std::complex<double>> currents;
    for (const FeedImpedance& feed : runs.front().feeds) {
        const double volts = currents.empty() ? 1 : kQuietGapVolts;
        currents.push_back(quotient(volts, feed.ohms));
    }
    return currents;
}

std::string impedanceText(std::complex<double> ohms) {
    const double x = ohms.imag();
    return fixedText(ohms.real(), 1) + (std::signbit(x) ? " -j" : " +j") + fixedText(std::fabs(x), 1);
}

std::string kernelEffectText(const KernelEffect& e, double designMhz) {
    const double ohms = std::abs(e.withKernel - e.thinKernel);
    return "at " + numberText(designMhz) + " MHz it moves the impedance of this model by " + numberText(ohms, 2) +
           " ohms, " + numberText(100 * ohms / std::abs(e.withKernel), 2) + " % (" + impedanceText(e.thinKernel) +
           " without it, " + impedanceText(e.withKernel) + " with it)";
}

Analysis runSimulation(const PreparedDeck& prepared, double z0, Engine& engine, const FrequenciesDone& progress) {
    return analyseOutput(prepared, z0, engine.run(prepared.deck, progress), engine);
}

Analysis analyseOutput(const PreparedDeck& prepared, double z0, const std::string& output, Engine& engine) {
    std::vector<FrequencyRun> runs = parseNecOutput(output);
    const std::vector<std::pair<double, double>> scaled = scaleToRadiatedPower(runs, prepared.plan.expectedAverage);
    Analysis analysis = analyse(std::move(runs), z0, prepared.plan);
    // A short second run through the lobes the first one found: a few hundred directions, their gains
    // scaled as the first run's at the same frequency (the cut averages nothing to scale by).
    if (!analysis.cuts.empty()) {
        std::vector<FrequencyRun> cuts = parseNecOutput(engine.run(cutDeck(prepared.deck, analysis.cuts), {}));
        for (FrequencyRun& cut : cuts)
            for (const auto& [mhz, db] : scaled)
                if (std::abs(cut.mhz - mhz) <= 1e-4 * mhz) scale(cut, db);
        refineLobes(analysis, cuts);
    }
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
