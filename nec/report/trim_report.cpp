// The trim for people (text), spreadsheets (CSV: the cut list) and programs (JSON).

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

#include "nec/report/report.h"
#include "nec/report/report_json.h"
#include "nec/trim.h"
#include "numtext/csv_text.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr double kMmPerInch = 25.4;

// A length with the places the window shows for it ("9.67" has 2): the design's own lengths are
// the window's texts, and a trimmed one is printed like the one it replaces.
struct Places {
    int mm = 1, inch = 2;
};
Places heightPlaces(const DesignTexts& d) { return {placesOf(d.heightMm), placesOf(d.heightInch)}; }
Places sidePlaces(const DesignTexts& d) { return {placesOf(d.sideMm), placesOf(d.sideInch)}; }
std::string mmText(double mm, Places p) { return fixedText(mm, p.mm) + " mm"; }
// A piece's length as the build sheet writes it: a side to the window's places, a vertical (a half)
// to the one more place it may need, with no zero after its last digit.
std::string pieceMm(const TrimPiece& p, double mm) {
    const std::string fixed = fixedText(mm, p.places);
    return (p.name == "side" ? fixed : exactText(parseDouble(fixed).value)) + " mm";
}
std::string pieceText(const TrimPiece& p, double mm, int inchPlaces) {
    return pieceMm(p, mm) + " (" + fixedText(mm / kMmPerInch, inchPlaces) + " inch)";
}
std::string lengthText(double mm, Places p) {
    return mmText(mm, p) + " (" + fixedText(mm / kMmPerInch, p.inch) + " inch)";
}

// How far the built antenna is off, electrically: 3.0 % long when a ratio of 1 / 1.03 puts it right.
double offPercent(double ratio) { return std::fabs(1 / ratio - 1) * 100; }
bool isLong(double ratio) { return ratio < 1; }

std::string meaning(double ratio) {
    if (fixedText(offPercent(ratio), 1) == "0.0") return "the antenna is electrically as designed";
    return "the antenna is electrically " + fixedText(offPercent(ratio), 1) + " % " +
           (isLong(ratio) ? "long" : "short");
}

std::string pieceName(const TrimPiece& p, int sides) {
    return p.name == "side" ? std::to_string(p.count) + " sides (" + std::to_string(sides) + " at the top, " +
                                  std::to_string(sides) + " at the bottom)"
                            : std::to_string(p.count) + " verticals (one above and one below each gap)";
}

std::string figuresText(const std::string& what, const SwrFigures& f) {
    std::string out = what + ": lowest SWR " + swrFigure(f.lowestSwr) + " at " + mhzFigure(f.lowestMhz) + " MHz\n";
    if (f.stretches.empty()) out += "  SWR below 2:1: nowhere in the sweep\n";
    for (std::size_t i = 0; i < f.stretches.size(); ++i)
        out +=
            std::string(i == 0 ? "  SWR below 2:1: " : "  SWR below 2:1 also: ") + stretchText(f.stretches[i]) + "\n";
    return out;
}

std::string measuredText(const Trim& t) {
    switch (t.source) {
    case TrimSource::File: return "measured: " + t.measuredName;
    case TrimSource::Edges:
        return "measured: SWR 2:1 at " + numberText(t.lowEdgeMhz, 5) + " and " + numberText(t.highEdgeMhz, 5) + " MHz";
    case TrimSource::Dip: break;
    }
    return "measured: the SWR dips at " + numberText(t.dipMhz, 5) + " MHz";
}

