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

// Frequency where the SWR line between two samples crosses 2.
double crossing(const SweepRow& a, const SweepRow& b) {
    if (!std::isfinite(a.swr) || !std::isfinite(b.swr) || a.swr == b.swr) return std::isfinite(a.swr) ? a.mhz : b.mhz;
    return a.mhz + (kLimit - a.swr) / (b.swr - a.swr) * (b.mhz - a.mhz);
}

Below2 stretch(const std::vector<SweepRow>& rows, std::size_t first, std::size_t last) {
    Below2 band;
    band.openBelow = first == 0;
    band.openAbove = last + 1 == rows.size();
    band.fromMhz = band.openBelow ? rows[first].mhz : crossing(rows[first - 1], rows[first]);
    band.toMhz = band.openAbove ? rows[last].mhz : crossing(rows[last], rows[last + 1]);
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

    for (std::size_t i = 0; i < rows.size();) {
        if (!(rows[i].swr < kLimit)) {
            ++i;
            continue;
        }
        std::size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1].swr < kLimit)
            ++last;
        analysis.stretches.push_back(stretch(rows, i, last));
        if (analysis.lowest >= i && analysis.lowest <= last) analysis.below2 = analysis.stretches.back();
        i = last + 1;
    }
    // The stretch holding the design frequency first, the others in frequency order.
    std::stable_partition(analysis.stretches.begin(), analysis.stretches.end(),
                          [designMhz](const Below2& b) { return b.fromMhz <= designMhz && designMhz <= b.toMhz; });
}

std::string mhzWords(double mhz) { return numberText(mhz, 7) + " MHz"; }

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
    f.maxDbi = best->totalDbi;
    f.takeoffDeg = 90 - best->thetaDeg;
    f.azimuthDeg = best->phiDeg;
    f.verticalDbi = best->verticalDbi;
    f.horizontalDbi = best->horizontalDbi;

    // Elevation cut in the azimuth of the maximum, 0..90 degrees of elevation.
    std::vector<std::pair<double, double>> cut;  // elevation, gain
    for (const PatternPoint& p : fine)
        if (std::abs(p.phiDeg - best->phiDeg) < 1e-9 && p.thetaDeg <= 90 + 1e-9)
            cut.push_back({90 - p.thetaDeg, p.totalDbi});
    std::sort(cut.begin(), cut.end());
    for (const auto& [elevation, gain] : cut) {
        f.elevationDbi.push_back(gain);
        for (int at : {5, 10, 15, 20})
            if (std::abs(elevation - at) < 1e-9) f.gainAt.push_back({at, gain});
    }
    // The -3 dB lobe around the take-off angle, edges interpolated in dB between samples.
    std::size_t peak = 0;
    for (std::size_t i = 0; i < cut.size(); ++i)
        if (std::abs(cut[i].first - f.takeoffDeg) < 1e-9) peak = i;
    const double level = f.maxDbi - 3;
    auto edge = [&](std::size_t inside, std::size_t outside) {
        const auto& [e0, g0] = cut[inside];
        const auto& [e1, g1] = cut[outside];
        return g0 == g1 ? e0 : e0 + (level - g0) / (g1 - g0) * (e1 - e0);
    };
    std::size_t low = peak, high = peak;
    while (low > 0 && cut[low - 1].second >= level)
        --low;
    while (high + 1 < cut.size() && cut[high + 1].second >= level)
        ++high;
    f.openLow = low == 0;
    f.openHigh = high + 1 == cut.size();
    f.lowEdgeDeg = f.openLow ? cut[low].first : edge(low, low - 1);
    f.highEdgeDeg = f.openHigh ? cut[high].first : edge(high, high + 1);
    f.beamwidthDeg = f.highEdgeDeg - f.lowEdgeDeg;
    if (freeSpace && f.openLow) {  // the same lobe below the horizon
        f.beamwidthDeg = 2 * f.highEdgeDeg;
        f.lowEdgeDeg = -f.highEdgeDeg;
        f.openLow = false;
    }

    // The maximum between the 1-degree samples: a parabola in dB through the peak and its two
    // neighbours (a lobe's top is smooth; at 10 m the samples can miss it by 0.1 dB and half a
    // degree). In free space the peak on the horizon is exact by symmetry.
    if (peak > 0 && peak + 1 < cut.size()) {
        const double below = cut[peak - 1].second, top = cut[peak].second, above = cut[peak + 1].second;
        const double curvature = below - 2 * top + above;
        if (curvature < 0) {
            const double step = cut[peak + 1].first - cut[peak].first;
            const double offset = std::clamp(0.5 * (below - above) / curvature, -0.5, 0.5);
            f.takeoffDeg = cut[peak].first + offset * step;
            f.maxDbi = top - 0.25 * (below - above) * offset;
            // The polarisation hardly turns within half a degree: both parts rise with the total.
            for (double* part : {&f.verticalDbi, &f.horizontalDbi})
                if (*part > kNoGain) *part += f.maxDbi - top;
        }
    }

    // Azimuth cut at the take-off angle.
    double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    for (const PatternPoint& p : fine)
        if (std::abs(p.thetaDeg - best->thetaDeg) < 1e-9) {
            f.azimuthDbi.push_back({p.phiDeg, p.totalDbi});
            lowest = std::min(lowest, p.totalDbi);
            highest = std::max(highest, p.totalDbi);
        }
    f.rippleDb = highest - lowest;
    return f;
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

}  // namespace brimalox::nec
