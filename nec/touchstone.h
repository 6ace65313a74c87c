#pragma once
// One-port Touchstone (version 1) files: reading what a vector network analyser exports, and
// writing the model's reflection coefficient for other RF tools.

#include <complex>
#include <string>
#include <string_view>
#include <vector>

#include "nec/analysis.h"
#include "nec/feed.h"

namespace brimalox::nec {

struct Touchstone {
    std::vector<double> mhz;                 // strictly increasing
    std::vector<std::complex<double>> ohms;  // the port's impedance at each frequency
    double referenceOhms = 50;
};

// Any frequency unit (Hz, kHz, MHz, GHz), S, Z or Y data, RI, MA or DB, any reference resistance;
// comments ("!") anywhere. Throws NecError naming the line and what is wrong with it: a line that is
// not numbers, a two-port line, a frequency not above the one before, no data, a version 2 file.
Touchstone readTouchstone(std::string_view text);

// The measured SWR against z0, and what it says.
struct MeasuredSwr {
    std::vector<std::pair<double, double>> points;  // MHz, SWR (infinite where the resistance is not positive)
};
MeasuredSwr measuredSwr(const Touchstone& file, double z0);
// Its lowest SWR and stretches below 2:1, the one holding the design frequency first.
MeasuredSummary summarise(const MeasuredSwr& measured, const std::string& file, double designMhz);
// Empty when the file was taken against z0; else says that its impedances were converted to z0, since
// an analyser's 50 ohm file read against a 300 ohm line shows a different SWR than it did.
std::string referenceNote(const Touchstone& file, double z0);

// "# MHz S RI R z0": the reflection coefficient of gap 1 (or at a feed's plane) against z0 at each
// sweep frequency.
std::string writeTouchstone(const Analysis& analysis, double z0, const std::string& title, Plane plane = Plane::Gap);

}  // namespace brimalox::nec
