// The form drawn on the build sheet, with its dimensions and feed gaps.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "numtext/numtext.h"
#include "sheet/svg_page.h"

namespace brimalox::sheet {

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

}  // namespace brimalox::sheet
