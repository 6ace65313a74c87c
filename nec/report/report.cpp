#include "nec/report/report.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "nec/report/report_json.h"
#include "numtext/csv_text.h"

namespace brimalox::nec {
namespace {

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

nlohmann::json finiteOrNull(double value) { return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(); }

constexpr double kFloorDbi = -999;  // nec2c prints -999.99 where there is no field

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

std::string text(const Analysis& a, const ReportContext& c) {
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

std::string heightsCsv(const ReportContext& c) {
    std::string out = "height_m,max_dbi,takeoff_deg,azimuth_deg,dbi_at_5_deg,failure\r\n";
    for (const HeightRow& row : c.heights) {
        out += numberText(row.heightM, 12) + ",";
        if (!row.figures) {
            out += ",,,,";
            appendCsvField(out, row.failure, CsvQuotes::Always);
            out += "\r\n";
            continue;
        }
        double at5 = 0;
        for (const auto& [deg, gain] : row.figures->gainAt)
            if (deg == 5) at5 = gain;
        // An empty field where nec2c found no field at 5 degrees.
        out += fixedText(row.figures->maxDbi, 2) + "," + degreesFigure(row.figures->takeoffDeg) + "," +
               degreesFigure(row.figures->azimuthDeg) + "," + (noField(at5) ? "" : fixedText(at5, 2)) + ",\r\n";
    }
    return out;
}

std::string csvSwr(double swr) { return std::isfinite(swr) ? fixedText(swr, 2) : std::string("inf"); }

std::string csv(const Analysis& a, const ReportContext& c) {
    // CRLF line ends, as `design --format csv` writes them (RFC 4180).
    std::string out = "mhz";
    const std::size_t gaps = a.rows.front().feeds.size();
    const bool fed = c.feed && !a.planes.empty();
    for (std::size_t g = 1; g <= gaps; ++g)
        out += ",gap" + std::to_string(g) + "_r_ohms,gap" + std::to_string(g) + "_x_ohms";
    // With a feed each plane's SWR is named: the gap's against the line, then the junction's and the rig's.
    out += fed ? ",gap_swr" : ",swr";
    if (fed) out += ",junction_r_ohms,junction_x_ohms,junction_swr,rig_r_ohms,rig_x_ohms,rig_swr,feed_loss_db";
    out += "\r\n";
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        const SweepRow& row = a.rows[i];
        out += numberText(row.mhz, 12);
        for (const FeedImpedance& feed : row.feeds)
            out += "," + fixedText(feed.ohms.real(), 4) + "," + fixedText(feed.ohms.imag(), 4);
        out +=
            "," + csvSwr(fed && std::isfinite(row.swr) ? swr(row.feeds.front().ohms, c.feed->feed.line.z0) : row.swr);
        if (fed)
            for (const Plane p : {Plane::Junction, Plane::Rig}) {
                const std::complex<double> z = ohmsAt(a, i, p);
                out += "," + fixedText(z.real(), 4) + "," + fixedText(z.imag(), 4) + "," +
                       csvSwr(std::isfinite(row.swr) ? swr(z, referenceOhms(c.feed->feed, p)) : row.swr);
            }
        if (fed) out += "," + fixedText(a.planes[i].lossDb, 4);
        out += "\r\n";
    }
    return out;
}

nlohmann::json lineJson(const Line& line, double lengthScale, const char* lengthKey) {
    return {{"z0_ohms", line.z0},
            {"velocity_factor", line.vf},
            {lengthKey, line.metres * lengthScale},
            {"loss_db_per_100m_at_100mhz", line.dbPer100m}};
}

nlohmann::json feedReportJson(const Analysis& a, const FeedReport& f) {
    using nlohmann::json;
    json j = feedJson(f.feed);
    json below = json::array();
    for (const Below2& b : stretchesBelow(a.rows, 1.5))
        below.push_back(stretchJson(b));
    j["below_1_5_to_1_stretches"] = below;
    j["reversed_line"] = nullptr;
    if (f.reversedSwr)
        j["reversed_line"] = {{"mhz", f.designMhz},
                              {"rig_swr", finiteOrNull(f.reversedSwr->first)},
                              {"rig_swr_one_reversed", finiteOrNull(f.reversedSwr->second)}};
    return j;
}

nlohmann::json planeJson(const Analysis& a, std::size_t i, Plane p, const Feed& feed) {
    const std::complex<double> z = ohmsAt(a, i, p);
    const double s = std::isfinite(a.rows[i].swr) ? swr(z, referenceOhms(feed, p)) : a.rows[i].swr;
    return {{"r_ohms", z.real()}, {"x_ohms", z.imag()}, {"swr", finiteOrNull(s)}};
}

std::string json(const Analysis& a, const ReportContext& c) {
    using nlohmann::json;
    nlohmann::ordered_json doc =
        reportHead(c.design, a.z0, c.ground, c.feed && !a.planes.empty() ? planeName(c.feed->feed.at) : "gap");
    json sweep = json::array();
    const bool fed = c.feed && !a.planes.empty();
    if (c.feed) doc["feed"] = feedReportJson(a, *c.feed);
    if (c.coat) {
        const Shortening& s = c.coat->shortening;
        doc["insulation"] = {{"thickness_mm", c.coat->coat.thicknessMm},
                             {"relative_permittivity", c.coat->coat.permittivity},
                             {"material", c.coat->coat.material.empty() ? json() : json(c.coat->coat.material)},
                             {"henries_per_metre", c.coat->henriesPerMetre},
                             {"length_ratio", s.ratio},
                             {"fit_rms", s.fitRms},
                             {"height_mm", s.newHeightMm},
                             {"side_mm", s.newSideMm},
                             {"check_ratio", s.checkRatio},
                             {"check_runs", s.runs},
                             {"beyond_model", s.beyondModel}};
    }
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        const SweepRow& row = a.rows[i];
        json gaps = json::array();
        for (const FeedImpedance& f : row.feeds)
            gaps.push_back(
                {{"tag", f.tag}, {"segment", f.segment}, {"r_ohms", f.ohms.real()}, {"x_ohms", f.ohms.imag()}});
        json entry = {{"mhz", row.mhz}, {"gaps", gaps}, {"swr", finiteOrNull(row.swr)}};
        if (fed) {
            entry["junction"] = planeJson(a, i, Plane::Junction, c.feed->feed);
            entry["rig"] = planeJson(a, i, Plane::Rig, c.feed->feed);
            entry["feed_loss_db"] = a.planes[i].lossDb;
        }
        sweep.push_back(entry);
    }
    doc["sweep"] = sweep;
    doc["lowest_swr"] = {{"mhz", a.lowestMhz}, {"swr", finiteOrNull(a.lowestSwr)}, {"within_0_05", nullptr}};
    if (a.nearLowest)
        doc["lowest_swr"]["within_0_05"] = {{"from_mhz", a.nearLowest->fromMhz},
                                            {"to_mhz", a.nearLowest->toMhz},
                                            {"open_below", a.nearLowest->openBelow},
                                            {"open_above", a.nearLowest->openAbove}};
    doc["below_2_to_1"] = nullptr;
    if (a.below2) doc["below_2_to_1"] = stretchJson(*a.below2);
    json stretches = json::array();
    for (const Below2& b : a.stretches)
        stretches.push_back(stretchJson(b));
    doc["below_2_to_1_stretches"] = stretches;
    doc["max_gain"] = nullptr;
    if (a.gain)
        doc["max_gain"] = {
            {"dbi", a.gain->dbi}, {"theta_deg", a.gain->thetaDeg}, {"phi_deg", a.gain->phiDeg}, {"mhz", a.gain->mhz}};
    json patterns = json::array();
    for (const PatternFigures& p : a.patterns) {
        json at = json::object();
        for (const auto& [deg, gain] : p.gainAt)
            at[std::to_string(deg)] = gain;
        json azimuth = json::array();
        for (const auto& [phi, gain] : p.azimuthDbi)
            azimuth.push_back({{"phi_deg", phi}, {"dbi", gain}});
        // The dB by which the gains were scaled to the radiated power.
        const json scaled =
            p.averageGain && p.expectedAverage ? json(gainCorrectionDb(*p.averageGain, *p.expectedAverage)) : json();
        patterns.push_back({{"mhz", p.mhz},
                            {"max_dbi", p.maxDbi},
                            {"takeoff_deg", p.takeoffDeg},
                            {"azimuth_deg", p.azimuthDeg},
                            {"vertical_dbi", p.verticalDbi},
                            {"horizontal_dbi", p.horizontalDbi},
                            {"gain_at_elevation_dbi", at},
                            {"beamwidth_3db_deg", p.beamwidthDeg},
                            {"beamwidth_from_deg", p.lowEdgeDeg},
                            {"beamwidth_to_deg", p.highEdgeDeg},
                            {"beamwidth_open_low", p.openLow},
                            {"beamwidth_open_high", p.openHigh},
                            {"azimuth_ripple_db", p.rippleDb},
                            {"azimuth_cut_elevation_deg", p.azimuthCutDeg},
                            {"average_power_gain", p.averageGain ? json(*p.averageGain) : json()},
                            {"average_power_gain_expected", p.expectedAverage ? json(*p.expectedAverage) : json()},
                            {"average_power_gain_off", averageGainOff(p)},
                            {"gain_scaled_db", scaled},
                            {"elevation_dbi", p.elevationDbi},
                            {"azimuth_at_takeoff", azimuth}});
    }
    doc["patterns"] = patterns;
    doc["failures"] = a.failures;
    if (c.measured) {
        json m = {
            {"file", c.measured->file}, {"lowest_swr", c.measured->lowestSwr}, {"lowest_mhz", c.measured->lowestMhz}};
        json ms = json::array();
        for (const Below2& b : c.measured->stretches)
            ms.push_back(stretchJson(b));
        m["below_2_to_1_stretches"] = ms;
        doc["measured"] = m;
    }
    if (!c.heights.empty()) {
        json heights = json::array();
        for (const HeightRow& row : c.heights) {
            json h = {{"height_m", row.heightM}};
            if (row.figures) {
                h["max_dbi"] = row.figures->maxDbi;
                h["takeoff_deg"] = row.figures->takeoffDeg;
                h["azimuth_deg"] = row.figures->azimuthDeg;
                for (const auto& [deg, gain] : row.figures->gainAt)
                    if (deg == 5) h["dbi_at_5_deg"] = gain;
            } else {
                h["failure"] = row.failure;
            }
            heights.push_back(h);
        }
        doc["heights"] = heights;
    }
    return doc.dump(2) + "\n";
}

}  // namespace

