#include "nec/analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "nec/deck.h"
#include "nec/error.h"

namespace brimalox::nec {
namespace {

constexpr double kLimit = 2.0;
constexpr double kNoGain = -999.0;  // nec2c prints -999.99 for a direction with no field at all
constexpr double kAverageTolerance = 0.02;
constexpr double kNearLowest = 0.05;  // SWR within this of the lowest: where the minimum is soft
constexpr double kLobeDb = 3;         // the lobe's edges: this far below its maximum
constexpr int kMaxCutPoints = 2000;
constexpr double kFieldOffsetDb =
    0.5;  // samples this near a cut's top set its fields' dB scale   // directions of a fine cut: a wider one takes coarser steps

// Frequency where the SWR line between two samples crosses limit.
double crossing(const SweepRow& a, const SweepRow& b, double limit) {
    if (!std::isfinite(a.swr) || !std::isfinite(b.swr) || a.swr == b.swr) return std::isfinite(a.swr) ? a.mhz : b.mhz;
    return a.mhz + (limit - a.swr) / (b.swr - a.swr) * (b.mhz - a.mhz);
}

Below2 stretch(const std::vector<SweepRow>& rows, std::size_t first, std::size_t last, double limit) {
    Below2 band;
    band.openBelow = first == 0;
    band.openAbove = last + 1 == rows.size();
    band.fromMhz = band.openBelow ? rows[first].mhz : crossing(rows[first - 1], rows[first], limit);
    band.toMhz = band.openAbove ? rows[last].mhz : crossing(rows[last], rows[last + 1], limit);
    return band;
}

// |reflection coefficient| squared: smooth in frequency through a match, where the SWR and |G|
// itself have a sharp V, so a parabola through three samples finds the bottom between them.
double gammaSquared(double swr) {
    const double gamma = (swr - 1) / (swr + 1);
    return gamma * gamma;
}

// The lowest SWR between the samples: the vertex of the parabola in |G| squared through the lowest
// sample and its neighbours; the lowest sample itself at an end of the sweep or where the three do
// not bend upwards.
void findLowest(Analysis& analysis) {
    const auto& rows = analysis.rows;
    const std::size_t i = analysis.lowest;
    analysis.lowestSwr = rows[i].swr;
    analysis.lowestMhz = rows[i].mhz;
    if (i == 0 || i + 1 >= rows.size() || !std::isfinite(rows[i - 1].swr) || !std::isfinite(rows[i + 1].swr)) return;
    const double x0 = rows[i - 1].mhz, x1 = rows[i].mhz, x2 = rows[i + 1].mhz;
    const double y0 = gammaSquared(rows[i - 1].swr), y1 = gammaSquared(rows[i].swr), y2 = gammaSquared(rows[i + 1].swr);
    // y = y1 + b (x - x1) + c (x - x1)^2 through the three points.
    const double s0 = (y1 - y0) / (x1 - x0), s2 = (y2 - y1) / (x2 - x1);
    const double c = (s2 - s0) / (x2 - x0);
    if (!(c > 0)) return;
    const double b = s0 + c * (x1 - x0);
    const double at = std::clamp(x1 - b / (2 * c), x0, x2);
    const double g2 = std::max(0.0, y1 + b * (at - x1) + c * (at - x1) * (at - x1));
    if (g2 >= y1) return;
    const double gamma = std::sqrt(g2);
    analysis.lowestSwr = (1 + gamma) / (1 - gamma);
    analysis.lowestMhz = at;
}

void findRanges(Analysis& analysis, double designMhz) {
    const auto& rows = analysis.rows;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].swr < rows[analysis.lowest].swr) analysis.lowest = i;
    findLowest(analysis);

