// The check's report for people.
#include <algorithm>
#include <cmath>
#include <limits>

#include "nec/report/check_formats.h"

namespace brimalox::nec {
namespace {

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string dbi(double value) { return dbiFigure(value); }

// The azimuth of the maximum, or every azimuth of the cut at the take-off angle whose gain nec2c
// prints alike (to 0.01 dB), as runs of neighbours: the antenna's symmetry or a round pattern gives
// one maximum several azimuths, and naming one of them would say the others are weaker.
std::string azimuthWords(double azimuthDeg, const PatternFigures* p) {
    const std::string one = "azimuth " + degreesFigure(azimuthDeg) + " deg";
    if (!p || p->azimuthDbi.empty()) return one;
    std::vector<std::pair<double, double>> cut;  // without 360, the same direction as 0
    for (const auto& direction : p->azimuthDbi)
        if (direction.first < 360 - 1e-9) cut.push_back(direction);
    double top = -std::numeric_limits<double>::infinity();
    for (const auto& [phi, gain] : cut)
        top = std::max(top, gain);
    auto tied = [&](std::size_t i) { return top - cut[i].second < 0.005; };
    std::vector<std::pair<double, double>> runs;  // first and last azimuth of neighbours alike
    std::size_t count = 0;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        if (!tied(i)) continue;
        ++count;
        if (i > 0 && tied(i - 1))
            runs.back().second = cut[i].first;
        else
            runs.push_back({cut[i].first, cut[i].first});
    }
    if (count <= 1) return one;
    if (count == cut.size()) return "every azimuth alike to 0.01 dB";
    if (runs.size() > 1 && tied(0) && tied(cut.size() - 1)) {  // a run across 0
        runs.front().first = runs.back().first;
        runs.pop_back();
    }
    if (runs.size() > 4) return std::to_string(count) + " azimuths alike to 0.01 dB";
    std::string out = "azimuths ";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        out += i == 0 ? "" : i + 1 == runs.size() ? " and " : ", ";
        out += degreesFigure(runs[i].first);
        if (runs[i].second != runs[i].first) out += " to " + degreesFigure(runs[i].second);
    }
    return out + " deg alike to 0.01 dB";
}

std::string patternText(const PatternFigures& p, bool freeSpace, bool perfectGround) {
    std::string out = "pattern at " + numberText(p.mhz) + " MHz: maximum " + dbi(p.maxDbi) + " at elevation " +
                      degreesFigure(p.takeoffDeg) + " deg (the take-off angle), " + azimuthWords(p.azimuthDeg, &p) +
                      "; vertical part " + dbi(p.verticalDbi) + ", horizontal part " + dbi(p.horizontalDbi) + "\n";
    // The elevation cut is in one azimuth, named: the maximum may have several.
    out += "  gain in azimuth " + degreesFigure(p.azimuthDeg) + " deg:";
    for (std::size_t i = 0; i < p.gainAt.size(); ++i)
        out += std::string(i ? "," : "") + " " + dbi(p.gainAt[i].second) + " at " + std::to_string(p.gainAt[i].first) +
               " deg";
    out += "\n  -3 dB elevation beamwidth: " + degreesFigure(p.beamwidthDeg) + " deg, from " +
           degreesFigure(p.lowEdgeDeg) + " to " + degreesFigure(p.highEdgeDeg) + " deg";
    if (freeSpace && p.lowEdgeDeg < 0) out += " (the lobe is the same below the horizon)";
    if (p.openLow) out += " (still within 3 dB at 0 deg)";
    if (p.openHigh) out += " (still within 3 dB at 90 deg)";
    out += "\n  azimuth ripple at elevation " + degreesFigure(p.azimuthCutDeg) + " deg: " + fixedText(p.rippleDb, 2) +
           " dB\n";
    if (p.averageGain) {
        out += "  average power gain: " + fixedText(*p.averageGain, 4);
        if (p.expectedAverage)
            out += " (a lossless model " + std::string(freeSpace ? "in free space" : "over perfect ground") +
                   " gives " + numberText(*p.expectedAverage) + "; the gains are scaled to the power radiated, by " +
                   fixedText(gainCorrectionDb(*p.averageGain, *p.expectedAverage), 2) + " dB)";
        else if (perfectGround)
            out +=
                " (a lossless model over perfect ground gives 2; not checked here: the antenna is too high for "
                "the grid to resolve its lobes)";
        else
            out += " (over the upper half-space; below 2 by what the ground absorbs)";
        out += "\n";
        if (averageGainOff(p))
            out += "  warning: the average power gain is " +
                   fixedText(std::abs(*p.averageGain / *p.expectedAverage - 1) * 100, 1) +
                   " % off a lossless model's: the model's power balance is off by that much; the gains are scaled "
                   "for it, but the impedance and SWR are less sure than usual\n";
    }
    return out;
}