nlohmann::ordered_json reportHead(const DesignTexts& design, double z0, const Ground& g, const char* plane) {
    nlohmann::ordered_json doc;
    doc["generator"] = "brimalox-cli " BRIMALOX_VERSION;
    doc["design"] = designJson(design);
    doc["z0_ohms"] = z0;
    doc["z0_plane"] = plane;
    nlohmann::json ground = {{"kind", g.name}};
    if (g.kind == GroundKind::Real) {
        ground["permittivity"] = g.permittivity;
        ground["conductivity_s_per_m"] = g.conductivity;
    }
    doc["ground"] = ground;
    doc["height_m"] = g.kind == GroundKind::Free ? nlohmann::json() : nlohmann::json(g.heightM);
    return doc;
}

nlohmann::json feedJson(const Feed& feed) {
    using nlohmann::json;
    json j = {{"lines", feed.lines}, {"line", lineJson(feed.line, 1000, "length_mm")}};
    j["section"] = feed.section ? lineJson(*feed.section, 1000, "length_mm") : json();
    j["balun"] = feed.balun;
    j["coax"] = feed.coax ? lineJson(*feed.coax, 1, "length_m") : json();
    j["rig_z0_ohms"] = feed.rigZ0;
    j["at"] = planeName(feed.at);
    j["reference_ohms"] = referenceOhms(feed, feed.at);
    return j;
}

