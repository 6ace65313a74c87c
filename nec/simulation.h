#pragma once
// The model over a chosen ground, its deck, the run through an engine and the analysis; and the same
// at a series of heights.

#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
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
    double refine = 1;  // 2: every segment about half as long (convergence checks)
};

struct PreparedDeck {
    std::string deck;
    std::vector<std::string> warnings;  // where the model strays from NEC-2's guidelines
    AnalysisPlan plan;
};

// Throws Refused (a height too low for the ground model, worded with names) or
// std::invalid_argument naming the value when the design cannot be modelled there.
PreparedDeck prepareDeck(const SimulationSetup& setup, const SettingNames& names = {});

// Runs the deck and analyses what the engine printed. Throws NecError.
Analysis runSimulation(const PreparedDeck& prepared, double z0, Engine& engine, const FrequenciesDone& progress = {});

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