// The index of the sweep row at the design frequency, or none.
std::optional<std::size_t> designRow(const Analysis& a, double designMhz) {
    for (std::size_t i = 0; i < a.rows.size(); ++i)
        if (std::abs(a.rows[i].mhz - designMhz) <= 1e-9 * designMhz) return i;
    return std::nullopt;
}

std::string feedHead(const Analysis& a, const FeedReport& f) {
    const Feed& feed = f.feed;
    std::string out = "feed: " + feedText(feed) + "\n";
    double matched = matchedLossDb(feed.line, f.designMhz);
    for (const auto* piece : {&feed.section, &feed.coax})
        if (*piece) matched += matchedLossDb(**piece, f.designMhz);
    out += "feed loss at " + numberText(f.designMhz) + " MHz: " + fixedText(matched, 2) + " dB matched";
    if (const auto row = designRow(a, f.designMhz))
        out += ", " + fixedText(a.planes[*row].lossDb, 2) + " dB with the mismatch";
    out += "\nnot modelled: current on the outside of the coax, the balun's own loss and bandwidth\n";
    return out;
}

std::string sweepTable(const Analysis& a, const ReportContext& c) {
    const std::size_t gaps = a.rows.front().feeds.size();
    constexpr std::size_t kZWidth = 22;
    const bool fed = c.feed && !a.planes.empty();
    std::string out = padLeft("MHz", 10);
    for (std::size_t g = 0; g < gaps; ++g)
        out += padLeft("gap " + std::to_string(g + 1) + " (ohms)", kZWidth);
    out += fed ? padLeft("line SWR", 10) + padLeft("junction (ohms)", kZWidth) + padLeft("SWR", 10) +
                     padLeft("rig (ohms)", kZWidth) + padLeft("SWR", 10) + "\n"
               : padLeft("SWR", 10) + "\n";
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        const SweepRow& row = a.rows[i];
        out += padLeft(numberText(row.mhz), 10);
        for (const FeedImpedance& feed : row.feeds)
            out += padLeft(impedanceText(feed.ohms), kZWidth);
        if (!fed) {
            out += padLeft(swrFigure(row.swr), 10) + "\n";
            continue;
        }
        const Feed& feed = c.feed->feed;
        const bool failed = !std::isfinite(row.swr);
        auto swrAt = [&](Plane p) {
            return swrFigure(failed ? row.swr : swr(ohmsAt(a, i, p), referenceOhms(feed, p)));
        };
        out += padLeft(swrAt(Plane::Gap), 10) + padLeft(impedanceText(a.planes[i].junction), kZWidth) +
               padLeft(swrAt(Plane::Junction), 10) + padLeft(impedanceText(a.planes[i].rig), kZWidth) +
               padLeft(swrAt(Plane::Rig), 10) + "\n";
    }
    return out;
}

std::string feedTail(const Analysis& a, const FeedReport& f) {
    const std::vector<Below2> below = stretchesBelow(a.rows, 1.5);
    std::string out = below.empty() ? "SWR below 1.5:1: nowhere in the sweep\n" : "";
    for (std::size_t i = 0; i < below.size(); ++i)
        out += std::string(i == 0 ? "SWR below 1.5:1: " : "SWR below 1.5:1 also: ") + stretchText(below[i], "1.5:1") +
               "\n";
    if (f.reversedSwr)
        out += "one line reversed: at " + numberText(f.designMhz) + " MHz the SWR at the rig is " +
               swrFigure(f.reversedSwr->second) + " with gap 1's line connected the wrong way round, " +
               swrFigure(f.reversedSwr->first) +
               " with every line alike: mark each line's conductors and join them the same way\n";
    return out;
}

// The coat, and the scale of the height and the side that puts the insulated antenna where the bare
// design is, with the check run's word on it.
std::string coatLines(const CoatReport& c) {
    const Shortening& s = c.shortening;
    // Beyond where the model holds, no more digits than it can stand behind.
    const int ratioPlaces = s.beyondModel ? 2 : 4, percentPlaces = s.beyondModel ? 0 : 2,
              mmPlaces = s.beyondModel ? 0 : 1;
    std::string out = "insulated wire: " + coatText(c.coat) + ", " + numberText(c.henriesPerMetre * 1e9, 4) +
                      " nH/m in series on every wire but the feed wires\n";
    if (s.beyondModel)
        out += "  the coat's outer radius is more than " + numberText(kCoatModelHolds) +
               " times the wire's, thicker than this model of it holds: the shortening is a rough guide only\n";
    out += "insulated lengths: scale the height and the side by " + fixedText(s.ratio, ratioPlaces) + " (" +
           fixedText((1 - s.ratio) * 100, percentPlaces) + " % shorter): height " + fixedText(s.newHeightMm, mmPlaces) +
           " mm, side " + fixedText(s.newSideMm, mmPlaces) + " mm (bare " + fixedText(c.heightMm, 1) + " and " +
           fixedText(c.sideMm, 1) +
           "); the insulated model at these lengths lies on the bare design's SWR curve to a " + "scale of " +
           fixedText(s.checkRatio, ratioPlaces) + " (" + std::to_string(s.runs) + " check run" +
           (s.runs == 1 ? "" : "s") + ")\n";
    return out;
}

}  // namespace