    // The stretch around the lowest SWR within kNearLowest of it, ends interpolated.
    const double best = analysis.lowestSwr;
    if (std::isfinite(best)) {
        const double level = best + kNearLowest;
        auto at = [&](std::size_t inside, std::size_t outside) {
            const SweepRow &a = rows[inside], &b = rows[outside];
            if (!std::isfinite(b.swr)) return a.mhz;
            return a.mhz + (level - a.swr) / (b.swr - a.swr) * (b.mhz - a.mhz);
        };
        std::size_t low = analysis.lowest, high = analysis.lowest;
        while (low > 0 && rows[low - 1].swr <= level)
            --low;
        while (high + 1 < rows.size() && rows[high + 1].swr <= level)
            ++high;
        NearLowest near;
        near.fromMhz = low == 0 ? rows[0].mhz : at(low, low - 1);
        near.toMhz = high + 1 == rows.size() ? rows[high].mhz : at(high, high + 1);
        near.openBelow = low == 0;
        near.openAbove = high + 1 == rows.size();
        // A dip sharper than the samples: only its bottom is within.
        if (rows[analysis.lowest].swr > level) near = {analysis.lowestMhz, analysis.lowestMhz, false, false};
        analysis.nearLowest = near;
    }

    analysis.stretches = stretchesBelow(rows, kLimit);
    const double lowestMhz = rows[analysis.lowest].mhz;
    for (const Below2& b : analysis.stretches)
        if (b.fromMhz <= lowestMhz && lowestMhz <= b.toMhz) analysis.below2 = b;
    // The stretch holding the design frequency first, the others in frequency order.
    std::stable_partition(analysis.stretches.begin(), analysis.stretches.end(),
                          [designMhz](const Below2& b) { return b.fromMhz <= designMhz && designMhz <= b.toMhz; });
}

std::string mhzWords(double mhz) { return numberText(mhz, 7) + " MHz"; }

// A sample of an elevation cut: its elevation above the horizon and its gains.
struct CutSample {
    double elevationDeg = 0, totalDbi = 0, verticalDbi = 0, horizontalDbi = 0;
};

// The maximum, the take-off angle and the -3 dB edges of the lobe whose strongest sample is
// cut[peak] (the cut in elevation order).
void lobeFigures(PatternFigures& f, const std::vector<CutSample>& cut, std::size_t peak, bool freeSpace) {
    const CutSample& top = cut[peak];
    f.maxDbi = top.totalDbi;
    f.takeoffDeg = top.elevationDeg;
    f.verticalDbi = top.verticalDbi;
    f.horizontalDbi = top.horizontalDbi;
    // The -3 dB lobe around the take-off angle, edges interpolated in dB between samples.
    const double level = f.maxDbi - kLobeDb;
    auto edge = [&](std::size_t inside, std::size_t outside) {
        const CutSample &a = cut[inside], &b = cut[outside];
        return a.totalDbi == b.totalDbi ? a.elevationDeg
                                        : a.elevationDeg + (level - a.totalDbi) / (b.totalDbi - a.totalDbi) *
                                                               (b.elevationDeg - a.elevationDeg);
    };
    std::size_t low = peak, high = peak;
    while (low > 0 && cut[low - 1].totalDbi >= level)
        --low;
    while (high + 1 < cut.size() && cut[high + 1].totalDbi >= level)
        ++high;
    f.openLow = low == 0;
    f.openHigh = high + 1 == cut.size();
    f.lowEdgeDeg = f.openLow ? cut[low].elevationDeg : edge(low, low - 1);
    f.highEdgeDeg = f.openHigh ? cut[high].elevationDeg : edge(high, high + 1);
    f.beamwidthDeg = f.highEdgeDeg - f.lowEdgeDeg;
    if (freeSpace && f.openLow) {  // the same lobe below the horizon
        f.beamwidthDeg = 2 * f.highEdgeDeg;
        f.lowEdgeDeg = -f.highEdgeDeg;
        f.openLow = false;
    }

    // The top between samples: a parabola in dB through the peak and its two neighbours (a lobe's
    // top is smooth), only where both lie within the lobe. Beside a null (the horizon over a real
    // ground) the parabola's vertex means nothing. In free space the peak on the horizon is exact by
    // symmetry.
    if (peak == 0 || peak + 1 == cut.size()) return;
    const CutSample &before = cut[peak - 1], &after = cut[peak + 1];
    const double step = after.elevationDeg - top.elevationDeg;
    if (std::abs(step - (top.elevationDeg - before.elevationDeg)) > 1e-6 * step) return;
    const double below = before.totalDbi, above = after.totalDbi;
    const double curvature = below - 2 * top.totalDbi + above;
    if (!(curvature < 0) || below < level || above < level) return;
    const double offset = std::clamp(0.5 * (below - above) / curvature, -0.5, 0.5);
    f.takeoffDeg = top.elevationDeg + offset * step;
    f.maxDbi = top.totalDbi - 0.25 * (below - above) * offset;
    // The polarisation hardly turns within half a step: both parts rise with the total.
    for (double* part : {&f.verticalDbi, &f.horizontalDbi})
        if (*part > kNoGain) *part += f.maxDbi - top.totalDbi;
}