std::string text(const Trim& t) {
    std::string out = title(t.design) + "\n" + measuredText(t) + "\nnec2c, " + groundText(t.ground);
    if (t.coat) out += ", insulated wire (" + coatText(*t.coat) + ")";
    out += t.feed ? ", SWR " + planeText(*t.feed, t.feed->at) + "\nfeed: " + feedText(*t.feed) + "\n\n"
                  : ", SWR of gap 1 against " + numberText(t.z0, 7) + " ohms\n" + swrMeaning(t.z0) + "\n\n";
    if (t.builtGiven)
        out += "as built: height " + mmText(t.builtHeightMm, heightPlaces(t.design)) + ", side " +
               mmText(t.builtSideMm, sidePlaces(t.design)) + ", as measured; the model is of these lengths\n";
    out += t.builtGiven ? "ratio: " + fixedText(t.ratio, 4) + " (each target over the design's length): beside its " +
                              "model as built, " + meaning(t.ratio) + "\n"
                        : "ratio: " + fixedText(t.ratio, 4) + " (new length over old): " + meaning(t.ratio) + "\n";
    for (const std::string& note : t.notes)
        out += "  " + note + "\n";
    const DesignTexts& d = t.design;
    const Places height = heightPlaces(d), side = sidePlaces(d);
    out +=
        "height: " + d.heightMm + " mm (" + d.heightInch + " inch) becomes " + lengthText(t.newHeightMm, height) + "\n";
    out += "side: " + d.sideMm + " mm (" + d.sideInch + " inch) becomes " + lengthText(t.newSideMm, side) + "\n";
    out += t.feed ? "gap: " + d.gapMm + " mm (" + d.gapInch + " inch), and the feed as described, stay\n\n"
                  : "gap: " + d.gapMm + " mm (" + d.gapInch + " inch), and the series match " + d.matchMm +
                        " mm, stay: they are feed details\n\n";
    const int sides = d.sides;
    // A vertical is half the height less the gap: it has the height's places.
    auto places = [&](const TrimPiece& p) { return p.name == "side" ? side : height; };
    // As designed every piece moves with the ratio; as built each piece goes its own way.
    auto grows = [&](const TrimPiece& p) { return t.builtGiven ? p.newMm > p.mm : !isLong(t.ratio); };
    const auto growing = std::count_if(t.pieces.begin(), t.pieces.end(), grows);
    out += growing == 0 ? "cut list:\n"
           : growing == static_cast<long>(t.pieces.size())
               ? "cut list: the built antenna is short, so each piece must grow:\n"
               : "cut list: some pieces are short and must grow:\n";
    for (const TrimPiece& p : t.pieces)
        out += "  " + pieceName(p, sides) + ": " + pieceMm(p, p.mm) +
               (grows(p) ? ", longer by " + pieceText(p, p.newMm - p.mm, places(p).inch) + ", to "
                         : ", cut " + pieceText(p, p.mm - p.newMm, places(p).inch) + " from each, to ") +
               pieceMm(p, p.newMm) + "\n";
    if (growing > 0) out += "  wire cannot be un-cut: make these pieces anew at the new lengths\n";
    out += "\n" + figuresText(t.builtGiven ? "model of the antenna as built" : "model of the design", t.model);
    if (t.measured) out += figuresText("measured (" + t.measuredName + ")", *t.measured);
    out += figuresText("model of the trimmed design (height " + mmText(t.newHeightMm, height) + ", side " +
                           mmText(t.newSideMm, side) + ")",
                       t.trimmed);
    out +=
        figuresText(std::string("the built antenna after the trim should show (the trimmed model, with the scale this "
                                "measurement showed") +
                        (t.feed ? ", through the feed" : "") + ")",
                    t.expected);
    return out;
}

std::string csv(const Trim& t) {
    // CRLF line ends, as `design --format csv` writes them (RFC 4180).
    std::string out = "piece,count,length_mm,new_length_mm,change_mm,length_inch,new_length_inch,change_inch,ratio\r\n";
    for (const TrimPiece& p : t.pieces) {
        appendCsvField(out, p.name);
        out += "," + std::to_string(p.count) + "," + fixedText(p.mm, p.places) + "," + fixedText(p.newMm, p.places) +
               "," + fixedText(p.newMm - p.mm, p.places) + "," + fixedText(p.mm / kMmPerInch, 3) + "," +
               fixedText(p.newMm / kMmPerInch, 3) + "," + fixedText((p.newMm - p.mm) / kMmPerInch, 3) + "," +
               fixedText(t.ratio, 6) + "\r\n";
    }
    return out;
}

