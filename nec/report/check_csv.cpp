// The check's report for spreadsheets: the sweep table, or the height sweep's.
#include <cmath>

#include "nec/report/check_formats.h"
#include "numtext/csv_text.h"

namespace brimalox::nec {
namespace {

std::string csvSwr(double swr) { return std::isfinite(swr) ? fixedText(swr, 2) : std::string("inf"); }

}  // namespace

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

std::string checkCsv(const Analysis& a, const ReportContext& c) {
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

}  // namespace brimalox::nec
