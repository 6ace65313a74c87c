#include "sheet/build_sheet.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "app/layout.h"
#include "app/notes_text.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::sheet {

double readJointAllowance(const std::string& text, const std::string& name) {
    const Parsed<double> parsed = parseDouble(text);
    if (!parsed.ok() || !std::isfinite(parsed.value))
        throw std::invalid_argument(name + " needs a length in mm, such as 0 or 5, not \"" + text + "\"");
    if (parsed.value < 0) throw std::invalid_argument(name + " " + text + " is negative: it is 0 mm or more");
    return parsed.value;
}

std::string jointAllowanceNote(double mm) {
    return "JOINT ALLOWANCE " + fmt::format(FMT_COMPILE("{}"), mm) +
           " MM ON EACH PIECE BUT THE GAPS, FOR BENDS AND JOINTS: THE WIRE TAKEN UP WHERE PIECES MEET OR ARE WRAPPED";
}

std::string minimumWarning() {
    // Notes lines 2 and 3 and the start of line 4, up to the SWR range in brackets: the warning and
    // what the recommended minimum keeps.
    const std::string& notes = notesText();
    std::string warning;
    std::size_t start = notes.find("\r\n") + 2;
    for (int line = 2; line <= 4; ++line) {
        const std::size_t end = notes.find("\r\n", start);
        std::string text = notes.substr(start, end - start);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (line == 4) text = text.substr(0, text.find(").") + 2);
        warning += (warning.empty() ? "" : " ") + text;
        start = end + 2;
    }
    return warning;
}

bool validDate(std::string_view date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (date[i] < '0' || date[i] > '9') return false;
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (date[i] - '0');
        return value;
    };
    const std::chrono::year_month_day day{std::chrono::year(number(0, 4)),
                                          std::chrono::month(static_cast<unsigned>(number(5, 2))),
                                          std::chrono::day(static_cast<unsigned>(number(8, 2)))};
    return day.ok();
}