PatternFigures figuresOf(const FrequencyRun& result, double mhz, bool freeSpace) {
    PatternFigures f;
    f.mhz = mhz;
    f.averageGain = result.averageGain;
    const auto& fine = result.finePattern.empty() ? result.pattern : result.finePattern;
    // The strongest direction above the horizon (theta up to 90).
    const PatternPoint* best = nullptr;
    // Of equal gains (nec2c prints two decimals), the lowest elevation and then the smallest azimuth.
    auto better = [](const PatternPoint& p, const PatternPoint& q) {
        if (p.totalDbi != q.totalDbi) return p.totalDbi > q.totalDbi;
        if (p.thetaDeg != q.thetaDeg) return p.thetaDeg > q.thetaDeg;
        return p.phiDeg < q.phiDeg;
    };
    for (const PatternPoint& p : fine)
        if (p.thetaDeg <= 90 + 1e-9 && (!best || better(p, *best))) best = &p;
    if (!best) return f;
    f.azimuthDeg = best->phiDeg;

    // Elevation cut in the azimuth of the maximum, 0..90 degrees of elevation.
    std::vector<CutSample> cut;
    for (const PatternPoint& p : fine)
        if (std::abs(p.phiDeg - best->phiDeg) < 1e-9 && p.thetaDeg <= 90 + 1e-9)
            cut.push_back({90 - p.thetaDeg, p.totalDbi, p.verticalDbi, p.horizontalDbi});
    std::sort(cut.begin(), cut.end(),
              [](const CutSample& a, const CutSample& b) { return a.elevationDeg < b.elevationDeg; });
    std::size_t peak = 0;
    for (std::size_t i = 0; i < cut.size(); ++i) {
        f.elevationDbi.push_back(cut[i].totalDbi);
        for (int at : {5, 10, 15, 20})
            if (std::abs(cut[i].elevationDeg - at) < 1e-9) f.gainAt.push_back({at, cut[i].totalDbi});
        if (std::abs(cut[i].elevationDeg - (90 - best->thetaDeg)) < 1e-9) peak = i;
    }
    lobeFigures(f, cut, peak, freeSpace);

    // Azimuth cut at the strongest sample's elevation.
    double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    for (const PatternPoint& p : fine)
        if (std::abs(p.thetaDeg - best->thetaDeg) < 1e-9) {
            f.azimuthDbi.push_back({p.phiDeg, p.totalDbi});
            lowest = std::min(lowest, p.totalDbi);
            highest = std::max(highest, p.totalDbi);
        }
    f.rippleDb = highest - lowest;
    f.azimuthCutDeg = 90 - best->thetaDeg;
    return f;
}

