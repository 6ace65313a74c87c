#include "nec/trim.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "nec/check.h"
#include "nec/error.h"
#include "nec/fit.h"
#include "nec/simulation.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

// Beyond this the antenna is not a trim away from its design: another frequency or conductor.
constexpr double kLargestTrim = 0.20;
// The dip of this antenna is flat: its frequency alone is worth a word of warning.
constexpr double kFlatWithin = 0.01;
// The two typed edges scale apart by more than this: the curve's width differs from the model's.
constexpr double kEdgesApart = 0.02;
// A fitted file whose reflection coefficient stays this far from the model's (rms) has another shape.
constexpr double kPoorFit = 0.05;
// Through a feed, less: a line's length turns the trace as a scale of the antenna does, and the
// scale absorbs most of it (on the 146 MHz design lines 5 % off fit to 0.011 rms and move the scale
// by 1.4 %); an analyser's 3 % of noise leaves about 0.007.
constexpr double kPoorFitThroughFeed = 0.015;

double percent(double ratio) { return (ratio - 1) * 100; }

SwrFigures figuresOf(const Analysis& a) {
    SwrFigures f;
    f.lowestSwr = a.lowestSwr;
    f.lowestMhz = a.lowestMhz;
    f.stretches = a.stretches;
    return f;
}

void checkMeasurement(const TrimMeasurement& m, const TrimNames& n) {
    const int given = (m.file ? 1 : 0) + (m.lowEdgeMhz > 0 || m.highEdgeMhz > 0 ? 1 : 0) + (m.dipMhz > 0 ? 1 : 0);
    if (given != 1)
        throw Refused(std::string(given == 0 ? "nothing measured is given" : "more than one measurement is given") +
                      ": give one of " + n.measuredFile + " (an analyser's file), " + n.measuredEdges +
                      " (where the SWR crosses 2:1) or " + n.measuredDip + " (where it dips)");
    if (m.file && m.file->data.mhz.size() < 3)
        throw Refused(n.measuredFile + " " + m.file->name + " holds " + std::to_string(m.file->data.mhz.size()) +
                      " frequencies: a curve to fit needs many across the dip");
}

// How far off an antenna of ratio k is, in words: "3.0 % long".
std::string offWords(double k) { return fixedText(std::fabs(1 / k - 1) * 100, 1) + " % " + (k < 1 ? "long" : "short"); }

// The scale a file of the model's own antenna, taken through `actual` instead of the feed as
// described, fits to: how a line's length and the antenna's scale turn the trace alike.
std::optional<double> lookalikeScale(const Analysis& model, const Feed& described, const Feed& actual, double designMhz,
                                     const TrimNames& n) {
    try {
        const Analysis seen = scaledAntenna(model, 1, &actual, designMhz);
        return ratioFromFile(model, swrOf(seen), n, nullptr, &described);
    } catch (const Refused&) {
        return std::nullopt;
    }
}

// A length of the feed fitted together with the antenna's scale: each length from 0.8 to 1.2 times
// as described, the scale fitted at each. Said only where one length fits clearly best: well, and
// at least twice as well as any length more than 6 % from it; a scale and a line's length turn the
// trace alike, so most files have no such best.
std::string jointFit(const Analysis& model, const MeasuredSwr& swr, const TrimNames& n, Feed feed) {
    constexpr double kFrom = 0.8, kStep = 0.02, kApart = 0.06;
    constexpr int kSteps = 20;
    std::string said;
    auto tryLength = [&](Line& line, const std::string& name, const std::string& unit, double toUnit) {
        const double described = line.metres;
        std::vector<double> rms(kSteps + 1, std::numeric_limits<double>::infinity()), ratio(kSteps + 1, 1);
        for (int i = 0; i <= kSteps; ++i) {
            line.metres = described * (kFrom + i * kStep);
            try {
                ratio[i] = ratioFromFile(model, swr, n, &rms[i], &feed);
            } catch (const Refused&) {}
        }
        line.metres = described;
        const int best = static_cast<int>(std::min_element(rms.begin(), rms.end()) - rms.begin());
        if (best == 0 || best == kSteps || !(rms[best] < kPoorFitThroughFeed / 2) ||
            !(std::fabs(ratio[best] - 1) <= kLargestTrim))
            return;
        for (int i = 0; i <= kSteps; ++i)
            if (std::fabs(i - best) * kStep > kApart + 1e-9 && !(rms[i] > 2 * rms[best])) return;
        if (!said.empty()) return;  // two parts each fitting clearly: neither is told
        // Between the grid's lengths: the vertex of the parabola through the best and its neighbours.
        const double c0 = rms[best - 1] * rms[best - 1], c1 = rms[best] * rms[best], c2 = rms[best + 1] * rms[best + 1];
        double factor = kFrom + best * kStep, fitRms = rms[best], fitRatio = ratio[best];
        if (c0 - 2 * c1 + c2 > 0) {
            line.metres = described * (factor + 0.5 * kStep * (c0 - c2) / (c0 - 2 * c1 + c2));
            try {
                double refined = 1;
                const double k = ratioFromFile(model, swr, n, &refined, &feed);
                if (refined <= fitRms) {
                    factor = line.metres / described;
                    fitRms = refined;
                    fitRatio = k;
                }
            } catch (const Refused&) {}
            line.metres = described;
        }
        said = "the file fits clearly best with " + name + " " + numberText(described * factor * toUnit, 4) + " " +
               unit + " long (described " + numberText(described * toUnit, 4) + " " + unit + ") and the antenna " +
               offWords(fitRatio) + " (" + numberText(fitRms, 2) +
               " rms): measure it, describe it as it is and trim again";
    };
    tryLength(feed.line, "each line from a gap", "mm", 1000);
    if (feed.section) tryLength(*feed.section, "the section", "mm", 1000);
    if (feed.coax) tryLength(*feed.coax, "the coax", "m", 1);
    return said;
}