std::string metresText(double metres) {
    std::string text = fmt::format(FMT_COMPILE("{:.2f}"), metres);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

namespace {

// The insulated wire's lengths beside the bare ones: the height and the side scaled by the model's
// ratio, the gap as it is (as a trim leaves it).
void insulate(CutList& cuts, const DesignResult& d, double ratio) {
    const double height = parseDouble(d.heightMm).value * ratio, side = parseDouble(d.sideMm).value * ratio;
    const double half = (height - parseDouble(d.gapMm).value) / 2;
    const int n = cuts.sides;
    auto text = [](double mm) { return "in the insulated wire " + fixedText(mm, 1) + " mm"; };
    cuts.pieces[0].insulated = text(side);
    cuts.pieces[1].insulated = text(half);
    cuts.totalInsulated = text(2 * n * side + 2 * n * half);
}

// A length in mm as the sheet gives every length: mm to 4 places at most, inches to 3, the tape's.
Length lengthOf(double mm) {
    const double inch = mm / 25.4;
    return {roundedDecimal(fmt::format(FMT_COMPILE("{:.9f}"), mm), 4),
            roundedDecimal(fmt::format(FMT_COMPILE("{:.9f}"), inch), 3),
            tapeText(inch),
            {}};
}

std::string lineKind(const FeedLine& line) {
    return fmt::format(FMT_COMPILE("{:g} ohm line, VF {:g}"), line.z0, line.vf);
}

// The feed as pieces to buy and cut, in the order they are joined from the gaps to the rig.
std::vector<CutPiece> feedPieces(const FeedFigures& f, const CutList& cuts) {
    constexpr double kTwinLeadVf = 0.82;  // the window's series match is for twin lead of this
    std::vector<CutPiece> pieces;
    const double lineMm = f.line.metres * 1000, matchMm = parseDouble(cuts.match.mm).value;
    const bool matchLength = std::abs(lineMm - matchMm) < 1e-6;
    std::string note = lineKind(f.line) + ", from each gap, joined side by side";
    if (matchLength && f.line.vf == kTwinLeadVf) {
        note += ": the series match length";
    } else if (matchLength) {
        note +=
            ": the series match length, which is for velocity factor 0.82; the same electrical length in this "
            "line is " +
            lengthOf(matchMm * f.line.vf / kTwinLeadVf).mm + " mm";
    }
    pieces.push_back({"FEED LINES", f.lines, matchLength ? cuts.match : lengthOf(lineMm), note, "", "", {}});
    if (f.section)
        pieces.push_back({"FEED SECTION",
                          1,
                          lengthOf(f.section->metres * 1000),
                          lineKind(*f.section) + ", from the junction to the balun",
                          "",
                          "",
                          {}});
    if (f.balun != 1)
        pieces.push_back(
            {"BALUN", 1, {}, fmt::format(FMT_COMPILE("{:g}:1 in impedance, after the junction"), f.balun), "", "", {}});
    if (f.coax)
        pieces.push_back({"COAX",
                          1,
                          lengthOf(f.coax->metres * 1000),
                          fmt::format(FMT_COMPILE("{:g} ohm coax, VF {:g}, to the rig of {:g} ohms"), f.coax->z0,
                                      f.coax->vf, f.rigZ0),
                          "",
                          "",
                          {}});
    return pieces;
}

// On a trimmed design's sheet: what to cut from each piece of wire as built (the sides and the
// vertical halves; the gap and the series match stay).
void trimCuts(CutList& cuts, const DesignTexts& built) {
    const auto value = [](const std::string& text) { return parseDouble(text).value; };
    const double was[] = {value(built.sideMm), (value(built.heightMm) - value(built.gapMm)) / 2};
    for (int i = 0; i < 2; ++i) {
        const double now = value(cuts.pieces[static_cast<std::size_t>(i)].length.mm);
        const double change = std::round((was[i] - now) * 1e4) / 1e4;
        cuts.pieces[static_cast<std::size_t>(i)].trim =
            change >= 0 ? "as built " + lengthOf(was[i]).mm + ": cut " + lengthOf(change).mm + " mm off"
                        : "as built " + lengthOf(was[i]).mm + ": " + lengthOf(-change).mm + " mm short, cut anew";
    }
}

}  // namespace

std::vector<CutRow> feedRows(const BuildSheet& sheet) {
    std::vector<CutRow> rows;
    for (const CutPiece& piece : sheet.feedPieces)
        rows.push_back({piece.name, std::to_string(piece.count), &piece.length, piece.note});
    return rows;
}

std::vector<ModelLine> modelLines(const BuildSheet& sheet) {
    std::vector<ModelLine> lines;
    if (!sheet.model) return lines;
    const ModelFigures& m = *sheet.model;
    lines.push_back({"SWR AT " + sheet.design.frequency + " MHZ", swrFigure(m.swrAtDesign)});
    lines.push_back({"LOWEST SWR", swrFigure(m.lowestSwr) + " AT " + mhzFigure(m.lowestSwrMhz) + " MHZ"});
    if (m.belowTwo.empty()) lines.push_back({"SWR BELOW 2:1", "NOWHERE IN THE SWEEP"});
    for (std::size_t i = 0; i < m.belowTwo.size(); ++i)
        lines.push_back({i == 0 ? "SWR BELOW 2:1" : "",
                         mhzFigure(m.belowTwo[i].fromMhz) + " TO " + mhzFigure(m.belowTwo[i].toMhz) + " MHZ"});
    lines.push_back({"MAXIMUM GAIN", fixedText(m.maxGainDbi, 2) + " DBI"});
    lines.push_back({"TAKE-OFF ANGLE", degreesFigure(m.takeoffDeg) + " DEG"});
    if (m.plane.empty()) {
        // Where these SWR figures are read, which is not where a builder's meter sits.
        lines.push_back(
            {"SWR AS A METER READS IT", fmt::format(FMT_COMPILE("AT A GAP ON THE {:g} OHM LINE,"), m.z0Ohms)});
        lines.push_back({"", "EVERY GAP FED ALIKE;"});
        lines.push_back({"", "AT THE RIG IT READS OTHERWISE"});
    } else {
        std::string plane = m.plane;
        for (char& c : plane)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        lines.push_back(
            {"SWR AS A METER READS IT", fmt::format(FMT_COMPILE("AT THE {} AGAINST {:g} OHMS"), plane, m.z0Ohms)});
    }
    if (m.reversedSwr)
        lines.push_back({"ONE LINE REVERSED",
                         "SWR " + swrFigure(m.reversedSwr->second) + " INSTEAD OF " + swrFigure(m.reversedSwr->first)});
    lines.push_back({"GROUND", m.ground});
    if (m.heightMetres) lines.push_back({"HEIGHT ABOVE GROUND", metresText(*m.heightMetres) + " M"});
    if (m.lengthRatio > 0) {
        lines.push_back({"INSULATED WIRE", m.coat});
        lines.push_back({"INSULATED LENGTHS", "HEIGHT AND SIDE X " + fixedText(m.lengthRatio, 4) + ", " +
                                                  fixedText((1 - m.lengthRatio) * 100, 2) + " % SHORTER"});
        lines.push_back({"", "(CHECKED: THE MODEL AT THEM " + fixedText(m.checkRatio, 4) + ")"});
    }
    return lines;
}

std::variant<BuildSheet, std::string> makeBuildSheet(const DesignResult& design, int sides, std::string date,
                                                     std::optional<ModelFigures> model,
                                                     const SheetAdditions& additions) {
    if (design.failure) return std::string("the design failed, so there is nothing to build");
    if (!validDate(date)) return "\"" + date + "\" is not a date of the form YYYY-MM-DD";
    auto cuts = makeCutList(design, sides);
    if (auto* problem = std::get_if<std::string>(&cuts)) return *problem;
    BuildSheet sheet;
    sheet.date = std::move(date);
    sheet.design = design;
    sheet.cuts = std::move(std::get<CutList>(cuts));
    sheet.formCaption = std::string(control(sheet.cuts.sides == 4 ? Option::Option2 : Option::Option1).text);
    sheet.warning = minimumWarning();
    const Parsed<double> used = parseDouble(design.mm), recommended = parseDouble(design.recommendedMm);
    sheet.belowMinimum = used.ok() && recommended.ok() && used.value < recommended.value;
    sheet.model = std::move(model);
    if (sheet.model && sheet.model->lengthRatio > 0) insulate(sheet.cuts, design, sheet.model->lengthRatio);
    if (additions.builtDesign) trimCuts(sheet.cuts, *additions.builtDesign);
    sheet.jointAllowanceMm = additions.jointAllowanceMm;
    addJointAllowance(sheet.cuts, additions.jointAllowanceMm);
    sheet.feed = additions.feed;
    if (sheet.feed) sheet.feedPieces = feedPieces(*sheet.feed, sheet.cuts);
    return sheet;
}

}  // namespace brimalox::sheet