// A fine cut's samples with gains from the field magnitudes: nec2c prints gains to 0.01 dB, which
// leaves the top of a lobe flat over a tenth of its width, the fields to five digits. The power
// is |E(theta)|^2 + |E(phi)|^2 at one frequency and input power, in dB off the gain by one
// constant, taken from the samples near the top (their rounding averages out).
// factor x log10(value) to a billionth of a dB: log10 differs in its last bit between the page's C
// library and the command line's, and both must give the same digits.
double steadyDb(double factor, double value) { return std::round(1e9 * factor * std::log10(value)) / 1e9; }

std::vector<CutSample> finerGains(const std::vector<PatternPoint>& cut) {
    double strongest = kNoGain;
    for (const PatternPoint& p : cut)
        strongest = std::max(strongest, p.totalDbi);
    double offset = 0;
    int near = 0;
    for (const PatternPoint& p : cut) {
        const double power = p.eThetaVm * p.eThetaVm + p.ePhiVm * p.ePhiVm;
        if (p.totalDbi >= strongest - kFieldOffsetDb && power > 0) {
            offset += p.totalDbi - steadyDb(10, power);
            ++near;
        }
    }
    std::vector<CutSample> samples;
    for (const PatternPoint& p : cut) {
        CutSample s{90 - p.thetaDeg, p.totalDbi, p.verticalDbi, p.horizontalDbi};
        const double power = p.eThetaVm * p.eThetaVm + p.ePhiVm * p.ePhiVm;
        if (near > 0 && power > 0 && p.totalDbi > kNoGain) {
            s.totalDbi = offset / near + steadyDb(10, power);
            if (p.eThetaVm > 0 && p.verticalDbi > kNoGain) s.verticalDbi = offset / near + steadyDb(20, p.eThetaVm);
            if (p.ePhiVm > 0 && p.horizontalDbi > kNoGain) s.horizontalDbi = offset / near + steadyDb(20, p.ePhiVm);
        }
        samples.push_back(s);
    }
    return samples;
}

// The fine cut through a pattern over a ground, in the azimuth of its strongest sample: from the
// horizon (where a high antenna's lowest lobe lies, narrower than the coarse grids' steps) up past
// every sample of both tables within 3 dB of the strongest (a lobe's top can lie that far above its
// nearest samples on a grid coarse for it), and 2 degrees on for the lobe's upper edge.
ElevationCut cutThrough(const FrequencyRun& result, const PatternFigures& f, double stepDeg) {
    double strongest = kNoGain;
    for (const auto* table : {&result.pattern, &result.finePattern})
        for (const PatternPoint& p : *table)
            if (p.thetaDeg <= 90 + 1e-9) strongest = std::max(strongest, p.totalDbi);
    double top = 0;
    for (const auto* table : {&result.pattern, &result.finePattern})
        for (const PatternPoint& p : *table)
            if (p.thetaDeg <= 90 + 1e-9 && p.totalDbi >= strongest - kLobeDb) top = std::max(top, 90 - p.thetaDeg);
    top = std::min(90.0, top + 2);
    while (top / stepDeg >= kMaxCutPoints)
        stepDeg *= 2;
    const int count = static_cast<int>(std::min(std::ceil(top / stepDeg - 1e-9), std::floor(90 / stepDeg + 1e-9))) + 1;
    return {f.mhz, f.azimuthDeg, stepDeg, count};
}

// Why a frequency's numbers are no result, or empty.
std::string failureAt(const FrequencyRun& result, double mhz) {
    if (result.inputPowerW && !(*result.inputPowerW > 0))
        return "at " + mhzWords(mhz) + " nec2c computed an input power of " + numberText(*result.inputPowerW, 5) +
               " W, which no real antenna draws: NEC-2's thin-wire model does not hold for this design there";
    for (const FeedImpedance& feed : result.feeds)
        if (!(feed.ohms.real() > 0))
            return "at " + mhzWords(mhz) + " a gap's resistance is " + numberText(feed.ohms.real(), 5) +
                   " ohms (not positive): NEC-2's thin-wire model does not hold for this design there";
    return {};
}

}  // namespace

