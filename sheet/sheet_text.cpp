#include "sheet/sheet_text.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <fmt/compile.h>
#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "app/design_table.h"
#include "app/layout.h"
#include "numtext/csv_text.h"
#include "sheet/sheet_svg.h"

namespace brimalox::sheet {

namespace {

constexpr std::size_t kWidth = 78;

std::string conductor(const std::string& awg, const std::string& inch, const std::string& mm) {
    return "AWG " + awg + "   INCH " + inch + "   MM " + mm;
}

}  // namespace

std::string sheetText(const BuildSheet& sheet) {
    const DesignResult& d = sheet.design;
    const CutList& cuts = sheet.cuts;
    std::string out;
    const std::string title = "BRIMALOX ANTENNA BUILD SHEET", date = "DATE " + sheet.date;
    out += title + std::string(kWidth > title.size() + date.size() ? kWidth - title.size() - date.size() : 1, ' ') +
           date + "\n\n";
    const std::string recommended(control(Field::Text3).text);
    const std::size_t labelWidth = recommended.size() + 2;
    out +=
        fmt::format(FMT_COMPILE("{:<{}}{} MHZ   {}\n"), "DESIGN FREQUENCY", labelWidth, d.frequency, sheet.formCaption);
    out += fmt::format(FMT_COMPILE("{:<{}}{}\n"), recommended, labelWidth,
                       conductor(d.recommendedAwg, d.recommendedInch, d.recommendedMm));
    out += fmt::format(FMT_COMPILE("{:<{}}{}\n\n"), "CONDUCTOR USED", labelWidth, conductor(d.awg, d.inch, d.mm));
    if (sheet.belowMinimum) out += std::string(kBelowMinimumText) + '\n';
    for (const std::string& line : wrapped(sheet.warning, kWidth))
        out += line + '\n';

    out += "\nDIMENSIONS AS THE WINDOW SHOWS THEM\n";
    const std::array<std::pair<std::string_view, const Length*>, 4> dimensions{
        {{"HEIGHT", &cuts.height},
         {"SIDE", &cuts.side},
         {"GAP", &cuts.gap},
         {"300 OHM SERIES MATCH LENGHT", &cuts.match}}};
    std::size_t mmWidth = 2, inchWidth = 4;
    for (const auto& [label, length] : dimensions) {
        mmWidth = std::max(mmWidth, length->mm.size());
        inchWidth = std::max(inchWidth, length->inch.size());
    }
    for (const auto& [label, length] : dimensions)
        out += fmt::format(FMT_COMPILE("{:<29}{:>{}} MM  {:>{}} IN\n"), label, length->mm, mmWidth, length->inch,
                           inchWidth);

    out += "\nCUT LIST\n";
    const std::vector<CutRow> rows = cutRows(cuts), feed = feedRows(sheet);
    std::size_t nameWidth = 5, mm = 2, inch = 4;
    for (const std::vector<CutRow>* table : {&rows, &feed})
        for (const CutRow& row : *table) {
            nameWidth = std::max(nameWidth, row.name.size());
            mm = std::max(mm, row.toCut().mm.size());
            inch = std::max(inch, row.toCut().inch.size());
        }
    const auto table = [&](const std::vector<CutRow>& list) {
        out += fmt::format(FMT_COMPILE("{:<{}}  COUNT  {:>{}}  {:>{}}  TAPE MEASURE\n"), "PIECE", nameWidth, "MM", mm,
                           "INCH", inch);
        for (const CutRow& row : list) {
            const Length& length = row.toCut();
            out += fmt::format(FMT_COMPILE("{:<{}}  {:>5}  {:>{}}  {:>{}}  {}"), row.name, nameWidth, row.count,
                               length.mm, mm, length.inch, inch, length.tape);
            while (out.back() == ' ')  // a balun has no length
                out.pop_back();
            out += '\n';
            for (const std::string& line : wrapped(row.how(), kWidth - 2))
                out += "  " + line + '\n';
        }
    };
    table(rows);
    if (sheet.jointAllowanceMm > 0)
        for (const std::string& line : wrapped(jointAllowanceNote(sheet.jointAllowanceMm), kWidth))
            out += line + '\n';
    if (!feed.empty()) {
        out += "\nFEED\n";
        table(feed);
        for (const std::string& line :
             wrapped("POLARITY: MARK ONE CONDUCTOR OF EACH LINE A, THE OTHER B; " + std::string(kPolarityText), kWidth))
            out += line + '\n';
    }

    out += "\nMODEL CHECK\n";
    const std::vector<ModelLine> model = modelLines(sheet);
    if (model.empty()) out += "  none run for this sheet\n";
    std::size_t labelColumn = 0;
    for (const ModelLine& line : model)
        labelColumn = std::max(labelColumn, line.label.size());
    for (const ModelLine& line : model)
        out += fmt::format(FMT_COMPILE("{:<{}}  {}\n"), line.label, labelColumn, line.value);
    for (const std::string& line : wrapped(sheet.remark, kWidth))
        out += line + '\n';

    out += "\nMEASURED ON THE BUILT ANTENNA\n";
    const std::string blank(12, '_');
    out += "SWR CROSSES 2:1 AT " + blank + " MHZ AND " + blank + " MHZ\n";
    out += "SWR DIPS AT " + blank + " MHZ   LOWEST SWR " + blank + '\n';
    out += "NOTES " + std::string(kWidth - 6, '_') + '\n';
    return out;
}

namespace {

// With a joint allowance the lengths to cut follow the design's.
const std::vector<Column>& cutColumns(bool allowance) {
    static const std::vector<Column> columns{
        {"piece", "", ""},      {"count", "", ""}, {"mm", "", ""},     {"inch", "", ""},     {"tape", "", ""},
        {"derivation", "", ""}, {"note", "", ""},  {"cut_mm", "", ""}, {"cut_inch", "", ""}, {"cut_tape", "", ""}};
    static const std::vector<Column> design(columns.begin(), columns.begin() + 7);
    return allowance ? columns : design;
}

// The cut list's rows, then the feed's pieces.
std::vector<std::vector<std::string>> cutCells(const BuildSheet& s) {
    std::vector<std::vector<std::string>> rows;
    std::vector<CutRow> all = cutRows(s.cuts);
    for (const CutRow& r : feedRows(s))
        all.push_back(r);
    for (const CutRow& r : all) {
        rows.push_back({r.name, r.count, r.length->mm, r.length->inch, r.length->tape, r.length->derivation, r.note});
        if (s.jointAllowanceMm > 0)
            rows.back().insert(rows.back().end(), {r.toCut().mm, r.toCut().inch, r.toCut().tape});
    }
    return rows;
}

}  // namespace

std::string sheetJson(const BuildSheet& s) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["date"] = s.date;
    const std::vector<std::string> cells = designCells(s.design, s.cuts.sides);
    for (std::size_t i = 0; i < cells.size(); ++i)
        json[std::string(designColumns()[i].key)] = cells[i];
    json["form"] = s.formCaption;
    json["warning"] = s.warning;
    nlohmann::ordered_json cuts = nlohmann::ordered_json::array(), feed = nlohmann::ordered_json::array();
    const std::vector<Column>& columns = cutColumns(s.jointAllowanceMm > 0);
    const auto rows = cutCells(s);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        nlohmann::ordered_json piece = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < rows[r].size(); ++i)
            piece[std::string(columns[i].key)] = rows[r][i];
        (r < rows.size() - s.feedPieces.size() ? cuts : feed).push_back(std::move(piece));
    }
    json["cut_list"] = std::move(cuts);
    if (s.jointAllowanceMm > 0) {
        json["joint_allowance_mm"] = s.jointAllowanceMm;
        json["joint_allowance_note"] = jointAllowanceNote(s.jointAllowanceMm);
    }
    if (s.feed) json["feed"] = {{"pieces", std::move(feed)}, {"polarity", std::string(kPolarityText)}};
    if (s.model) {
        const ModelFigures& m = *s.model;
        nlohmann::ordered_json model = nlohmann::ordered_json::object();
        model["swr_at_design"] = m.swrAtDesign;
        model["lowest_swr"] = m.lowestSwr;
        model["lowest_swr_mhz"] = m.lowestSwrMhz;
        // The shape of the model's reports (nec::lowestJson, nec::stretchJson), which the sheet cannot include.
        model["lowest"] = {{"mhz", m.lowestSwrMhz},
                           {"swr", std::isfinite(m.lowestSwr) ? nlohmann::ordered_json(m.lowestSwr) : nullptr}};
        nlohmann::ordered_json stretches = nlohmann::ordered_json::array();
        for (const auto& stretch : m.belowTwo)
            stretches.push_back({{"from_mhz", stretch.fromMhz},
                                 {"to_mhz", stretch.toMhz},
                                 {"open_below", stretch.openBelow},
                                 {"open_above", stretch.openAbove}});
        model["below_2_to_1"] = std::move(stretches);
        model["max_gain_dbi"] = m.maxGainDbi;
        model["takeoff_deg"] = m.takeoffDeg;
        model["z0_ohms"] = m.z0Ohms;
        model["ground"] = m.ground;
        model["height_m"] = m.heightMetres ? nlohmann::ordered_json(*m.heightMetres) : nlohmann::ordered_json();
        if (!m.plane.empty()) model["plane"] = m.plane;
        if (m.reversedSwr) {
            model["swr_one_line_reversed"] = m.reversedSwr->second;
            model["swr_lines_alike"] = m.reversedSwr->first;
        }
        if (m.lengthRatio > 0) {
            model["insulation"] = m.coat;
            model["length_ratio"] = m.lengthRatio;
            model["check_ratio"] = m.checkRatio;
        }
        json["model"] = std::move(model);
    } else {
        json["model"] = nullptr;
    }
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + '\n';
}

std::string cutListCsv(const BuildSheet& s) {
    // CRLF line ends, as every CSV of the program ends them (RFC 4180).
    std::string out;
    const std::vector<Column>& columns = cutColumns(s.jointAllowanceMm > 0);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i > 0) out += ',';
        appendCsvField(out, columns[i].key);
    }
    out += "\r\n";
    for (const std::vector<std::string>& row : cutCells(s)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += ',';
            appendCsvField(out, row[i]);
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace brimalox::sheet
