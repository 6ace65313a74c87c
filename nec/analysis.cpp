#include "nec/analysis.h"

#include <cmath>
#include <limits>

#include "nec/error.h"

namespace brimalox::nec {
namespace {

constexpr double kLimit = 2.0;

// Frequency where the SWR line between two samples crosses 2.
double crossing(const SweepRow& a, const SweepRow& b) {
    if (!std::isfinite(a.swr) || !std::isfinite(b.swr) || a.swr == b.swr) return std::isfinite(a.swr) ? a.mhz : b.mhz;
    return a.mhz + (kLimit - a.swr) / (b.swr - a.swr) * (b.mhz - a.mhz);
}

}  // namespace

double swr(std::complex<double> load, double z0) {
    if (!(load.real() > 0)) return std::numeric_limits<double>::infinity();
    const double reflection = std::abs((load - z0) / (load + z0));
    if (reflection >= 1) return std::numeric_limits<double>::infinity();
    return (1 + reflection) / (1 - reflection);
}

Analysis analyse(const std::vector<FrequencyResult>& results, double z0) {
    Analysis analysis;
    analysis.z0 = z0;
    for (const FrequencyResult& result : results) {
        if (!result.pattern.empty()) {
            for (const PatternPoint& point : result.pattern)
                if (!analysis.gain || point.totalDbi > analysis.gain->dbi)
                    analysis.gain = MaxGain{point.totalDbi, point.thetaDeg, point.phiDeg, result.mhz};
            continue;
        }
        if (result.feeds.empty()) continue;
        analysis.rows.push_back({result.mhz, result.feeds, swr(result.feeds.front().ohms, z0)});
    }
    if (analysis.rows.empty()) throw NecError("nec2c's output holds no sweep of impedances");

    const auto& rows = analysis.rows;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].swr < rows[analysis.lowest].swr) analysis.lowest = i;

    if (rows[analysis.lowest].swr < kLimit) {
        std::size_t first = analysis.lowest, last = analysis.lowest;
        while (first > 0 && rows[first - 1].swr < kLimit) --first;
        while (last + 1 < rows.size() && rows[last + 1].swr < kLimit) ++last;
        Below2 band;
        band.openBelow = first == 0;
        band.openAbove = last + 1 == rows.size();
        band.fromMhz = band.openBelow ? rows[first].mhz : crossing(rows[first - 1], rows[first]);
        band.toMhz = band.openAbove ? rows[last].mhz : crossing(rows[last], rows[last + 1]);
        analysis.below2 = band;
    }
    return analysis;
}

}  // namespace brimalox::nec