std::string checkText(const Analysis& a, const ReportContext& c) {
    const bool freeSpace = c.ground.kind == GroundKind::Free;
    std::string out = title(c.design) + "\nnec2c, " + groundText(c.ground) + ", every gap driven in phase; ";
    if (c.feed)
        out += "SWR " + planeText(c.feed->feed, c.feed->feed.at) + "\n" + feedHead(a, *c.feed) + "\n";
    else
        out += "SWR of gap 1 against " + numberText(a.z0, 7) + " ohms\n" + swrMeaning(a.z0) + "\n\n";
    out += sweepTable(a, c) + "\n";
    for (const std::string& failure : a.failures)
        out += "model failed: " + failure + "\n";
    if (std::isfinite(a.lowestSwr))
        out += "lowest SWR: " + swrFigure(a.lowestSwr) + " at " + mhzFigure(a.lowestMhz) + " MHz" +
               (a.nearLowest
                    ? " (within 0.05 of it from " + mhzFigure(a.nearLowest->fromMhz) + " to " +
                          mhzFigure(a.nearLowest->toMhz) + " MHz" +
                          (a.nearLowest->openBelow || a.nearLowest->openAbove ? ", still at the sweep's end" : "") + ")"
                    : std::string()) +
               "\n";
    else
        out += "lowest SWR: none, the model gave no usable impedance at any frequency\n";
    if (a.stretches.empty()) out += "SWR below 2:1: nowhere in the sweep\n";
    for (std::size_t i = 0; i < a.stretches.size(); ++i)
        out += std::string(i == 0 ? "SWR below 2:1: " : "SWR below 2:1 also: ") + stretchText(a.stretches[i]) + "\n";
    if (c.feed) out += feedTail(a, *c.feed);
    if (c.coat) out += coatLines(*c.coat);
    if (c.measured) {
        const MeasuredSummary& m = *c.measured;
        out += "measured (" + m.file + "): lowest SWR " + swrFigure(m.lowestSwr) + " at " + mhzFigure(m.lowestMhz) +
               " MHz\n";
        if (!m.referenceNote.empty()) out += "measured (" + m.file + "): " + m.referenceNote + "\n";
        if (m.stretches.empty()) out += "measured SWR below 2:1: nowhere in the file\n";
        for (std::size_t i = 0; i < m.stretches.size(); ++i)
            out += std::string(i == 0 ? "measured SWR below 2:1: " : "measured SWR below 2:1 also: ") +
                   stretchText(m.stretches[i]) + "\n";
    }
    if (a.gain) {
        // The pattern it was found in, for the azimuths that share it.
        const PatternFigures* in = nullptr;
        for (const PatternFigures& p : a.patterns)
            if (p.mhz == a.gain->mhz && p.azimuthDeg == a.gain->phiDeg && p.maxDbi == a.gain->dbi) in = &p;
        out += "maximum gain: " + dbi(a.gain->dbi) + " at elevation " + degreesFigure(90 - a.gain->thetaDeg) +
               " deg, " + azimuthWords(a.gain->phiDeg, in) + " (" + numberText(a.gain->mhz) + " MHz)\n";
    } else {
        out += "maximum gain: none, the model failed at the design frequency\n";
    }
    for (const PatternFigures& p : a.patterns)
        out += patternText(p, freeSpace, c.ground.kind == GroundKind::Perfect);
    if (!c.heights.empty()) {
        out += "\nheight above " + c.ground.name + " ground at " + c.design.frequency + " MHz:\n";
        out += padLeft("height (m)", 12) + padLeft("max (dBi)", 12) + padLeft("take-off (deg)", 16) +
               padLeft("azimuth (deg)", 15) + padLeft("at 5 deg (dBi)", 16) + "\n";
        for (const HeightRow& row : c.heights) {
            out += padLeft(numberText(row.heightM, 6), 12);
            if (!row.figures) {
                out += "  " + row.failure + "\n";
                continue;
            }
            const PatternFigures& p = *row.figures;
            double at5 = 0;
            for (const auto& [deg, gain] : p.gainAt)
                if (deg == 5) at5 = gain;
            out += padLeft(fixedText(p.maxDbi, 2), 12) + padLeft(degreesFigure(p.takeoffDeg), 16) +
                   padLeft(degreesFigure(p.azimuthDeg), 15) + padLeft(noField(at5) ? "none" : fixedText(at5, 2), 16) +
                   "\n";
        }
    }
    return out;
}

}  // namespace brimalox::nec
