#include "sheet/sheet_svg.h"

#include <algorithm>
#include <cmath>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "app/layout.h"
#include "numtext/numtext.h"
#include "numtext/xml_text.h"
#include "sheet/svg_page.h"

namespace brimalox::sheet {

namespace {

constexpr double kMargin = 12;
constexpr double kCharWidth = 0.65;  // em, see textWidth()

// AWG, inch and millimetre texts of a conductor side by side, each after its unit.
void conductorLine(Page& page, double x, double y, double size, std::string_view weight, const std::string& awg,
                   const std::string& inch, const std::string& mmText) {
    page.text(x, y, size, "AWG " + awg, Anchor::Start, weight);
    page.text(x + 30, y, size, "INCH " + inch, Anchor::Start, weight);
    page.text(x + 68, y, size, "MM " + mmText, Anchor::Start, weight);
}

void drawModel(Page& page, const BuildSheet& sheet, double left, double top, double width) {
    page.text(left, top, 3.6, "MODEL CHECK", Anchor::Start, "bold");
    double y = top + 6;
    if (!sheet.model) {
        page.text(left, y, 3, "NONE RUN FOR THIS SHEET", Anchor::Start, "italic");
        y += 5;
    }
    // Label above value: the column is narrow beside the drawing. With a feed, whose list takes the
    // room below, each value follows its label on the line.
    const auto valueWidth = static_cast<std::size_t>((width - 3) / (kCharWidth * 3.2));
    for (const ModelLine& line : modelLines(sheet)) {
        if (sheet.feed) {
            constexpr double kSize = 2.7;
            double x = left + 3;
            if (!line.label.empty()) {
                page.text(left, y, kSize, line.label);
                x = std::max(x, left + textWidth(line.label, kSize) + 2);
            }
            const std::vector<std::string> parts =
                wrapped(line.value, static_cast<std::size_t>((left + width - x) / (kCharWidth * kSize)));
            for (std::size_t i = 0; i < parts.size(); ++i) {
                page.text(x, y, kSize, parts[i], Anchor::Start, "bold");
                y += 3.5;
            }
            if (parts.empty()) y += 3.5;
            y += 0.4;
            continue;
        }
        if (!line.label.empty()) {
            page.text(left, y, 2.8, line.label);
            y += 4;
        }
        for (const std::string& part : wrapped(line.value, valueWidth)) {
            page.text(left + 3, y, 3.2, part, Anchor::Start, "bold");
            y += 4.2;
        }
        y += 1;
    }
    y += 2;
    if (sheet.feed) return;  // the remark goes below the feed's list
    for (const std::string& part : wrapped(sheet.remark, static_cast<std::size_t>(width / (kCharWidth * 2.8)))) {
        page.text(left, y, 2.8, part, Anchor::Start, "italic");
        y += 3.8;
    }
}

void drawCutList(Page& page, const BuildSheet& sheet, double left, double top, double right) {
    constexpr double kSize = 3.2, kSpace = 6;
    const std::vector<CutRow> rows = cutRows(sheet.cuts);
    // Numbers right-aligned in columns as wide as their longest text: a series match in inches
    // has up to 15 digits.
    double mmWidth = textWidth("MM", kSize), inchWidth = textWidth("INCH", kSize);
    for (const CutRow& row : rows) {
        mmWidth = std::max(mmWidth, textWidth(row.toCut().mm, kSize));
        inchWidth = std::max(inchWidth, textWidth(row.toCut().inch, kSize));
    }
    const double countX = left + 66, mmX = countX + kSpace + mmWidth, inchX = mmX + kSpace + inchWidth,
                 tapeX = inchX + kSpace;

    page.text(left, top, 3.6, "CUT LIST", Anchor::Start, "bold");
    double y = top + 6;
    page.text(left, y, 2.8, "PIECE");
    page.text(countX, y, 2.8, "COUNT", Anchor::End);
    page.text(mmX, y, 2.8, "MM", Anchor::End);
    page.text(inchX, y, 2.8, "INCH", Anchor::End);
    page.text(tapeX, y, 2.8, "TAPE MEASURE");
    page.line({left, y + 1.5}, {right, y + 1.5}, 0.3);
    y += 6;
    for (const CutRow& row : rows) {
        page.text(left, y, kSize, row.name, Anchor::Start, "bold");
        page.text(countX, y, kSize, row.count, Anchor::End, "bold");
        page.text(mmX, y, kSize, row.toCut().mm, Anchor::End, "bold");
        page.text(inchX, y, kSize, row.toCut().inch, Anchor::End, "bold");
        page.text(tapeX, y, kSize, row.toCut().tape, Anchor::Start, "bold");
        // One line, smaller when an allowance or a trim makes it long.
        const std::string how = row.how();
        page.text(left + 2, y + 3.6, std::min(2.6, std::floor((right - left - 2) / textWidth(how, 1) * 100) / 100), how,
                  Anchor::Start, "italic");
        page.line({left, y + 5.2}, {right, y + 5.2}, 0.1);
        y += 8.5;
    }
    if (sheet.jointAllowanceMm > 0)
        page.text(left, y, 2.4, jointAllowanceNote(sheet.jointAllowanceMm), Anchor::Start, "italic");
}

// The feed's pieces across the page, one line each with what the piece is, then the lines'
// polarity.
constexpr double kFeedSize = 2.9, kFeedNoteSize = 2.4, kFeedRow = 4.4, kFeedNote = 3;
struct FeedColumns {
    double count, mm, tape, note;
    std::size_t noteWidth;
};
FeedColumns feedColumns(const BuildSheet& sheet, double left, double right) {
    constexpr double kSpace = 4;
    double nameWidth = 0, mmWidth = textWidth("MM", kFeedSize), tapeWidth = textWidth("TAPE MEASURE", 2.6);
    for (const CutRow& row : feedRows(sheet)) {
        nameWidth = std::max(nameWidth, textWidth(row.name, kFeedSize));
        mmWidth = std::max(mmWidth, textWidth(row.length->mm, kFeedSize));
        tapeWidth = std::max(tapeWidth, textWidth(row.length->tape, kFeedSize));
    }
    FeedColumns c{};
    c.count = left + nameWidth + kSpace + textWidth("COUNT", 2.6);
    c.mm = c.count + kSpace + mmWidth;
    c.tape = c.mm + kSpace;
    c.note = c.tape + tapeWidth + kSpace;
    c.noteWidth = static_cast<std::size_t>((right - c.note) / (kCharWidth * kFeedNoteSize));
    return c;
}
std::vector<std::string> polarityLines(double left, double right) {
    return wrapped("POLARITY: MARK ONE CONDUCTOR OF EACH LINE A, THE OTHER B; " + std::string(kPolarityText),
                   static_cast<std::size_t>((right - left) / (kCharWidth * kFeedNoteSize)));
}
std::vector<std::string> remarkLines(const BuildSheet& sheet, double left, double right) {
    return wrapped(sheet.remark, static_cast<std::size_t>((right - left) / (kCharWidth * kFeedNoteSize)));
}
double feedHeight(const BuildSheet& sheet, double left, double right) {
    const FeedColumns c = feedColumns(sheet, left, right);
    double height = 11 + kFeedNote * static_cast<double>(polarityLines(left, right).size() +
                                                         remarkLines(sheet, left, right).size());
    for (const CutRow& row : feedRows(sheet))
        height += kFeedRow + kFeedNote * static_cast<double>(wrapped(row.how(), c.noteWidth).size() - 1);
    return height;
}
void drawFeed(Page& page, const BuildSheet& sheet, double left, double top, double right) {
    const FeedColumns c = feedColumns(sheet, left, right);
    page.text(left, top, 3.6, "FEED", Anchor::Start, "bold");
    double y = top + 5.5;
    page.text(left, y, 2.6, "PIECE");
    page.text(c.count, y, 2.6, "COUNT", Anchor::End);
    page.text(c.mm, y, 2.6, "MM", Anchor::End);
    page.text(c.tape, y, 2.6, "TAPE MEASURE");
    page.line({left, y + 1.3}, {right, y + 1.3}, 0.3);
    y += 5.5;
    for (const CutRow& row : feedRows(sheet)) {
        page.text(left, y, kFeedSize, row.name, Anchor::Start, "bold");
        page.text(c.count, y, kFeedSize, row.count, Anchor::End, "bold");
        page.text(c.mm, y, kFeedSize, row.length->mm, Anchor::End, "bold");
        page.text(c.tape, y, kFeedSize, row.length->tape, Anchor::Start, "bold");
        const std::vector<std::string> notes = wrapped(row.how(), c.noteWidth);
        for (std::size_t i = 0; i < notes.size(); ++i)
            page.text(c.note, y + kFeedNote * static_cast<double>(i), kFeedNoteSize, notes[i], Anchor::Start, "italic");
        y += kFeedRow + kFeedNote * static_cast<double>(notes.size() - 1);
    }
    y += 0.6;
    for (const std::string& line : polarityLines(left, right)) {
        page.text(left, y, kFeedNoteSize, line, Anchor::Start, "bold");
        y += kFeedNote;
    }
    // The model column beside the drawing has no room left for a remark below it.
    for (const std::string& line : remarkLines(sheet, left, right)) {
        page.text(left, y, kFeedNoteSize, line, Anchor::Start, "italic");
        y += kFeedNote;
    }
}

void drawMeasured(Page& page, double left, double top, double right) {
    page.text(left, top, 3.6, "MEASURED ON THE BUILT ANTENNA", Anchor::Start, "bold");
    double y = top + 8;
    page.text(left, y, 3.2, "SWR CROSSES 2:1 AT");
    page.blank(left + 40, y, 28);
    page.text(left + 70, y, 3.2, "MHZ AND");
    page.blank(left + 88, y, 28);
    page.text(left + 118, y, 3.2, "MHZ");
    y += 8;
    page.text(left, y, 3.2, "SWR DIPS AT");
    page.blank(left + 40, y, 28);
    page.text(left + 70, y, 3.2, "MHZ");
    page.text(left + 88, y, 3.2, "LOWEST SWR");
    page.blank(left + 113, y, 20);
    y += 8;
    page.text(left, y, 3.2, "NOTES");
    page.blank(left + 16, y, right - left - 16);
}

}  // namespace

PaperSize paperSize(Paper paper) {
    return paper == Paper::Letter ? PaperSize{215.9, 279.4, 612, 792} : PaperSize{210, 297, 595.2756, 841.8898};
}

double textWidth(std::string_view text, double fontSize) {
    return kCharWidth * fontSize * static_cast<double>(text.size());
}

std::vector<std::string> wrapped(std::string_view text, std::size_t width) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = text.find_first_not_of(' ', at);
        if (start == std::string_view::npos) break;
        const std::size_t end = std::min(text.find(' ', start), text.size());
        // A lone opening bracket stays with the word after it.
        if (!words.empty() && words.back() == "(")
            words.back() += " " + std::string(text.substr(start, end - start));
        else
            words.emplace_back(text.substr(start, end - start));
        at = end;
    }
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(std::move(line));
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