std::complex<double> quotient(std::complex<double> a, std::complex<double> b) {
    const double d = b.real() * b.real() + b.imag() * b.imag();
    return {(a.real() * b.real() + a.imag() * b.imag()) / d, (a.imag() * b.real() - a.real() * b.imag()) / d};
}

double magnitude(std::complex<double> z) { return std::sqrt(z.real() * z.real() + z.imag() * z.imag()); }

std::complex<double> reflection(std::complex<double> load, double z0) { return quotient(load - z0, load + z0); }

double swr(std::complex<double> load, double z0) {
    if (!(load.real() > 0)) return std::numeric_limits<double>::infinity();
    const double gamma = magnitude(reflection(load, z0));
    if (!(gamma < 1)) return std::numeric_limits<double>::infinity();  // NaN too: a load too large to square
    return (1 + gamma) / (1 - gamma);
}

std::vector<Below2> stretchesBelow(const std::vector<SweepRow>& rows, double limit) {
    std::vector<Below2> stretches;
    for (std::size_t i = 0; i < rows.size();) {
        if (!(rows[i].swr < limit)) {
            ++i;
            continue;
        }
        std::size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1].swr < limit)
            ++last;
        stretches.push_back(stretch(rows, i, last, limit));
        i = last + 1;
    }
    return stretches;
}

void remeasure(Analysis& analysis, double z0, double designMhz) {
    const Analysis ranged = rangesOf(std::move(analysis.rows), z0, designMhz);
    analysis.z0 = z0;
    analysis.rows = ranged.rows;
    analysis.lowest = ranged.lowest;
    analysis.lowestSwr = ranged.lowestSwr;
    analysis.lowestMhz = ranged.lowestMhz;
    analysis.nearLowest = ranged.nearLowest;
    analysis.below2 = ranged.below2;
    analysis.stretches = ranged.stretches;
}

bool averageGainOff(const PatternFigures& f) {
    return f.averageGain && f.expectedAverage && std::abs(*f.averageGain / *f.expectedAverage - 1) > kAverageTolerance;
}

Analysis rangesOf(std::vector<SweepRow> rows, double z0, double designMhz) {
    Analysis analysis;
    analysis.z0 = z0;
    analysis.rows = std::move(rows);
    if (!analysis.rows.empty()) findRanges(analysis, designMhz);
    return analysis;
}

Analysis analyse(std::vector<FrequencyRun> results, double z0, const AnalysisPlan& plan) {
    const std::size_t expected = plan.sweepMhz.size() + plan.patternMhz.size();
    if (results.size() != expected)
        throw NecError("nec2c's output holds " + std::to_string(results.size()) + " frequencies where the deck has " +
                       std::to_string(expected));
    Analysis analysis;
    analysis.z0 = z0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        FrequencyRun& result = results[i];
        const bool sweep = i < plan.sweepMhz.size();
        const double mhz = sweep ? plan.sweepMhz[i] : plan.patternMhz[i - plan.sweepMhz.size()];
        // nec2c prints five significant digits: a larger difference is a different frequency.
        if (std::abs(result.mhz - mhz) > 1e-4 * mhz)
            throw NecError("nec2c's output has " + mhzWords(result.mhz) + " where the deck has " + mhzWords(mhz));
        result.mhz = mhz;
        if (result.feeds.empty()) throw NecError("nec2c's output holds no impedances at " + mhzWords(mhz));
        const std::string failure = failureAt(result, mhz);
        if (!failure.empty() && (!sweep || analysis.failures.empty())) analysis.failures.push_back(failure);
        if (sweep || plan.sweepMhz.empty())
            analysis.rows.push_back(
                {mhz, result.feeds,
                 failure.empty() ? swr(result.feeds.front().ohms, z0) : std::numeric_limits<double>::infinity()});
        if (sweep) continue;
        if (result.pattern.empty()) throw NecError("nec2c's output holds no pattern at " + mhzWords(mhz));
        if (!failure.empty()) continue;  // a pattern of a failed model is no pattern
        PatternFigures figures = figuresOf(result, mhz, plan.freeSpace);
        figures.expectedAverage = plan.expectedAverage;
        if (figures.maxDbi < kNoGain) {
            analysis.failures.push_back("at " + mhzWords(mhz) + " nec2c found no radiated field in any direction");
            continue;
        }
        if (!plan.cutStepDeg.empty())
            analysis.cuts.push_back(cutThrough(result, figures, plan.cutStepDeg.at(i - plan.sweepMhz.size())));
        if (!analysis.gain) {
            for (const auto* table : {&result.pattern, &result.finePattern})
                for (const PatternPoint& point : *table)
                    if (!analysis.gain || point.totalDbi > analysis.gain->dbi)
                        analysis.gain = MaxGain{point.totalDbi, point.thetaDeg, point.phiDeg, mhz};
            // Between the samples, where the elevation cut's maximum lies above them.
            // A tie goes to the figures, so the report names one direction for one maximum.
            if (figures.maxDbi >= analysis.gain->dbi)
                analysis.gain = MaxGain{figures.maxDbi, 90 - figures.takeoffDeg, figures.azimuthDeg, mhz};
        }
        analysis.patterns.push_back(std::move(figures));
    }
    if (analysis.rows.empty()) throw NecError("nec2c's output holds no sweep of impedances");
    findRanges(analysis, plan.designMhz);
    return analysis;
}

