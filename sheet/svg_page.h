#pragma once
// The build sheet's page as SVG drawing primitives in millimetres, shared by the files that draw
// its parts.

#include <cmath>
#include <string>
#include <string_view>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "numtext/xml_text.h"
#include "sheet/build_sheet.h"

namespace brimalox::sheet {

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
    static std::string mm(double value) { return fmt::format(FMT_COMPILE("{:.2f}"), value); }

    std::string texts_, shapes_;
};

// The form in a slanted view, as the window's diagram shows it, but with the chosen number of sides
// and to scale, except a gap too small to see, which is drawn larger.
void drawForm(Page& page, const BuildSheet& sheet, double left, double top, double right, double bottom);

}  // namespace brimalox::sheet
