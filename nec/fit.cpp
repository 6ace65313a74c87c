#include "nec/fit.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "nec/error.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

// The scales a file is fitted over: a little beyond the largest trim, so that a fit past it is
// told as such rather than stopped at the limit.
constexpr double kFitFrom = 0.75, kFitTo = 1.25, kFitStep = 0.0005;
constexpr int kFitPoints = 201;
// A file's minimum is clear when its reflection coefficient rises by this much on both sides of it.
constexpr double kClearRise = 0.1;
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

}  // namespace

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

MeasuredSwr swrOf(const Analysis& a) { return MeasuredSwr{pointsOf(a)}; }

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

}  // namespace brimalox::nec