void refineLobes(Analysis& analysis, const std::vector<FrequencyRun>& cutRuns) {
    if (cutRuns.size() != analysis.cuts.size())
        throw NecError("nec2c's output holds " + std::to_string(cutRuns.size()) + " fine cuts where the deck has " +
                       std::to_string(analysis.cuts.size()));
    for (std::size_t i = 0; i < cutRuns.size(); ++i) {
        const ElevationCut& cut = analysis.cuts[i];
        const FrequencyRun& run = cutRuns[i];
        if (std::abs(run.mhz - cut.mhz) > 1e-4 * cut.mhz || run.pattern.size() != static_cast<std::size_t>(cut.count))
            throw NecError("nec2c's fine cut at " + mhzWords(cut.mhz) + " holds " + std::to_string(run.pattern.size()) +
                           " directions at " + mhzWords(run.mhz) + " where the deck has " + std::to_string(cut.count));
        PatternFigures& f = analysis.patterns[i];
        std::vector<CutSample> samples = finerGains(run.pattern);
        std::sort(samples.begin(), samples.end(),
                  [](const CutSample& a, const CutSample& b) { return a.elevationDeg < b.elevationDeg; });
        // The strongest of the cut, the lowest of equals.
        std::size_t peak = 0;
        for (std::size_t j = 1; j < samples.size(); ++j)
            if (samples[j].totalDbi > samples[peak].totalDbi) peak = j;
        // Above the cut the lobe's upper edge, if it lies there, between the 1-degree samples (only
        // their total gain counts there).
        const double top = samples.back().elevationDeg;
        for (std::size_t e = 0; e < f.elevationDbi.size(); ++e)
            if (static_cast<double>(e) > top + 1e-9)
                samples.push_back({static_cast<double>(e), f.elevationDbi[e], f.elevationDbi[e], f.elevationDbi[e]});
        const double coarseMax = f.maxDbi, coarseTakeoff = f.takeoffDeg;
        lobeFigures(f, samples, peak, false);
        // The maximum gain is the design frequency's pattern's: the cut's, unless a sample in
        // another azimuth is stronger still.
        if (i == 0 && analysis.gain) {
            const bool fromFigures = analysis.gain->dbi == coarseMax && analysis.gain->thetaDeg == 90 - coarseTakeoff;
            if (fromFigures || f.maxDbi > analysis.gain->dbi)
                analysis.gain = MaxGain{f.maxDbi, 90 - f.takeoffDeg, f.azimuthDeg, f.mhz};
        }
    }
}

}  // namespace brimalox::nec
