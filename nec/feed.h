#pragma once
// The feed system between the gaps and the rig: a line from each gap, all alike and joined side by
// side at one junction, an optional section of line, an ideal balun and optional coax to the rig.
//
// By the prism's symmetry every gap of an all-alike harness sees the same drive, so the model's gap
// impedance (every gap driven in phase) carried through one line, divided among the lines in
// parallel and carried on through the rest gives the junction and the rig. Not modelled: current
// on the outside of the coax, and the balun's own loss and bandwidth.

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "app/road.h"
#include "nec/analysis.h"

namespace brimalox::nec {

struct Settings;
struct SettingNames;

// A transmission line: its impedance, velocity factor, length and matched loss in dB per 100 m at
// 100 MHz, which grows with the square root of the frequency (skin effect).
struct Line {
    double z0 = 300;
    double vf = 0.82;
    double metres = 0;
    double dbPer100m = 0;
};

// Where along the feed the SWR, the charts and the files are taken.
enum class Plane { Gap, Junction, Rig };
const char* planeName(Plane plane);  // "gap", "junction", "rig"

struct Feed {
    int lines = 3;  // one from each gap
    Line line;
    std::optional<Line> section;  // between the junction and the balun
    double balun = 1;             // N:1 in impedance, the junction's side first
    std::optional<Line> coax;     // from the balun to the rig
    double rigZ0 = 50;
    Plane at = Plane::Rig;
};

// The feed as typed (empty: not given). Any of them given describes a feed: the line then defaults to
// twin lead of velocity factor 0.82 at the window's series match length.
struct FeedSettings {
    std::string line;     // "Z0,VF[,MM]"
    std::string loss;     // dB per 100 m at 100 MHz, the lines' and the section's
    std::string section;  // "Z0,VF,MM"
    std::string balun;    // N of N:1
    std::string coax;     // "Z0,VF,METRES[,DB]"
    std::string rigZ0;    // ohms
    std::string at;       // "gap", "junction" or "rig"
    bool given() const;
};

// The feed of a design with `gaps` gaps, or none when no feed setting is given. lineMm and lineZ0: the
// length and impedance of a line not typed. Throws Refused naming the setting and what to type.
std::optional<Feed> readFeed(const FeedSettings& typed, const SettingNames& names, int gaps, double lineMm,
                             double lineZ0);
// The window's series match length of a design, which a line of unstated length takes.
double matchLengthMm(const DesignTexts& design);

// The reference a plane's SWR is taken against: the line's Z0 at the gap, the balun's ratio times the
// rig's at the junction (what a match there asks for), the rig's at the rig.
double referenceOhms(const Feed& feed, Plane plane);

// The gap's impedance carried to the junction and to the rig at one frequency, and the power lost on
// the way (dB, the mismatch included).
FeedPlanes carry(const Feed& feed, double mhz, std::complex<double> gapOhms);

// The impedance at a plane of row i, carried through the feed (gap 1's without one).
std::complex<double> ohmsAt(const Analysis& analysis, std::size_t i, Plane plane);

// Every sweep row carried through the feed, the SWR and its stretches taken at feed.at against its
// reference.
void applyFeed(Analysis& analysis, const Feed& feed, double designMhz);

// The junction's impedance when gap `reversed`'s line is connected the wrong way round (none when
// negative). yRow: the
// currents at every gap (source order) with gap 1 alone driven by 1 V, the others shorted; by the
// prism's symmetry the gaps' admittance matrix is circulant in it.
std::complex<double> junctionWithReversed(const Line& line, double mhz, const std::vector<std::complex<double>>& yRow,
                                          int reversed);
// ...and carried on from the junction to the rig.
std::complex<double> rigFromJunction(const Feed& feed, double mhz, std::complex<double> junctionOhms);

// The lines' matched loss in dB at a frequency: each piece's.
double matchedLossDb(const Line& line, double mhz);

}  // namespace brimalox::nec
