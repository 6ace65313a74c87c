#include "sheet/build_sheet.h"

#include <chrono>
#include <cmath>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "app/layout.h"
#include "app/notes_text.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::sheet {

namespace {}  // namespace

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

}  // namespace

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
    // Where these SWR figures are read, which is not where a builder's meter sits.
    lines.push_back({"SWR AS A METER READS IT", fmt::format(FMT_COMPILE("AT A GAP ON THE {:g} OHM LINE,"), m.z0Ohms)});
    lines.push_back({"", "EVERY GAP FED ALIKE;"});
    lines.push_back({"", "AT THE RIG IT READS OTHERWISE"});
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
                                                     std::optional<ModelFigures> model) {
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
    return sheet;
}

}  // namespace brimalox::sheet
