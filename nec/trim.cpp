#include "nec/trim.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "nec/error.h"
#include "nec/simulate.h"
#include "nec/simulation.h"
#include "numtext/numtext.h"

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
// Through a feed, less: a line's length turns the trace as a scale of the antenna does, and the
// scale absorbs most of it (on the 146 MHz design lines 5 % off fit to 0.011 rms and move the scale
// by 1.4 %); an analyser's 3 % of noise leaves about 0.007.
constexpr double kPoorFitThroughFeed = 0.015;

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

// The coat's lengths are taken as found when a check run at them is this close to the bare curve.
constexpr double kCoatFixedPoint = 0.0005;
constexpr int kMostCoatRuns = 4;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The scale within the fit's range at which value(k) reaches target: the first crossing on a coarse
// grid, then halved down to the last bit. value is NaN where the scaled curve has no such point;
// NaN when no scale reaches it.
double scaleWhere(const std::function<double(double)>& value, double target) {
    constexpr int kCoarse = 100;
    double lowK = kFitFrom, lowValue = value(lowK);
    for (int i = 1; i <= kCoarse; ++i) {
        const double k = kFitFrom + (kFitTo - kFitFrom) * i / kCoarse;
        const double v = value(k);
        if (std::isfinite(lowValue) && std::isfinite(v) && (lowValue - target) * (v - target) <= 0) {
            double highK = k;
            for (int j = 0; j < 60 && highK - lowK > 1e-12; ++j) {
                const double mid = (lowK + highK) / 2, atMid = value(mid);
                if (!std::isfinite(atMid)) break;
                if ((lowValue - target) * (atMid - target) <= 0) {
                    highK = mid;
                } else {
                    lowK = mid;
                    lowValue = atMid;
                }
            }
            return (lowK + highK) / 2;
        }
        lowK = k;
        lowValue = v;
    }
    return kNaN;
}

bool closed(const Analysis& a) { return a.below2 && !a.below2->openBelow && !a.below2->openAbove; }

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

// How far off an antenna of ratio k is, in words: "3.0 % long".
std::string offWords(double k) { return fixedText(std::fabs(1 / k - 1) * 100, 1) + " % " + (k < 1 ? "long" : "short"); }

MeasuredSwr swrOf(const Analysis& a) { return MeasuredSwr{pointsOf(a)}; }

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

Analysis scaledAntenna(const Analysis& model, double k, const Feed* feed, double designMhz) {
    std::vector<SweepRow> rows = model.rows;
    for (SweepRow& row : rows)
        row.mhz *= k;
    Analysis a = rangesOf(std::move(rows), model.z0, designMhz);
    if (feed) applyFeed(a, *feed, designMhz);
    return a;
}

double ratioFromEdges(const Analysis& model, double lowMhz, double highMhz, const TrimNames& n, const Feed* feed,
                      double designMhz, double* lowScale, double* highScale) {
    if (!(lowMhz > 0) || !(highMhz > lowMhz))
        throw Refused(n.measuredEdges +
                      " needs the lower 2:1 crossing first and the higher second, both positive, not " +
                      numberText(lowMhz) + " and " + numberText(highMhz) + " MHz");
    const Below2& stretch = modelStretch(model, n);
    double low = lowMhz / stretch.fromMhz, high = highMhz / stretch.toMhz;
    if (feed) {
        // The lines keep their length when the antenna is scaled, so the curve at the rig changes its
        // shape too: each edge is found on the scaled antenna carried through the feed.
        auto edge = [&](bool upper) {
            return [&model, feed, designMhz, upper](double k) {
                const Analysis a = scaledAntenna(model, k, feed, designMhz);
                return closed(a) ? (upper ? a.below2->toMhz : a.below2->fromMhz) : kNaN;
            };
        };
        low = scaleWhere(edge(false), lowMhz);
        high = scaleWhere(edge(true), highMhz);
        if (!std::isfinite(low) || !std::isfinite(high))
            throw Refused(n.measuredEdges + " " + numberText(lowMhz, 5) + ":" + numberText(highMhz, 5) +
                          " MHz: no antenna within " + numberText(std::round((1 - kFitFrom) * 100)) +
                          " % of the design crosses 2:1 there through the feed as described: check the readings "
                          "and the feed");
    }
    if (lowScale) *lowScale = low;
    if (highScale) *highScale = high;
    // Each edge on its own gives the scale; their geometric mean weighs them alike.
    return std::sqrt(low * high);
}

double ratioFromDip(const Analysis& model, double dipMhz, const TrimNames& n, const Feed* feed, double designMhz) {
    const double from = model.rows.front().mhz, to = model.rows.back().mhz;
    if (!(dipMhz >= from && dipMhz <= to))
        throw Refused(n.measuredDip + " " + numberText(dipMhz) + " MHz is outside the swept range, " +
                      numberText(from, 5) + " to " + numberText(to, 5) +
                      " MHz: check the frequency, or sweep over it with " + n.from + " and " + n.to);
    if (model.lowest == 0 || model.lowest + 1 == model.rows.size())
        throw Refused(
            "the model's lowest SWR is at the end of the sweep, so its dip is not known: widen the sweep with " +
            n.from + " and " + n.to);
    if (!feed) return dipMhz / model.lowestMhz;
    const double k = scaleWhere(
        [&](double scale) {
            const Analysis a = scaledAntenna(model, scale, feed, designMhz);
            return a.lowest == 0 || a.lowest + 1 == a.rows.size() ? kNaN : a.lowestMhz;
        },
        dipMhz);
    if (!std::isfinite(k))
        throw Refused(n.measuredDip + " " + numberText(dipMhz, 5) + " MHz: no antenna within " +
                      numberText(std::round((1 - kFitFrom) * 100)) +
                      " % of the design dips there through the feed as described: check the reading and the feed");
    return k;
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
    s.beyondModel = coated.coat && coatRadiusRatio(*coated.coat, coated.geometry.conductorMm) > kCoatModelHolds;
    // The coat does not scale with the antenna and the gap stays, so the scaled design lies a
    // little off the bare curve again: the scale is corrected by what each check run still shows
    // until the lengths are a fixed point.
    const NecGeometry design = coated.geometry;
    for (s.runs = 1;; ++s.runs) {
        s.newHeightMm = std::round(design.heightMm * s.ratio * 1e9) / 1e9;
        s.newSideMm = std::round(design.sideMm * s.ratio * 1e9) / 1e9;
        coated.geometry.heightMm = s.newHeightMm;
        coated.geometry.sideMm = s.newSideMm;
        s.checkRatio = ratioOf(coated, nullptr);
        if (std::fabs(s.checkRatio - 1) <= kCoatFixedPoint || s.runs == kMostCoatRuns) break;
        s.ratio = std::round(s.ratio * s.checkRatio * 1e9) / 1e9;
    }
    return s;
}

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

}  // namespace brimalox::nec
