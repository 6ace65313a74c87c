// The words every report of the model shares.
#include "nec/report/report.h"

#include <cmath>

namespace brimalox::nec {
namespace {

constexpr double kFloorDbi = -999;  // nec2c prints -999.99 where there is no field

}  // namespace

std::string groundText(const Ground& g) {
    switch (g.kind) {
    case GroundKind::Free: return "free space";
    case GroundKind::Perfect: return "perfect ground, lowest point " + numberText(g.heightM) + " m above it";
    case GroundKind::Real: break;
    }
    return g.name + " ground (permittivity " + numberText(g.permittivity) + ", conductivity " +
           numberText(g.conductivity) + " S/m), lowest point " + numberText(g.heightM) + " m above it";
}

std::string groundShortText(const Ground& g) {
    switch (g.kind) {
    case GroundKind::Free: return "free space";
    case GroundKind::Perfect: return "perfect ground, " + numberText(g.heightM) + " m";
    case GroundKind::Real: break;
    }
    return g.name + " ground (" + numberText(g.permittivity) + ", " + numberText(g.conductivity) + " S/m), " +
           numberText(g.heightM) + " m";
}

std::string stretchText(const Below2& b, const std::string& limit) {
    std::string out =
        mhzFigure(b.fromMhz) + " to " + mhzFigure(b.toMhz) + " MHz (" + mhzFigure(b.toMhz - b.fromMhz) + " MHz wide";
    if (b.openBelow) out += ", still below " + limit + " at the start of the sweep";
    if (b.openAbove) out += ", still below " + limit + " at the end of the sweep";
    return out + ")";
}

std::string feedText(const Feed& f) {
    auto line = [](const Line& l) {
        return numberText(l.z0) + " ohms, velocity factor " + numberText(l.vf) +
               (l.dbPer100m > 0 ? ", " + numberText(l.dbPer100m) + " dB per 100 m at 100 MHz" : std::string());
    };
    std::string out = std::to_string(f.lines) + " lines of " + line(f.line) + ", " +
                      fixedText(f.line.metres * 1000, 1) + " mm each, joined side by side";
    if (f.section) out += "; a section of " + line(*f.section) + ", " + fixedText(f.section->metres * 1000, 1) + " mm";
    out += "; a " + numberText(f.balun) + ":1 balun";
    if (f.coax) out += "; " + numberText(f.coax->metres) + " m of coax of " + line(*f.coax);
    return out + "; the rig " + numberText(f.rigZ0) + " ohms";
}

std::string planeText(const Feed& f, Plane p) {
    return std::string("at the ") + planeName(p) + " against " + numberText(referenceOhms(f, p), 7) + " ohms";
}

bool noField(double dbi) { return dbi <= kFloorDbi; }

std::string dbiFigure(double dbi) { return noField(dbi) ? "none" : fixedText(dbi, 2) + " dBi"; }

std::string swrMeaning(double z0) {
    return "The SWR here is what a meter would read on the " + numberText(z0, 7) +
           " ohm line right at a gap, every gap fed alike, before the lines are joined and matched; a meter at the "
           "transmitter will read otherwise.";
}

}  // namespace brimalox::nec
