// The JSON every report of the model shares, and the check's report for programs.
#include "nec/report/report_json.h"

#include <cmath>

#include "nec/report/check_formats.h"

namespace brimalox::nec {
namespace {

nlohmann::json finiteOrNull(double value) { return std::isfinite(value) ? nlohmann::json(value) : nlohmann::json(); }

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

}  // namespace

std::string checkJson(const Analysis& a, const ReportContext& c) {
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
    doc["lowest"] = lowestJson(a.lowestMhz, a.lowestSwr);
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
        m["lowest"] = lowestJson(c.measured->lowestMhz, c.measured->lowestSwr);
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

nlohmann::json lowestJson(double mhz, double swr) { return {{"mhz", mhz}, {"swr", finiteOrNull(swr)}}; }

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

}  // namespace brimalox::nec