nlohmann::json stretchJson(const Below2& b) {
    return {{"from_mhz", b.fromMhz}, {"to_mhz", b.toMhz}, {"open_below", b.openBelow}, {"open_above", b.openAbove}};
}

nlohmann::ordered_json designJson(const DesignTexts& d) {
    // The keys and texts of `design --format json`; frequency_mhz, awg and series_match_mm are
    // kept for scripts written against earlier versions.
    nlohmann::ordered_json j;
    for (const ValueField& value : kValueFields) {
        j[std::string(value.key)] = d.*value.text;
        if (value.field == Field::Text2) j["sides"] = std::string(1, d.sides == 4 ? '4' : '3');
    }
    j["frequency_mhz"] = d.frequency;
    j["awg"] = d.awg;
    j["series_match_mm"] = d.matchMm;
    return j;
}

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

std::string formatReport(const Analysis& analysis, const ReportContext& context, ReportFormat format) {
    switch (format) {
    case ReportFormat::Csv: return context.heights.empty() ? csv(analysis, context) : heightsCsv(context);
    case ReportFormat::Json: return json(analysis, context);
    case ReportFormat::Text: break;
    }
    return text(analysis, context);
}

std::string formatReport(const Analysis& analysis, const DesignTexts& design, ReportFormat format) {
    ReportContext context;
    context.design = design;
    return formatReport(analysis, context, format);
}

}  // namespace brimalox::nec
