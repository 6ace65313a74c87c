#include "sheet/sheet_text.h"

#include <algorithm>
#include <array>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "app/layout.h"
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

}  // namespace brimalox::sheet