nlohmann::ordered_json figuresJson(const SwrFigures& f) {
    nlohmann::ordered_json j;
    j["lowest_swr"] = std::isfinite(f.lowestSwr) ? nlohmann::json(f.lowestSwr) : nlohmann::json();
    j["lowest_mhz"] = f.lowestMhz;
    j["lowest"] = lowestJson(f.lowestMhz, f.lowestSwr);
    nlohmann::json stretches = nlohmann::json::array();
    for (const Below2& b : f.stretches)
        stretches.push_back(stretchJson(b));
    j["below_2_to_1_stretches"] = stretches;
    return j;
}

std::string json(const Trim& t) {
    nlohmann::ordered_json doc = reportHead(t.design, t.z0, t.ground, t.feed ? planeName(t.feed->at) : "gap");
    nlohmann::ordered_json measured;
    switch (t.source) {
    case TrimSource::File:
        measured["from"] = "file";
        measured["file"] = t.measuredName;
        if (t.measured) measured.update(figuresJson(*t.measured));
        measured["fit_rms"] = t.fitRms;
        break;
    case TrimSource::Edges:
        measured["from"] = "2to1";
        measured["low_edge_mhz"] = t.lowEdgeMhz;
        measured["high_edge_mhz"] = t.highEdgeMhz;
        break;
    case TrimSource::Dip:
        measured["from"] = "min";
        measured["dip_mhz"] = t.dipMhz;
        break;
    }
    if (t.feed) doc["feed"] = feedJson(*t.feed);
    if (t.coat)
        doc["insulation"] = {{"thickness_mm", t.coat->thicknessMm}, {"relative_permittivity", t.coat->permittivity}};
    doc["measured"] = measured;
    doc["ratio"] = t.ratio;
    doc["electrically"] = fixedText(offPercent(t.ratio), 1) == "0.0" ? "as designed"
                          : isLong(t.ratio)                          ? "long"
                                                                     : "short";
    doc["off_percent"] = offPercent(t.ratio);
    doc["notes"] = t.notes;
    doc["height_mm"] = t.heightMm;
    doc["side_mm"] = t.sideMm;
    doc["gap_mm"] = t.gapMm;
    doc["lengths"] = t.builtGiven ? "as built" : "as designed";
    doc["built_height_mm"] = t.builtHeightMm;
    doc["built_side_mm"] = t.builtSideMm;
    doc["new_height_mm"] = t.newHeightMm;
    doc["new_side_mm"] = t.newSideMm;
    nlohmann::ordered_json pieces = nlohmann::ordered_json::array();
    for (const TrimPiece& p : t.pieces) {
        nlohmann::ordered_json piece;
        piece["piece"] = p.name;
        piece["count"] = p.count;
        piece["length_mm"] = p.mm;
        piece["new_length_mm"] = p.newMm;
        piece["change_mm"] = p.newMm - p.mm;
        pieces.push_back(piece);
    }
    doc["pieces"] = pieces;
    doc["model"] = figuresJson(t.model);
    doc["trimmed_model"] = figuresJson(t.trimmed);
    doc["expected_after_trim"] = figuresJson(t.expected);
    return doc.dump(2) + "\n";
}

}  // namespace

std::string trimAnswer(const Trim& t) {
    std::string out = "ratio " + fixedText(t.ratio, 4) + ", " + meaning(t.ratio);
    for (const TrimPiece& p : t.pieces) {
        out += std::string("; ") + (p.name == "side" ? "sides " : "verticals ") + pieceMm(p, p.mm) +
               (p.newMm > p.mm ? ", longer by " + pieceMm(p, p.newMm - p.mm) : ", cut " + pieceMm(p, p.mm - p.newMm)) +
               " to " + pieceMm(p, p.newMm);
    }
    return out;
}

std::string trimReport(const Trim& t, ReportFormat format) {
    switch (format) {
    case ReportFormat::Csv: return csv(t);
    case ReportFormat::Json: return json(t);
    case ReportFormat::Text: break;
    }
    return text(t);
}

}  // namespace brimalox::nec