std::string sheetSvg(const BuildSheet& sheet, Paper paper) {
    const PaperSize size = paperSize(paper);
    const double left = kMargin, right = size.widthMm - kMargin, bottom = size.heightMm - kMargin;
    const DesignResult& d = sheet.design;
    Page page;

    page.text(left, 20, 6, "BRIMALOX ANTENNA BUILD SHEET", Anchor::Start, "bold");
    page.text(right, 20, 3.6, "DATE " + sheet.date, Anchor::End);
    page.line({left, 23}, {right, 23}, 0.5);

    const double valueX = left + 70;
    page.text(left, 30, 3.4, "DESIGN FREQUENCY");
    page.text(valueX, 30, 3.8, d.frequency + " MHZ", Anchor::Start, "bold");
    page.text(right, 30, 3.8, sheet.formCaption, Anchor::End, "bold");
    page.text(left, 37, 3.4, std::string(control(Field::Text3).text));
    conductorLine(page, valueX, 37, 3.4, {}, d.recommendedAwg, d.recommendedInch, d.recommendedMm);
    page.text(left, 43.5, 3.4, "CONDUCTOR USED");
    conductorLine(page, valueX, 43.5, 3.8, "bold", d.awg, d.inch, d.mm);

    // The warning, boxed, in as many lines as the page's width needs.
    constexpr double kWarningSize = 3.2, kWarningLine = 4.3;
    auto warningLines =
        wrapped(sheet.warning, static_cast<std::size_t>((right - left - 6) / (kCharWidth * kWarningSize)));
    if (sheet.belowMinimum) warningLines.insert(warningLines.begin(), std::string(kBelowMinimumText));
    const double warningTop = 47.5;
    double y = warningTop + 5.5;
    for (const std::string& line : warningLines) {
        page.text(left + 3, y, kWarningSize, line, Anchor::Start, "bold");
        y += kWarningLine;
    }
    const double warningBottom = y - kWarningLine + 3;
    page.rect(left, warningTop, right - left, warningBottom - warningTop, 0.6);

    // From the bottom up: what the builder measures, the cut list; the drawing takes what is left.
    const double measuredTop = bottom - 26;
    const double cutTop = measuredTop - (sheet.feed ? 6 : 10) - 6 - 6 - 8.5 * 5 - (sheet.jointAllowanceMm > 0 ? 4 : 0);
    const double middleTop = warningBottom + 8;
    const double drawingRight = left + 118;
    double drawingBottom = cutTop - 8;
    if (!sheet.feedPieces.empty()) {
        drawingBottom -= feedHeight(sheet, left, right) + 3;
        drawFeed(page, sheet, left, drawingBottom + 7, right);
    }
    drawForm(page, sheet, left, middleTop, drawingRight, drawingBottom);
    drawModel(page, sheet, drawingRight + 4, middleTop + 2, right - drawingRight - 4);
    drawCutList(page, sheet, left, cutTop, right);
    drawMeasured(page, left, measuredTop, right);

    const std::string width = fmt::format(FMT_COMPILE("{}"), size.widthMm);
    const std::string height = fmt::format(FMT_COMPILE("{}"), size.heightMm);
    std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + width + R"(mm" height=")" + height +
                      R"(mm" viewBox="0 0 )" + width + " " + height +
                      R"(" font-family="Liberation Sans, Arial, Helvetica, sans-serif" fill="#000" stroke="#000">)"
                      "\n";
    svg += "<title>" + xmlEscaped("BRIMALOX build sheet, " + d.frequency + " MHz, " + sheet.formCaption) + "</title>\n";
    svg += fmt::format(FMT_COMPILE(R"(<rect x="0" y="0" width="{}" height="{}" fill="#fff" stroke="none"/>)"),
                       size.widthMm, size.heightMm);
    svg += "\n" + page.svg() + "</svg>\n";
    return svg;
}

}  // namespace brimalox::sheet