// Why no cut list is given, and what to check, the likeliest first.
std::string withheld(const std::string& disagrees, const Analysis& model, const std::optional<Feed>& feed,
                     double designMhz, const TrimNames& n, const std::string& fitted) {
    std::string out = "no cut list: " + disagrees + ". Check, the likeliest first:";
    int item = 0;
    auto add = [&](const std::string& text) { out += " (" + std::to_string(++item) + ") " + text + ";"; };
    if (!feed) {
        add("the feed: the measurement is taken as made at the gap, against the line's " + numberText(model.z0, 7) +
            " ohms; if it was taken through a balun, lines or coax, describe them (" + n.balun + ", " + n.feedLine +
            "), since a feed turns the trace round the chart and no trim of the antenna undoes that");
    } else {
        std::string line = "the feed as described: measure each line";
        Feed longer = *feed;
        longer.line.metres *= 1.1;
        if (const auto k = lookalikeScale(model, *feed, longer, designMhz, n))
            line += "; on this design a line 10 % long turns the trace as the antenna " + offWords(*k) +
                    " does, so one measurement cannot tell the two apart";
        if (!fitted.empty()) line += "; " + fitted;
        add(line);
        add(std::string("the plane: the measurement is laid at the ") + planeName(feed->at) + " (" + n.at +
            "); if it was taken elsewhere, say where");
    }
    add("the analyser's or meter's calibration at that plane (open, short, load)");
    add("metal or walls near the antenna, and its mounting");
    out.back() = '.';
    return out;
}

// A length of a built piece: near the design's, or it is another antenna.
double builtLength(const std::string& text, const std::string& name, double designMm) {
    if (text.empty()) return designMm;
    const double mm = positiveSetting(text, name);
    if (!(std::fabs(mm / designMm - 1) <= kLargestTrim))
        throw Refused(name + " " + text + " mm is more than " + numberText(kLargestTrim * 100) +
                      " % from the design's " + numberText(designMm, 7) +
                      " mm: give the piece's length in mm as the tape measures it");
    return mm;
}

// A length as the report prints it in `places`, so that differences of printed lengths are exact.
double printed(double mm, int places) { return parseDouble(fixedText(mm, places)).value; }

}  // namespace

namespace {

// The check of the design with the pieces' lengths as built (the design's unless measured).
struct PreparedTrim {
    Prepared prepared;
    double builtSideMm = 0, builtHeightMm = 0;
};

PreparedTrim preparedTrim(const TrimRequest& request) {
    checkMeasurement(request.measured, request.names);
    Request check = request.check;
    check.names = request.names;
    check.settings.patternAt.clear();
    check.settings.heights.clear();
    check.measured.reset();
    PreparedTrim p{prepare(check)};
    const NecGeometry& g = p.prepared.setup.geometry;
    p.builtSideMm = builtLength(request.builtSide, request.names.builtSide, g.sideMm);
    p.builtHeightMm = builtLength(request.builtHeight, request.names.builtHeight, g.heightMm);
    return p;
}

}  // namespace

