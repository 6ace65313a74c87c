#include "nec/report.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "app/csv_text.h"
#include "nec/report_json.h"

namespace brimalox::nec {
namespace {

// Frequencies keep their significant digits whatever the band: "0.0001", "146", "2544".
std::string mhzText(double mhz) { return numberText(mhz, 7); }

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

nlohmann::json finiteOrNull(double value) { return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(); }

std::string dbi(double value) { return fixedText(value, 2) + " dBi"; }

std::string patternText(const PatternFigures& p, bool freeSpace, bool perfectGround) {
    std::string out = "pattern at " + mhzText(p.mhz) + " MHz: maximum " + dbi(p.maxDbi) + " at elevation " +
                      fixedText(p.takeoffDeg, 1) + " deg (the take-off angle), azimuth " + fixedText(p.azimuthDeg, 0) +
                      " deg; vertical part " + dbi(p.verticalDbi) + ", horizontal part " + dbi(p.horizontalDbi) + "\n";
    out += "  gain in that azimuth:";
    for (std::size_t i = 0; i < p.gainAt.size(); ++i)
        out += std::string(i ? "," : "") + " " + dbi(p.gainAt[i].second) + " at " + std::to_string(p.gainAt[i].first) +
               " deg";
    out += "\n  -3 dB elevation beamwidth: " + fixedText(p.beamwidthDeg, 1) + " deg, from " +
           fixedText(p.lowEdgeDeg, 1) + " to " + fixedText(p.highEdgeDeg, 1) + " deg";
    if (freeSpace && p.lowEdgeDeg < 0) out += " (the lobe is the same below the horizon)";
    if (p.openLow) out += " (still within 3 dB at 0 deg)";
    if (p.openHigh) out += " (still within 3 dB at 90 deg)";
    out += "\n  azimuth ripple at the take-off angle: " + fixedText(p.rippleDb, 2) + " dB\n";
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

std::string text(const Analysis& a, const ReportContext& c) {
    const bool freeSpace = c.ground.kind == GroundKind::Free;
    std::string out = title(c.design) + "\nnec2c, " + groundText(c.ground) +
                      ", every gap driven in phase; SWR of gap 1 against " + numberText(a.z0, 7) + " ohms\n" +
                      "(the SWR at gap 1 with every gap driven equally and in phase: the ladder lines, how they are "
                      "joined and the series match are not in the model)\n\n";
    const std::size_t gaps = a.rows.front().feeds.size();
    constexpr std::size_t kZWidth = 22;
    out += padLeft("MHz", 10);
    for (std::size_t g = 0; g < gaps; ++g)
        out += padLeft("gap " + std::to_string(g + 1) + " (ohms)", kZWidth);
    out += padLeft("SWR", 10) + "\n";
    for (const SweepRow& row : a.rows) {
        out += padLeft(mhzText(row.mhz), 10);
        for (const FeedImpedance& feed : row.feeds)
            out += padLeft(impedanceText(feed.ohms), kZWidth);
        out += padLeft(fixedText(row.swr, 2), 10) + "\n";
    }
    out += "\n";
    for (const std::string& failure : a.failures)
        out += "model failed: " + failure + "\n";
    const SweepRow& best = a.rows[a.lowest];
    if (std::isfinite(best.swr))
        out += "lowest SWR: " + fixedText(best.swr, 2) + " at " + mhzText(best.mhz) + " MHz" +
               (a.nearLowest
                    ? " (within 0.05 of it from " + numberText(a.nearLowest->fromMhz, 4) + " to " +
                          numberText(a.nearLowest->toMhz, 4) + " MHz" +
                          (a.nearLowest->openBelow || a.nearLowest->openAbove ? ", still at the sweep's end" : "") + ")"
                    : std::string()) +
               "\n";
    else
        out += "lowest SWR: none, the model gave no usable impedance at any frequency\n";
    if (a.stretches.empty()) out += "SWR below 2:1: nowhere in the sweep\n";
    for (std::size_t i = 0; i < a.stretches.size(); ++i)
        out += std::string(i == 0 ? "SWR below 2:1: " : "SWR below 2:1 also: ") + stretchText(a.stretches[i]) + "\n";
    if (c.measured) {
        const MeasuredSummary& m = *c.measured;
        out += "measured (" + m.file + "): lowest SWR " + fixedText(m.lowestSwr, 2) + " at " + mhzText(m.lowestMhz) +
               " MHz\n";
        if (m.stretches.empty()) out += "measured SWR below 2:1: nowhere in the file\n";
        for (std::size_t i = 0; i < m.stretches.size(); ++i)
            out += std::string(i == 0 ? "measured SWR below 2:1: " : "measured SWR below 2:1 also: ") +
                   stretchText(m.stretches[i]) + "\n";
    }
    if (a.gain) {
        out += "maximum gain: " + dbi(a.gain->dbi) + " at theta " + fixedText(a.gain->thetaDeg, 1) + " deg, phi " +
               fixedText(a.gain->phiDeg, 0) + " deg (" + mhzText(a.gain->mhz) + " MHz)\n";
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
            out += padLeft(fixedText(p.maxDbi, 2), 12) + padLeft(fixedText(p.takeoffDeg, 1), 16) +
                   padLeft(fixedText(p.azimuthDeg, 0), 15) + padLeft(fixedText(at5, 2), 16) + "\n";
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
        out += fixedText(row.figures->maxDbi, 2) + "," + fixedText(row.figures->takeoffDeg, 1) + "," +
               fixedText(row.figures->azimuthDeg, 0) + "," + fixedText(at5, 2) + ",\r\n";
    }
    return out;
}

std::string csv(const Analysis& a) {
    // CRLF line ends, as `design --format csv` writes them (RFC 4180).
    std::string out = "mhz";
    const std::size_t gaps = a.rows.front().feeds.size();
    for (std::size_t g = 1; g <= gaps; ++g)
        out += ",gap" + std::to_string(g) + "_r_ohms,gap" + std::to_string(g) + "_x_ohms";
    out += ",swr\r\n";
    for (const SweepRow& row : a.rows) {
        out += numberText(row.mhz, 12);
        for (const FeedImpedance& feed : row.feeds)
            out += "," + fixedText(feed.ohms.real(), 4) + "," + fixedText(feed.ohms.imag(), 4);
        out += "," + (std::isfinite(row.swr) ? fixedText(row.swr, 4) : std::string("inf")) + "\r\n";
    }
    return out;
}

std::string json(const Analysis& a, const ReportContext& c) {
    using nlohmann::json;
    nlohmann::ordered_json doc = reportHead(c.design, a.z0, c.ground);
    json sweep = json::array();
    for (const SweepRow& row : a.rows) {
        json gaps = json::array();
        for (const FeedImpedance& f : row.feeds)
            gaps.push_back(
                {{"tag", f.tag}, {"segment", f.segment}, {"r_ohms", f.ohms.real()}, {"x_ohms", f.ohms.imag()}});
        sweep.push_back({{"mhz", row.mhz}, {"gaps", gaps}, {"swr", finiteOrNull(row.swr)}});
    }
    doc["sweep"] = sweep;
    const SweepRow& best = a.rows[a.lowest];
    doc["lowest_swr"] = {{"mhz", best.mhz}, {"swr", finiteOrNull(best.swr)}, {"within_0_05", nullptr}};
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

nlohmann::ordered_json reportHead(const DesignTexts& design, double z0, const Ground& g) {
    nlohmann::ordered_json doc;
    doc["generator"] = "brimalox-cli " BRIMALOX_VERSION;
    doc["design"] = designJson(design);
    doc["z0_ohms"] = z0;
    nlohmann::json ground = {{"kind", g.name}};
    if (g.kind == GroundKind::Real) {
        ground["permittivity"] = g.permittivity;
        ground["conductivity_s_per_m"] = g.conductivity;
    }
    doc["ground"] = ground;
    doc["height_m"] = g.kind == GroundKind::Free ? nlohmann::json() : nlohmann::json(g.heightM);
    return doc;
}

nlohmann::json stretchJson(const Below2& b) {
    return {{"from_mhz", b.fromMhz}, {"to_mhz", b.toMhz}, {"open_below", b.openBelow}, {"open_above", b.openAbove}};
}

nlohmann::ordered_json designJson(const DesignTexts& d) {
    // The keys and texts of `design --format json`; frequency_mhz, awg and series_match_mm are
    // kept for scripts written against earlier versions.
    nlohmann::ordered_json j;
    j["frequency"] = d.frequency;
    j["sides"] = std::string(1, d.sides == 4 ? '4' : '3');
    j["conductor_awg"] = d.awg;
    j["conductor_inch"] = d.inch;
    j["conductor_mm"] = d.mm;
    j["height_inch"] = d.heightInch;
    j["height_mm"] = d.heightMm;
    j["side_inch"] = d.sideInch;
    j["side_mm"] = d.sideMm;
    j["gap_inch"] = d.gapInch;
    j["gap_mm"] = d.gapMm;
    j["match_inch"] = d.matchInch;
    j["match_mm"] = d.matchMm;
    j["frequency_mhz"] = d.frequency;
    j["awg"] = d.awg;
    j["series_match_mm"] = d.matchMm;
    return j;
}

std::string title(const DesignTexts& d) {
    return "BRIMALOX " + sidesCaption(d.sides) + " for " + d.frequency + " MHz, conductor " + d.mm + " mm";
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

std::string impedanceText(std::complex<double> ohms) {
    const double x = ohms.imag();
    return fixedText(ohms.real(), 1) + (std::signbit(x) ? " -j" : " +j") + fixedText(std::fabs(x), 1);
}

std::string stretchText(const Below2& b) {
    std::string out =
        mhzText(b.fromMhz) + " to " + mhzText(b.toMhz) + " MHz (" + numberText(b.toMhz - b.fromMhz, 4) + " MHz wide";
    if (b.openBelow) out += ", still below 2:1 at the start of the sweep";
    if (b.openAbove) out += ", still below 2:1 at the end of the sweep";
    return out + ")";
}

std::string formatReport(const Analysis& analysis, const ReportContext& context, ReportFormat format) {
    switch (format) {
    case ReportFormat::Csv: return context.heights.empty() ? csv(analysis) : heightsCsv(context);
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
