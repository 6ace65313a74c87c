#pragma once
// The model over a chosen ground, its deck, the run through an engine and the analysis; and the same
// at a series of heights.

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/coat.h"
#include "nec/deck.h"
#include "nec/engine.h"
#include "nec/geometry.h"
#include "nec/request.h"

namespace brimalox::nec {

// The lowest height of the antenna's lowest point that NEC-2's ground models are trusted for in a
// run down to lowestMhz: a thousandth of the longest wavelength and five conductor radii, the
// usual guideline for horizontal wires over a Sommerfeld-Norton ground.
double lowestHeightM(const NecGeometry& geometry, double lowestMhz);

struct SimulationSetup {
    NecGeometry geometry;
    Sweep sweep;                     // count 0: patterns only
    std::vector<Sweep> moreSweeps;   // after sweep, each its own FR card (bands apart)
    std::vector<double> patternMhz;  // the design frequency first
    Ground ground;
    std::vector<std::string> comments;
    double refine = 1;         // 2: every segment about half as long (convergence checks)
    std::optional<Coat> coat;  // every wire but the feed wires insulated
};

struct PreparedDeck {
    std::string deck;
    std::vector<std::string> warnings;  // where the model strays from NEC-2's guidelines
    AnalysisPlan plan;
    // Where the deck uses the extended thin-wire kernel: its wires in free space at the design
    // frequency with the kernel and without, to measure what it does.
    std::vector<std::string> kernelDecks;
};

struct KernelEffect {
    std::complex<double> withKernel, thinKernel;  // gap 1's impedance at the design frequency
};
// Runs the two kernel decks (none when the deck keeps to the thin-wire kernel). Throws NecError.
std::optional<KernelEffect> kernelEffect(const PreparedDeck& prepared, Engine& engine);
// "at 146 MHz it moves the impedance of this model by 0.22 ohms, 0.12 % (...)".
std::string kernelEffectText(const KernelEffect& effect, double designMhz);
// "123.4 +j56.7" / "12.3 -j4.5" ohms.
std::string impedanceText(std::complex<double> ohms);

// The currents at every gap (source order) at mhz with the first gap alone driven by 1 V, the others
// shorted: one short run. Throws NecError.
std::vector<std::complex<double>> oneGapCurrents(const PreparedDeck& prepared, double mhz, Engine& engine);

// Throws Refused (a height too low for the ground model, worded with names) or
// std::invalid_argument naming the value when the design cannot be modelled there.
PreparedDeck prepareDeck(const SimulationSetup& setup, const SettingNames& names = {});

// The dB the gains are moved by to scale them to the radiated power, when nec2c's average power
// gain is averageGain where a lossless model gives expectedAverage.
double gainCorrectionDb(double averageGain, double expectedAverage);

// Runs the deck and analyses what the engine printed, the gains scaled to the radiated power in
// free space and over perfect ground (gainCorrectionDb). Throws NecError.
Analysis runSimulation(const PreparedDeck& prepared, double z0, Engine& engine, const FrequenciesDone& progress = {});
// The same from the deck's output as the engine printed it (the short run through the lobes, when
// one is needed, on the engine).
Analysis analyseOutput(const PreparedDeck& prepared, double z0, const std::string& output, Engine& engine);

// The pattern at the design frequency for each height: one nec2c run each.
struct HeightRow {
    double heightM = 0;
    std::optional<PatternFigures> figures;
    std::string failure;  // why there is no pattern at this height
};
// progress: the heights done.
std::vector<HeightRow> heightTable(const SimulationSetup& setup, const std::vector<double>& heights, Engine& engine,
                                   const SettingNames& names = {}, const FrequenciesDone& progress = {});

}  // namespace brimalox::nec
