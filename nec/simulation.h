#pragma once
// A simulation as the command line asks for it: the model over a chosen ground, its deck, the run
// through nec2c and the analysis; and the same at a series of heights.

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/deck.h"
#include "nec/geometry.h"
#include "nec/runner.h"

namespace brimalox::nec {

// An option value the model cannot take (such as a height too low for the ground model).
class RefusedOption : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// A named real ground: its relative permittivity and conductivity.
struct GroundClass {
    const char* name;
    double permittivity;
    double conductivity;  // S/m
    const char* description;
};
// The classes NEC users know, with the constants of the ARRL Antenna Book's table of common
// types of earth (the same figures EZNEC and 4nec2 offer).
const std::vector<GroundClass>& groundClasses();
// One line per class for the help and the man page.
std::string groundClassesText();

// --ground NAME, --ground-constants "EPSR,SIGMA" (empty when not given) and --height (empty when
// not given). Throws std::invalid_argument saying what is wrong and what is allowed.
Ground makeGround(const std::string& name, const std::string& constants, const std::string& height);

// The lowest height of the antenna's lowest point that NEC-2's ground models are trusted for in a
// run down to lowestMhz: a thousandth of the longest wavelength and five conductor radii, the
// usual guideline for horizontal wires over a Sommerfeld-Norton ground.
double lowestHeightM(const NecGeometry& geometry, double lowestMhz);

struct SimulationSetup {
    NecGeometry geometry;
    Sweep sweep;                      // count 0: patterns only
    std::vector<double> patternMhz;   // the design frequency first
    Ground ground;
    std::vector<std::string> comments;
    double refine = 1;                // 2: every segment about half as long (convergence checks)
};

struct PreparedDeck {
    std::string deck;
    std::vector<std::string> warnings;  // where the model strays from NEC-2's guidelines
    AnalysisPlan plan;
};

// Throws std::invalid_argument naming the value when the design cannot be modelled there (a
// height too low for the model among them).
PreparedDeck prepareDeck(const SimulationSetup& setup);

// Runs nec2c on the deck and analyses what it printed. Throws NecError.
Analysis runSimulation(const PreparedDeck& prepared, double z0, const RunOptions& run);

// A number typed as an option, read by the same rule as a field; throws std::invalid_argument
// naming the option and saying what is wrong with the text (not a number, too large, not positive).
double positiveOption(const std::string& text, const std::string& option);

// "FROM:TO:STEP" in metres; throws std::invalid_argument naming the part that is wrong.
std::vector<double> parseHeights(const std::string& text);

// The pattern at the design frequency for each height: one nec2c run each.
struct HeightRow {
    double heightM = 0;
    std::optional<PatternFigures> figures;
    std::string failure;  // why there is no pattern at this height
};
std::vector<HeightRow> heightTable(const SimulationSetup& setup, const std::vector<double>& heights,
                                   const RunOptions& run);

}  // namespace brimalox::nec
