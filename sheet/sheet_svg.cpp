#include "sheet/sheet_svg.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "app/layout.h"
#include "numtext/numtext.h"
#include "numtext/xml_text.h"

namespace brimalox::sheet {

namespace {

constexpr double kMargin = 12;
constexpr double kCharWidth = 0.65;  // em, see textWidth()

std::string mm(double value) { return fmt::format(FMT_COMPILE("{:.2f}"), value); }

struct Point {
    double x, y;
};

enum class Anchor { Start, Middle, End };

// SVG drawn in page millimetres, all black.
class Page {
public:
    void text(double x, double y, double size, std::string_view words, Anchor anchor = Anchor::Start,
              std::string_view weight = {}) {
        texts_ += fmt::format(FMT_COMPILE(R"(<text x="{}" y="{}" font-size="{}")"), mm(x), mm(y), mm(size));
        if (anchor == Anchor::Middle) texts_ += R"( text-anchor="middle")";
        if (anchor == Anchor::End) texts_ += R"( text-anchor="end")";
        if (weight == "bold") texts_ += R"( font-weight="bold")";
        if (weight == "italic") texts_ += R"( font-style="italic")";
        texts_ += ">" + xmlEscaped(words) + "</text>\n";
    }
    void line(Point a, Point b, double width = 0.25, bool dashed = false) {
        shapes_ += fmt::format(FMT_COMPILE(R"(<line x1="{}" y1="{}" x2="{}" y2="{}" stroke-width="{}"{}/>)"), mm(a.x),
                               mm(a.y), mm(b.x), mm(b.y), mm(width), dashed ? R"( stroke-dasharray="1.2 0.8")" : "");
        shapes_ += '\n';
    }
    void rect(double x, double y, double w, double h, double width) {
        shapes_ +=
            fmt::format(FMT_COMPILE(R"(<rect x="{}" y="{}" width="{}" height="{}" fill="none" stroke-width="{}"/>)"),
                        mm(x), mm(y), mm(w), mm(h), mm(width));
        shapes_ += '\n';
    }
    void dot(Point c, double r) {
        shapes_ += fmt::format(FMT_COMPILE(R"(<circle cx="{}" cy="{}" r="{}" fill="#000" stroke="none"/>)"), mm(c.x),
                               mm(c.y), mm(r));
        shapes_ += '\n';
    }
    // An arrow head with its tip at `tip`, pointing along (dx, dy).
    void arrow(Point tip, double dx, double dy) {
        const double length = std::hypot(dx, dy);
        if (length == 0) return;
        dx /= length;
        dy /= length;
        constexpr double kLong = 2, kHalfWide = 0.6;
        const Point base{tip.x - dx * kLong, tip.y - dy * kLong};
        shapes_ += fmt::format(FMT_COMPILE(R"(<polygon points="{},{} {},{} {},{}" fill="#000" stroke="none"/>)"),
                               mm(tip.x), mm(tip.y), mm(base.x - dy * kHalfWide), mm(base.y + dx * kHalfWide),
                               mm(base.x + dy * kHalfWide), mm(base.y - dx * kHalfWide));
        shapes_ += '\n';
    }
    // A dimension line between a and b with arrow heads at both ends.
    void dimension(Point a, Point b) {
        line(a, b, 0.2);
        arrow(a, a.x - b.x, a.y - b.y);
        arrow(b, b.x - a.x, b.y - a.y);
    }
    // A line to write on, for what the builder measures.
    void blank(double x, double y, double width) { line({x, y + 0.8}, {x + width, y + 0.8}, 0.2); }

    // Text needs no stroke, the shapes no fill of their own: two groups, each with its default.
    std::string svg() const {
        return "<g stroke=\"none\">\n" + texts_ + "</g>\n<g fill=\"none\" stroke-linecap=\"round\">\n" + shapes_ +
               "</g>\n";
    }

private:
    std::string texts_, shapes_;
};

// AWG, inch and millimetre texts of a conductor side by side, each after its unit.
void conductorLine(Page& page, double x, double y, double size, std::string_view weight, const std::string& awg,
                   const std::string& inch, const std::string& mmText) {
    page.text(x, y, size, "AWG " + awg, Anchor::Start, weight);
    page.text(x + 30, y, size, "INCH " + inch, Anchor::Start, weight);
    page.text(x + 68, y, size, "MM " + mmText, Anchor::Start, weight);
}

// The form in a slanted view, as the window's diagram shows it, but with the chosen number of sides
// and to scale, except a gap too small to see, which is drawn larger.
void drawForm(Page& page, const BuildSheet& sheet, double left, double top, double right, double bottom) {
    const CutList& cuts = sheet.cuts;
    const int n = cuts.sides;
    const auto magnitude = [](const std::string& text, double fallback) {
        // The field's own rule, not the C library's, whose decimal mark follows the user's locale.
        const Parsed<double> parsed = parseDouble(text);
        const double value = parsed.ok() ? std::abs(parsed.value) : 0;
        return std::isfinite(value) && value > 0 ? value : fallback;
    };
    const double height = magnitude(cuts.height.mm, 1);
    const double side = magnitude(cuts.side.mm, height / 2.7);
    const double gap = std::min(magnitude(cuts.gap.mm, 0), height / 4);

    // The legend below the drawing, its last line at the bottom.
    std::vector<std::string> legend{fmt::format(FMT_COMPILE("F1 TO F{}: THE FEED GAPS, EACH FED WITH {:g} OHM {}"), n,
                                                sheet.feed ? sheet.feed->line.z0 : 300.0,
                                                sheet.feed ? "LINE" : "LADDER LINE")};
    if (sheet.feed) legend.push_back("A, B: THE TWO CONDUCTORS OF EACH GAP'S LINE, ALIKE AT EVERY GAP (SEE FEED)");

    // Labels take room at the left (height), right (gap) and below (side).
    constexpr double kLabelRoom = 27, kSideRoom = 15;
    const double feedRoom = 6 + 3.6 * static_cast<double>(legend.size() - 1);
    const double boxLeft = left + kLabelRoom, boxRight = right - kLabelRoom;
    const double boxTop = top + 2, boxBottom = bottom - kSideRoom - feedRoom;

    // Corners in plan, turned so that no two verticals meet in the view; y runs away from the viewer.
    const double radius = side / (2 * std::sin(std::numbers::pi / n));
    const double turn = (n == 3 ? 105.0 : 65.0) * std::numbers::pi / 180;
    const double tilt = 18 * std::numbers::pi / 180;
    std::vector<Point> plan;
    for (int k = 0; k < n; ++k) {
        const double a = turn + 2 * std::numbers::pi * k / n;
        plan.push_back({radius * std::cos(a), radius * std::sin(a)});
    }
    // Seen from a little above: farther corners stand higher on the page.
    const auto view = [&](Point p, double z) { return Point{p.x, -z * std::cos(tilt) - p.y * std::sin(tilt)}; };
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const Point& p : plan)
        for (double z : {0.0, height}) {
            const Point v = view(p, z);
            minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
            minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
        }
    const double scale = std::min((boxRight - boxLeft) / (maxX - minX), (boxBottom - boxTop) / (maxY - minY));
    const double offsetX = (boxLeft + boxRight) / 2 - scale * (minX + maxX) / 2;
    const double offsetY = boxTop - scale * minY;
    const auto onPage = [&](Point p, double z) {
        const Point v = view(p, z);
        return Point{offsetX + scale * v.x, offsetY + scale * v.y};
    };

    constexpr double kSmallestGap = 2.4;  // mm on paper
    const double gapOnPage = std::max(gap * scale * std::cos(tilt), kSmallestGap);
    const bool gapEnlarged = gap * scale * std::cos(tilt) < kSmallestGap;

    constexpr double kWire = 0.6;
    for (double z : {0.0, height})
        for (int k = 0; k < n; ++k)
            page.line(onPage(plan[k], z), onPage(plan[(k + 1) % n], z), kWire);
    // Verticals with their gaps, numbered as the feed points they are.
    int leftmost = 0, rightmost = 0;
    for (int k = 0; k < n; ++k) {
        if (plan[k].x < plan[leftmost].x) leftmost = k;
        if (plan[k].x > plan[rightmost].x) rightmost = k;
    }
    std::vector<std::pair<Point, Point>> gaps;
    for (int k = 0; k < n; ++k) {
        const Point low = onPage(plan[k], 0), high = onPage(plan[k], height);
        const double middle = (low.y + high.y) / 2;
        const Point gapTop{low.x, middle - gapOnPage / 2}, gapBottom{low.x, middle + gapOnPage / 2};
        page.line(high, gapTop, kWire);
        page.line(gapBottom, low, kWire);
        page.dot(gapTop, 0.55);
        page.dot(gapBottom, 0.55);
        gaps.emplace_back(gapTop, gapBottom);
        const bool labelRight = k != rightmost && k != leftmost ? plan[k].y > 0 : k == leftmost;
        page.text(low.x + (labelRight ? 1.2 : -1.2), middle + 1, 2.6, fmt::format(FMT_COMPILE("F{}"), k + 1),
                  labelRight ? Anchor::Start : Anchor::End, "bold");
        if (sheet.feed) {  // which conductor of the gap's line goes where, the same at every gap
            const Anchor anchor = labelRight ? Anchor::End : Anchor::Start;
            const double x = low.x + (labelRight ? -1 : 1);
            page.text(x, gapTop.y - 0.3, 2.2, "A", anchor, "bold");
            page.text(x, gapBottom.y + 1.9, 2.2, "B", anchor, "bold");
        }
    }

    // HEIGHT: beside the leftmost vertical, with extension lines from its ends.
    {
        const Point low = onPage(plan[leftmost], 0), high = onPage(plan[leftmost], height);
        const double x = low.x - 6;
        page.line({low.x - 1, low.y}, {x - 1.5, low.y}, 0.15);
        page.line({high.x - 1, high.y}, {x - 1.5, high.y}, 0.15);
        page.dimension({x, high.y}, {x, low.y});
        const double y = (low.y + high.y) / 2;
        page.text(x - 2, y - 3, 3.2, "HEIGHT", Anchor::End, "bold");
        page.text(x - 2, y + 1.5, 3, cuts.height.mm + " MM", Anchor::End);
        page.text(x - 2, y + 5.5, 3, cuts.height.inch + " IN", Anchor::End);
    }
    // GAP: beside the rightmost vertical's gap, arrows from outside as the gap is small.
    {
        const auto [gapTop, gapBottom] = gaps[static_cast<std::size_t>(rightmost)];
        const double x = gapTop.x + 6;
        page.line({gapTop.x + 1, gapTop.y}, {x + 1.5, gapTop.y}, 0.15);
        page.line({gapBottom.x + 1, gapBottom.y}, {x + 1.5, gapBottom.y}, 0.15);
        page.line({x, gapTop.y - 4}, {x, gapBottom.y + 4}, 0.2);
        page.arrow(gapTop, 0, 1);
        page.arrow({x, gapTop.y}, 0, 1);
        page.arrow({x, gapBottom.y}, 0, -1);
        const double y = (gapTop.y + gapBottom.y) / 2;
        page.text(x + 2, y - 3, 3.2, "GAP", Anchor::Start, "bold");
        page.text(x + 2, y + 1.5, 3, cuts.gap.mm + " MM", Anchor::Start);
        page.text(x + 2, y + 5.5, 3, cuts.gap.inch + " IN", Anchor::Start);
    }
    // SIDE: along the nearest bottom edge, set off below it.
    {
        int front = 0;
        for (int k = 0; k < n; ++k)
            if (plan[k].y + plan[(k + 1) % n].y < plan[front].y + plan[(front + 1) % n].y) front = k;
        Point a = onPage(plan[front], 0), b = onPage(plan[(front + 1) % n], 0);
        if (a.x > b.x) std::swap(a, b);
        double nx = -(b.y - a.y), ny = b.x - a.x;
        const double length = std::hypot(nx, ny);
        nx /= length, ny /= length;
        if (ny < 0) nx = -nx, ny = -ny;
        constexpr double kOffset = 5;
        const Point a2{a.x + nx * kOffset, a.y + ny * kOffset}, b2{b.x + nx * kOffset, b.y + ny * kOffset};
        page.line({a.x + nx, a.y + ny}, {a2.x + nx * 1.5, a2.y + ny * 1.5}, 0.15);
        page.line({b.x + nx, b.y + ny}, {b2.x + nx * 1.5, b2.y + ny * 1.5}, 0.15);
        page.dimension(a2, b2);
        const double y = std::max(a2.y, b2.y) + 5;
        page.text((a2.x + b2.x) / 2, y, 3.2, "SIDE  " + cuts.side.mm + " MM   " + cuts.side.inch + " IN",
                  Anchor::Middle, "bold");
    }
    for (std::size_t i = 0; i < legend.size(); ++i)
        page.text((left + right) / 2, bottom - 3.5 - 3.6 * static_cast<double>(legend.size() - 1 - i), 2.6, legend[i],
                  Anchor::Middle);
    if (gapEnlarged)
        page.text((left + right) / 2, bottom, 2.6, "THE GAPS ARE DRAWN LARGER THAN TO SCALE", Anchor::Middle);
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
