#include "nec/trim.h"

#include <algorithm>
#include <cmath>

#include "nec/error.h"
#include "nec/simulate.h"
#include "nec/simulation.h"

namespace brimalox::nec {
namespace {

// Beyond this the antenna is not a trim away from its design: another frequency or conductor.
constexpr double kLargestTrim = 0.20;
// The scales a file is fitted over: a little beyond the largest trim, so that a fit past it is
// told as such rather than stopped at the limit.
constexpr double kFitFrom = 0.75, kFitTo = 1.25, kFitStep = 0.0005;
constexpr int kFitPoints = 201;
// A file's minimum is clear when its reflection coefficient rises by this much on both sides of it.
constexpr double kClearRise = 0.1;
// The dip of this antenna is flat: its frequency alone is worth a word of warning.
constexpr double kFlatWithin = 0.01;
// The two typed edges scale apart by more than this: the curve's width differs from the model's.
constexpr double kEdgesApart = 0.02;
// A fitted file whose reflection coefficient stays this far from the model's (rms) has another shape.
constexpr double kPoorFit = 0.05;
// Through a described feed a file that fits worse than this may be taken through lines of another
// length, whose phase a scale of the antenna partly absorbs: each length is tried.
constexpr double kFeedSuspect = 0.01;

// |reflection coefficient|: bounded, so a far-off SWR of 50 weighs no more than one of 5 in a fit.
double gammaOf(double swr) { return std::isfinite(swr) ? (swr - 1) / (swr + 1) : 1.0; }

// Linear between the points, which are in frequency order; mhz must lie within them.
double gammaAt(const std::vector<std::pair<double, double>>& points, double mhz) {
    auto above = std::lower_bound(points.begin(), points.end(), mhz,
                                  [](const std::pair<double, double>& p, double f) { return p.first < f; });
    if (above == points.begin()) return gammaOf(above->second);
    if (above == points.end()) return gammaOf(points.back().second);
    const auto below = above - 1;
    const double t = (mhz - below->first) / (above->first - below->first);
    return gammaOf(below->second) + t * (gammaOf(above->second) - gammaOf(below->second));
}

std::vector<std::pair<double, double>> pointsOf(const Analysis& a) {
    std::vector<std::pair<double, double>> points;
    for (const SweepRow& row : a.rows)
        points.push_back({row.mhz, row.swr});
    return points;
}

// Gap 1's impedance between the model's samples, linear in frequency.
std::complex<double> gapOhmsAt(const Analysis& a, double mhz) {
    const auto& rows = a.rows;
    auto above = std::lower_bound(rows.begin(), rows.end(), mhz, [](const SweepRow& r, double f) { return r.mhz < f; });
    if (above == rows.begin()) return above->feeds.front().ohms;
    if (above == rows.end()) return rows.back().feeds.front().ohms;
    const auto below = above - 1;
    const double t = (mhz - below->mhz) / (above->mhz - below->mhz);
    return below->feeds.front().ohms + t * (above->feeds.front().ohms - below->feeds.front().ohms);
}

// The model's 2:1 stretch around its lowest SWR, closed at both ends.
const Below2& modelStretch(const Analysis& model, const TrimNames& n) {
    if (!model.below2)
        throw NecError(
            "the model's SWR does not drop below 2:1 anywhere in the sweep: there is no curve to lay the "
            "measurement on");
    if (model.below2->openBelow || model.below2->openAbove)
        throw Refused("the model's SWR is still below 2:1 at the " +
                      std::string(model.below2->openBelow ? "start" : "end") + " of the sweep: widen it with " +
                      n.from + " and " + n.to + " so that both of the model's 2:1 edges are in it");
    return *model.below2;
}

double percent(double ratio) { return (ratio - 1) * 100; }

SwrFigures figuresOf(const Analysis& a) {
    SwrFigures f;
    f.lowestSwr = a.lowestSwr;
    f.lowestMhz = a.lowestMhz;
    f.stretches = a.stretches;
    return f;
}

Analysis runModel(const SimulationSetup& setup, double z0, const std::optional<Feed>& feed, Engine& engine,
                  const SettingNames& names) {
    PreparedDeck deck;
    try {
        deck = prepareDeck(setup, names);
    } catch (const Refused&) {
        throw;
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    Analysis a = runSimulation(deck, z0, engine);
    if (!a.failures.empty()) throw NecError("the model failed: " + a.failures.front());
    if (a.rows.empty()) throw NecError("the model gave no SWR in the sweep");
    if (feed) applyFeed(a, *feed, setup.geometry.designMhz);
    return a;
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

// The feed part whose length, if it is off, best explains a file whose shape differs from the
// model's: a line's length turns the trace round the chart, which no scale of the antenna undoes.
// Each length is tried from 0.7 to 1.3 times as described; empty when none fits twice as well.
std::string likeliestCause(const Analysis& model, const MeasuredSwr& swr, const TrimNames& n, Feed feed, double rms) {
    std::string best;
    double bestRms = rms / 2;
    auto tryLength = [&](Line& line, const std::string& name, const std::string& unit, double scale) {
        const double described = line.metres;
        for (double factor = 0.7; factor < 1.3001; factor += 0.05) {
            if (std::abs(factor - 1) < 1e-9) continue;
            line.metres = described * factor;
            double fit = 0;
            try {
                ratioFromFile(model, swr, n, &fit, &feed);
            } catch (const Refused&) {
                continue;
            }
            if (fit < bestRms) {
                bestRms = fit;
                best = "the likeliest cause is the length of " + name + ", " + numberText(described * scale, 4) + " " +
                       unit + " as described: at " + numberText(line.metres * scale, 4) + " " + unit +
                       " the file's shape fits the model's (" + numberText(fit, 2) +
                       " rms); a line of another length turns the trace round the chart, which no trim of the "
                       "antenna undoes";
            }
        }
        line.metres = described;
    };
    tryLength(feed.line, "each line from a gap", "mm", 1000);
    if (feed.section) tryLength(*feed.section, "the section", "mm", 1000);
    if (feed.coax) tryLength(*feed.coax, "the coax", "m", 1);
    return best;
}

}  // namespace

std::pair<double, double> flatStretch(const Analysis& a, double within) {
    const double limit = a.lowestSwr + within;
    if (a.rows[a.lowest].swr > limit) return {a.lowestMhz, a.lowestMhz};  // a dip sharper than the samples
    auto crossing = [&](std::size_t inside, std::size_t outside) {
        const SweepRow &in = a.rows[inside], &out = a.rows[outside];
        if (!std::isfinite(out.swr)) return in.mhz;
        return in.mhz + (limit - in.swr) / (out.swr - in.swr) * (out.mhz - in.mhz);
    };
    std::size_t lo = a.lowest, hi = a.lowest;
    while (lo > 0 && a.rows[lo - 1].swr <= limit)
        --lo;
    while (hi + 1 < a.rows.size() && a.rows[hi + 1].swr <= limit)
        ++hi;
    return {lo > 0 ? crossing(lo, lo - 1) : a.rows[lo].mhz,
            hi + 1 < a.rows.size() ? crossing(hi, hi + 1) : a.rows[hi].mhz};
}

double ratioFromFile(const Analysis& model, const MeasuredSwr& measured, const TrimNames& n, double* rms,
                     const Feed* feed) {
    const Below2& stretch = modelStretch(model, n);
    const auto& m = measured.points;
    if (m.size() < 3) throw Refused(n.measuredFile + " holds too few frequencies for a curve to fit");
    const double from = std::max(kFitFrom, m.front().first / stretch.fromMhz);
    const double to = std::min(kFitTo, m.back().first / stretch.toMhz);
    if (from > to)
        throw Refused(n.measuredFile + " covers " + numberText(m.front().first, 5) + " to " +
                      numberText(m.back().first, 5) + " MHz, too little to hold the model's 2:1 stretch (" +
                      numberText(stretch.fromMhz, 5) + " to " + numberText(stretch.toMhz, 5) +
                      " MHz) at any scale: measure over a wider range");
    std::size_t low = 0;
    for (std::size_t i = 1; i < m.size(); ++i)
        if (gammaOf(m[i].second) < gammaOf(m[low].second)) low = i;
    const double lowest = gammaOf(m[low].second);
    double riseBelow = 0, riseAbove = 0;
    for (std::size_t i = 0; i < m.size(); ++i)
        (i < low ? riseBelow : riseAbove) = std::max(i < low ? riseBelow : riseAbove, gammaOf(m[i].second) - lowest);
    if (low == 0 || low + 1 == m.size() || riseBelow < kClearRise || riseAbove < kClearRise)
        throw Refused(n.measuredFile + " has no clear minimum: its lowest SWR, " + fixedText(m[low].second, 2) +
                      " at " + numberText(m[low].first, 5) + " MHz, " +
                      (low == 0 || low + 1 == m.size() ? std::string("is at the end of its frequencies")
                                                       : std::string("hardly rises on one side")) +
                      "; measure from well below the dip to well above it");

    // The model's reflection coefficient over its 2:1 stretch, and the file's at those frequencies
    // times each scale: the scale whose curve lies closest is the measured-over-model ratio.
    std::vector<double> mhz(kFitPoints), modelGamma(kFitPoints);
    std::vector<std::complex<double>> gapOhms(kFitPoints);
    const auto modelPoints = pointsOf(model);
    for (int j = 0; j < kFitPoints; ++j) {
        mhz[j] = stretch.fromMhz + (stretch.toMhz - stretch.fromMhz) * j / (kFitPoints - 1);
        modelGamma[j] = gammaAt(modelPoints, mhz[j]);
        if (feed) gapOhms[j] = gapOhmsAt(model, mhz[j]);
    }
    // The model's |reflection coefficient| at the plane of the file, for an antenna scaled by 1 / k.
    auto modelAt = [&](int j, double k) {
        if (!feed) return modelGamma[j];
        const double reference = referenceOhms(*feed, feed->at);
        const FeedPlanes planes = carry(*feed, k * mhz[j], gapOhms[j]);
        const std::complex<double> z = feed->at == Plane::Gap        ? gapOhms[j]
                                       : feed->at == Plane::Junction ? planes.junction
                                                                     : planes.rig;
        return gammaOf(swr(z, reference));
    };
    auto cost = [&](double k) {
        double sum = 0;
        for (int j = 0; j < kFitPoints; ++j) {
            const double d = gammaAt(m, k * mhz[j]) - modelAt(j, k);
            sum += d * d;
        }
        return sum / kFitPoints;
    };
    const int steps = static_cast<int>(std::floor((to - from) / kFitStep));
    std::vector<double> costs(steps + 1);
    int best = 0;
    for (int i = 0; i <= steps; ++i) {
        costs[i] = cost(from + i * kFitStep);
        if (costs[i] < costs[best]) best = i;
    }
    double k = from + best * kFitStep;
    const bool atLimit = best == 0 || best == steps;
    if (atLimit && !((best == 0 && from == kFitFrom) || (best == steps && to == kFitTo)))
        throw Refused(n.measuredFile + " ends (" + numberText(m.front().first, 5) + " to " +
                      numberText(m.back().first, 5) + " MHz) before the best fit is found: measure over a wider range");
    if (!atLimit) {
        // Between the grid's scales: the vertex of the parabola through the best and its neighbours.
        const double c0 = costs[best - 1], c1 = costs[best], c2 = costs[best + 1];
        const double curvature = c0 - 2 * c1 + c2;
        if (curvature > 0) k += 0.5 * kFitStep * (c0 - c2) / curvature;
    }
    if (rms) *rms = std::sqrt(std::max(0.0, cost(k)));
    return k;
}

double ratioFromEdges(const Analysis& model, double lowMhz, double highMhz, const TrimNames& n) {
    if (!(lowMhz > 0) || !(highMhz > lowMhz))
        throw Refused(n.measuredEdges +
                      " needs the lower 2:1 crossing first and the higher second, both positive, not " +
                      numberText(lowMhz) + " and " + numberText(highMhz) + " MHz");
    const Below2& stretch = modelStretch(model, n);
    // Each edge on its own gives the scale; their geometric mean weighs them alike.
    return std::sqrt(lowMhz / stretch.fromMhz * (highMhz / stretch.toMhz));
}

double ratioFromDip(const Analysis& model, double dipMhz, const TrimNames& n) {
    const double from = model.rows.front().mhz, to = model.rows.back().mhz;
    if (!(dipMhz >= from && dipMhz <= to))
        throw Refused(n.measuredDip + " " + numberText(dipMhz) + " MHz is outside the swept range, " +
                      numberText(from, 5) + " to " + numberText(to, 5) +
                      " MHz: check the frequency, or sweep over it with " + n.from + " and " + n.to);
    if (model.lowest == 0 || model.lowest + 1 == model.rows.size())
        throw Refused(
            "the model's lowest SWR is at the end of the sweep, so its dip is not known: widen the sweep with " +
            n.from + " and " + n.to);
    return dipMhz / model.lowestMhz;
}

Shortening shortening(const SimulationSetup& insulated, double z0, Engine& engine, const SettingNames& names) {
    SimulationSetup coated = insulated;
    coated.sweep = defaultSweep(coated.geometry.designMhz);
    coated.moreSweeps.clear();
    coated.patternMhz.clear();
    SimulationSetup bare = coated;
    bare.coat.reset();
    const Analysis bareRun = runModel(bare, z0, std::nullopt, engine, names);
    TrimNames n;
    static_cast<SettingNames&>(n) = names;
    n.measuredFile = "the insulated model's SWR";
    auto ratioOf = [&](const SimulationSetup& setup, double* rms) {
        const Analysis run = runModel(setup, z0, std::nullopt, engine, names);
        // To a billionth: the page's arithmetic and the command line's print the same digits.
        return std::round(ratioFromFile(bareRun, MeasuredSwr{pointsOf(run)}, n, rms) * 1e9) / 1e9;
    };
    Shortening s;
    s.ratio = ratioOf(coated, &s.fitRms);
    s.fitRms = std::round(s.fitRms * 1e9) / 1e9;
    s.newHeightMm = std::round(coated.geometry.heightMm * s.ratio * 1e9) / 1e9;
    s.newSideMm = std::round(coated.geometry.sideMm * s.ratio * 1e9) / 1e9;
    coated.geometry.heightMm = s.newHeightMm;
    coated.geometry.sideMm = s.newSideMm;
    s.checkRatio = ratioOf(coated, nullptr);
    return s;
}

Trim trim(const TrimRequest& request, Engine& engine) {
    const TrimNames& n = request.names;
    checkMeasurement(request.measured, n);
    Request check = request.check;
    check.names = n;
    check.settings.patternAt.clear();
    check.settings.heights.clear();
    check.measured.reset();
    const Prepared prepared = prepare(check);
    SimulationSetup setup = prepared.setup;
    setup.patternMhz.clear();  // SWR is all a trim needs

    Trim t;
    t.design = prepared.design;
    t.ground = setup.ground;
    t.feed = prepared.feed;
    t.coat = setup.coat;
    t.heightMm = setup.geometry.heightMm;
    t.sideMm = setup.geometry.sideMm;
    t.gapMm = setup.geometry.gapMm;
    t.modelRun = runModel(setup, prepared.z0, t.feed, engine, n);
    t.z0 = t.modelRun.z0;
    const Analysis& model = t.modelRun;
    t.model = figuresOf(model);

    const TrimMeasurement& m = request.measured;
    if (m.file) {
        t.source = TrimSource::File;
        t.measuredName = m.file->name;
        const MeasuredSwr swr = measuredSwr(m.file->data, t.z0);
        const MeasuredSummary summary = summarise(swr, m.file->name, setup.geometry.designMhz);
        t.measured = SwrFigures{summary.lowestSwr, summary.lowestMhz, summary.stretches};
        if (std::string note = referenceNote(m.file->data, t.z0); !note.empty()) t.notes.push_back(std::move(note));
        TrimNames named = n;  // refusals name the file too
        named.measuredFile += " " + m.file->name;
        t.ratio = ratioFromFile(model, swr, named, &t.fitRms, t.feed ? &*t.feed : nullptr);
        t.notes.push_back(
            "the scale that best lays the file's reflection coefficient on the model's over the model's "
            "2:1 stretch; they differ by " +
            numberText(t.fitRms, 2) + " rms there");
        if (t.fitRms > kPoorFit)
            t.notes.push_back(
                "the file's curve differs from the model's in shape, not only in place: more than lengths "
                "differ (the feed line, the match, the ground or the calibration); the scale is the best "
                "fit, but check it against the 2:1 edges");
        if (t.fitRms > kFeedSuspect && t.feed) {
            const std::string cause = likeliestCause(model, swr, named, *t.feed, t.fitRms);
            if (!cause.empty()) t.notes.push_back(cause);
        }
    } else if (m.dipMhz > 0) {
        t.source = TrimSource::Dip;
        t.dipMhz = m.dipMhz;
        t.ratio = ratioFromDip(model, m.dipMhz, n);
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
        t.ratio = ratioFromEdges(model, m.lowEdgeMhz, m.highEdgeMhz, n);
        const Below2& stretch = *model.below2;
        const double lowRatio = m.lowEdgeMhz / stretch.fromMhz, highRatio = m.highEdgeMhz / stretch.toMhz;
        t.notes.push_back("from both 2:1 edges: the lower gives " + fixedText(lowRatio, 4) + ", the higher " +
                          fixedText(highRatio, 4));
        if (std::fabs(highRatio / lowRatio - 1) > kEdgesApart)
            t.notes.push_back(std::string("the measured 2:1 stretch is ") +
                              (highRatio > lowRatio ? "wider" : "narrower") + " than the model's by " +
                              fixedText(std::fabs(highRatio / lowRatio - 1) * 100, 1) +
                              " %: more than lengths differ (the feed line, the match, the ground or the meter); the "
                              "scale is the edges' mean");
    }
    if (!(std::fabs(t.ratio - 1) <= kLargestTrim))
        throw Refused("the measurement puts the antenna " + fixedText(std::fabs(percent(1 / t.ratio)), 1) + " % " +
                      (t.ratio < 1 ? "long" : "short") + " (ratio " + fixedText(t.ratio, 3) + "), beyond " +
                      numberText(kLargestTrim * 100) +
                      " %: this is not a trim: check the design frequency and the conductor");

    t.newHeightMm = t.heightMm * t.ratio;
    t.newSideMm = t.sideMm * t.ratio;
    const int sides = setup.geometry.sides;
    t.pieces = {{"side", 2 * sides, t.sideMm, t.newSideMm},
                {"vertical", 2 * sides, (t.heightMm - t.gapMm) / 2, (t.newHeightMm - t.gapMm) / 2}};

    SimulationSetup trimmed = setup;
    trimmed.geometry.heightMm = t.newHeightMm;
    trimmed.geometry.sideMm = t.newSideMm;
    t.trimmedRun = runModel(trimmed, prepared.z0, t.feed, engine, n);
    t.trimmed = figuresOf(t.trimmedRun);
    return t;
}

}  // namespace brimalox::nec
