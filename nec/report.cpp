#include "nec/report.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "nec/deck.h"

namespace brimalox::nec {
namespace {

// Frequencies keep their significant digits whatever the band: "0.0001", "146", "2544".
std::string mhzText(double mhz) { return numberText(mhz, 7); }

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

nlohmann::json finiteOrNull(double value) { return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(); }

std::string text(const Analysis& a, const DesignTexts& d) {
    std::string out = title(d) + "\nnec2c, free space, every gap driven in phase; SWR of gap 1 against " +
                      fixedText(a.z0, 0) + " ohms\n\n";
    const std::size_t gaps = a.rows.front().feeds.size();
    constexpr std::size_t kZWidth = 22;
    out += padLeft("MHz", 10);
    for (std::size_t g = 0; g < gaps; ++g) out += padLeft("gap " + std::to_string(g + 1) + " (ohms)", kZWidth);
    out += padLeft("SWR", 10) + "\n";
    for (const SweepRow& row : a.rows) {
        out += padLeft(mhzText(row.mhz), 10);
        for (const FeedImpedance& feed : row.feeds) out += padLeft(impedanceText(feed.ohms), kZWidth);
        out += padLeft(fixedText(row.swr, 2), 10) + "\n";
    }
    const SweepRow& best = a.rows[a.lowest];
    out += "\nlowest SWR: " + fixedText(best.swr, 2) + " at " + mhzText(best.mhz) + " MHz\n";
    if (a.below2) {
        const Below2& b = *a.below2;
        out += "SWR below 2:1: " + mhzText(b.fromMhz) + " to " + mhzText(b.toMhz) + " MHz (" +
               numberText(b.toMhz - b.fromMhz, 4) + " MHz wide";
        if (b.openBelow) out += ", still below 2:1 at the start of the sweep";
        if (b.openAbove) out += ", still below 2:1 at the end of the sweep";
        out += ")\n";
    } else {
        out += "SWR below 2:1: nowhere in the sweep\n";
    }
    if (a.gain) {
        out += "maximum gain: " + fixedText(a.gain->dbi, 2) + " dBi at theta " + fixedText(a.gain->thetaDeg, 0) +
               " deg, phi " + fixedText(a.gain->phiDeg, 0) + " deg (" + mhzText(a.gain->mhz) + " MHz)\n";
    }
    return out;
}

std::string csv(const Analysis& a) {
    std::string out = "mhz";
    const std::size_t gaps = a.rows.front().feeds.size();
    for (std::size_t g = 1; g <= gaps; ++g)
        out += ",gap" + std::to_string(g) + "_r_ohms,gap" + std::to_string(g) + "_x_ohms";
    out += ",swr\n";
    for (const SweepRow& row : a.rows) {
        out += numberText(row.mhz, 10);
        for (const FeedImpedance& feed : row.feeds) out += "," + fixedText(feed.ohms.real(), 4) + "," + fixedText(feed.ohms.imag(), 4);
        out += "," + fixedText(row.swr, 4) + "\n";
    }
    return out;
}

std::string json(const Analysis& a, const DesignTexts& d) {
    using nlohmann::json;
    json doc;
    doc["generator"] = "brimalox-cli " BRIMALOX_VERSION;
    doc["design"] = {{"frequency_mhz", d.frequency}, {"sides", d.sides},   {"conductor_mm", d.mm},
                     {"conductor_inch", d.inch},     {"awg", d.awg},       {"height_mm", d.heightMm},
                     {"side_mm", d.sideMm},          {"gap_mm", d.gapMm}, {"series_match_mm", d.matchMm}};
    doc["z0_ohms"] = a.z0;
    json sweep = json::array();
    for (const SweepRow& row : a.rows) {
        json gaps = json::array();
        for (const FeedImpedance& f : row.feeds)
            gaps.push_back({{"tag", f.tag}, {"segment", f.segment}, {"r_ohms", f.ohms.real()}, {"x_ohms", f.ohms.imag()}});
        sweep.push_back({{"mhz", row.mhz}, {"gaps", gaps}, {"swr", finiteOrNull(row.swr)}});
    }
    doc["sweep"] = sweep;
    const SweepRow& best = a.rows[a.lowest];
    doc["lowest_swr"] = {{"mhz", best.mhz}, {"swr", finiteOrNull(best.swr)}};
    doc["below_2_to_1"] = nullptr;
    if (a.below2)
        doc["below_2_to_1"] = {{"from_mhz", a.below2->fromMhz}, {"to_mhz", a.below2->toMhz},
                               {"open_below", a.below2->openBelow}, {"open_above", a.below2->openAbove}};
    doc["max_gain"] = nullptr;
    if (a.gain)
        doc["max_gain"] = {{"dbi", a.gain->dbi}, {"theta_deg", a.gain->thetaDeg}, {"phi_deg", a.gain->phiDeg},
                           {"mhz", a.gain->mhz}};
    return doc.dump(2) + "\n";
}

}  // namespace

std::string title(const DesignTexts& d) {
    return "BRIMALOX " + sidesCaption(d.sides) + " for " + d.frequency + " MHz, conductor " + d.mm + " mm";
}

std::string impedanceText(std::complex<double> ohms) {
    const double x = ohms.imag();
    return fixedText(ohms.real(), 1) + (std::signbit(x) ? " -j" : " +j") + fixedText(std::fabs(x), 1);
}

std::string formatReport(const Analysis& analysis, const DesignTexts& design, ReportFormat format) {
    switch (format) {
        case ReportFormat::Csv: return csv(analysis);
        case ReportFormat::Json: return json(analysis, design);
        case ReportFormat::Text: break;
    }
    return text(analysis, design);
}

}  // namespace brimalox::nec