void checkTrim(const TrimRequest& request) { preparedTrim(request); }

Trim trim(const TrimRequest& request, Engine& engine) {
    const TrimNames& n = request.names;
    const PreparedTrim ready = preparedTrim(request);
    const Prepared& prepared = ready.prepared;
    SimulationSetup setup = prepared.setup;
    setup.patternMhz.clear();  // SWR is all a trim needs
    const double designMhz = setup.geometry.designMhz;

    Trim t;
    t.design = prepared.design;
    t.ground = setup.ground;
    t.feed = prepared.feed;
    t.coat = setup.coat;
    t.heightMm = setup.geometry.heightMm;
    t.sideMm = setup.geometry.sideMm;
    t.gapMm = setup.geometry.gapMm;
    const int heightPlaces = placesOf(t.design.heightMm), sidePlaces = placesOf(t.design.sideMm);
    t.builtGiven = !request.builtSide.empty() || !request.builtHeight.empty();
    t.builtSideMm = printed(ready.builtSideMm, sidePlaces);
    t.builtHeightMm = printed(ready.builtHeightMm, heightPlaces);
    const TrimMeasurement& m = request.measured;
    const Feed* feed = t.feed ? &*t.feed : nullptr;
    if (m.file && !feed && m.file->data.referenceOhms != prepared.z0)
        throw TrimWithheld("no cut list: " + m.file->name + " was taken against " +
                           numberText(m.file->data.referenceOhms, 7) + " ohms, not the line's " +
                           numberText(prepared.z0, 7) +
                           ", so it was most likely taken through a balun and lines, and no feed is described: "
                           "describe them (" +
                           n.balun + ", " + n.feedLine + ", and " + n.at +
                           " where it was taken), since a feed turns the trace round the chart and no trim of the "
                           "antenna undoes that");

    // The measurement is laid on the antenna as built, so what the cut got wrong is the model's and
    // the scale left over is the environment's: mounting, nearby metal, the model's own bias.
    SimulationSetup built = setup;
    built.geometry.heightMm = t.builtHeightMm;
    built.geometry.sideMm = t.builtSideMm;
    t.modelRun = runModel(built, prepared.z0, t.feed, engine, n);
    t.z0 = t.modelRun.z0;
    const Analysis& model = t.modelRun;
    t.model = figuresOf(model);
    if (!t.builtGiven)
        t.notes.push_back(
            "the pieces are taken to be cut to the design; if they are not, give what the side and the "
            "height measure");

    std::optional<std::string> disagrees;  // said once the ratio is known to be a trim at all
    if (m.file) {
        t.source = TrimSource::File;
        t.measuredName = m.file->name;
        const MeasuredSwr swr = measuredSwr(m.file->data, t.z0);
        const MeasuredSummary summary = summarise(swr, m.file->name, designMhz);
        t.measured = SwrFigures{summary.lowestSwr, summary.lowestMhz, summary.stretches};
        if (std::string note = referenceNote(m.file->data, t.z0); !note.empty()) t.notes.push_back(std::move(note));
        TrimNames named = n;  // refusals name the file too
        named.measuredFile += " " + m.file->name;
        try {
            t.ratio = ratioFromFile(model, swr, named, &t.fitRms, feed);
        } catch (const Refused& e) {
            if (feed) throw;
            throw Refused(std::string(e.what()) + "; if it was taken through a balun or lines, describe them (" +
                          n.balun + ", " + n.feedLine + ")");
        }
        t.notes.push_back(
            "the scale that best lays the file's reflection coefficient on the model's over the model's "
            "2:1 stretch; they differ by " +
            numberText(t.fitRms, 2) + " rms there");
        const double poorFit = feed ? kPoorFitThroughFeed : kPoorFit;
        if (t.fitRms > poorFit)
            disagrees =
                withheld("the file's curve differs from the model's in shape, not only in place (" +
                             numberText(t.fitRms, 2) + " rms at the best scale, more than " + numberText(poorFit) + ")",
                         model, t.feed, designMhz, named, feed ? jointFit(model, swr, named, *t.feed) : "");
    } else if (m.dipMhz > 0) {
        t.source = TrimSource::Dip;
        t.dipMhz = m.dipMhz;
        t.ratio = ratioFromDip(model, m.dipMhz, n, feed, designMhz);
        const auto [flatFrom, flatTo] = flatStretch(model, kFlatWithin);
        t.notes.push_back(
            "from the dip alone, which on this antenna is flat: the model's SWR stays within 0.01 of its "
            "lowest from about " +
            mhzFigure(flatFrom) + " to " + mhzFigure(flatTo) +
            " MHz, so an "
            "SWR meter's dip may sit anywhere in it; the two 2:1 edges or an analyser's file give a "
            "better scale");
    } else {
        t.source = TrimSource::Edges;
        t.lowEdgeMhz = m.lowEdgeMhz;
        t.highEdgeMhz = m.highEdgeMhz;
        double lowRatio = 1, highRatio = 1;
        t.ratio = ratioFromEdges(model, m.lowEdgeMhz, m.highEdgeMhz, n, feed, designMhz, &lowRatio, &highRatio);
        t.notes.push_back("from both 2:1 edges: the lower gives " + fixedText(lowRatio, 4) + ", the higher " +
                          fixedText(highRatio, 4));
        if (std::fabs(highRatio / lowRatio - 1) > kEdgesApart)
            disagrees =
                withheld(std::string("the measured 2:1 stretch is ") + (highRatio > lowRatio ? "wider" : "narrower") +
                             " than the model's by " + fixedText(std::fabs(highRatio / lowRatio - 1) * 100, 1) +
                             " % (the lower edge gives " + fixedText(lowRatio, 4) + ", the higher " +
                             fixedText(highRatio, 4) + ")",
                         model, t.feed, designMhz, n, "");
    }
    if (!(std::fabs(t.ratio - 1) <= kLargestTrim))
        throw Refused("the measurement puts the antenna " + fixedText(std::fabs(percent(1 / t.ratio)), 1) + " % " +
                      (t.ratio < 1 ? "long" : "short") + " (ratio " + fixedText(t.ratio, 3) + "), beyond " +
                      numberText(kLargestTrim * 100) +
                      " %: this is not a trim: check the design frequency and the conductor");
    if (disagrees) throw TrimWithheld(*disagrees);

    // Each piece's target is the design's length times the scale; the cut is what is built less it.
    t.newHeightMm = printed(t.heightMm * t.ratio, heightPlaces);
    t.newSideMm = printed(t.sideMm * t.ratio, sidePlaces);
    const int sides = setup.geometry.sides;
    // A vertical is a half: it has one more place than the height and the gap, as the sheet writes it.
    const int verticalPlaces = std::max(heightPlaces, placesOf(t.design.gapMm)) + 1;
    t.pieces = {{"side", 2 * sides, t.builtSideMm, t.newSideMm, sidePlaces},
                {"vertical", 2 * sides, printed((t.builtHeightMm - t.gapMm) / 2, verticalPlaces),
                 printed((t.newHeightMm - t.gapMm) / 2, verticalPlaces), verticalPlaces}};

    SimulationSetup trimmed = setup;
    trimmed.geometry.heightMm = t.newHeightMm;
    trimmed.geometry.sideMm = t.newSideMm;
    t.trimmedRun = runModel(trimmed, prepared.z0, t.feed, engine, n);
    t.trimmed = figuresOf(t.trimmedRun);
    // The built antenna after the trim shows the trimmed model with the scale the environment gave
    // the measurement; the lines to the rig keep their length.
    t.expectedRun = scaledAntenna(t.trimmedRun, t.ratio, feed, designMhz);
    t.expected = figuresOf(t.expectedRun);
    return t;
}

DesignTexts trimmedDesign(const DesignTexts& shown, const Trim& t) {
    constexpr double kMmPerInch = 25.4;
    DesignTexts trimmed = shown;
    trimmed.heightMm = doubleToText(roundPlaces(t.newHeightMm, 3));
    trimmed.heightInch = doubleToText(roundPlaces(t.newHeightMm / kMmPerInch, 3));
    trimmed.sideMm = singleToText(roundPlaces(static_cast<float>(t.newSideMm), 3));
    trimmed.sideInch = doubleToText(roundPlaces(static_cast<double>(static_cast<float>(t.newSideMm)) / kMmPerInch, 3));
    return trimmed;
}

DesignTexts builtDesign(const Trim& t) {
    DesignTexts built = t.design;
    if (!t.builtGiven) return built;
    built.heightMm = fixedText(t.builtHeightMm, placesOf(t.design.heightMm));
    built.sideMm = fixedText(t.builtSideMm, placesOf(t.design.sideMm));
    return built;
}

}  // namespace brimalox::nec
