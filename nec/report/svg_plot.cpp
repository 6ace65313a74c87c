#include "nec/report/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "nec/deck.h"
#include "nec/report/pattern_plot.h"
#include "nec/report/report.h"
#include "numtext/xml_text.h"

namespace brimalox::nec {
namespace {

constexpr double kWidth = 800, kHeight = 480;
constexpr double kLeft = 70, kRight = 30, kTop = 50, kBottom = 60;
constexpr double kMaxSwrShown = 10;

// 1, 2 or 5 times a power of ten, giving about `target` intervals over the span.
double niceStep(double span, int target) {
    const double raw = span / target;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

int decimalsFor(double step) { return std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9))); }

class Axes {
public:
    Axes(double x0, double x1, double y0, double y1) : x0_(x0), x1_(x1), y0_(y0), y1_(y1) {}
    double x(double mhz) const { return kLeft + (mhz - x0_) / (x1_ - x0_) * (kWidth - kLeft - kRight); }
    double y(double swr) const { return kHeight - kBottom - (swr - y0_) / (y1_ - y0_) * (kHeight - kTop - kBottom); }

private:
    double x0_, x1_, y0_, y1_;
};

// The SWR curve as polylines that stay inside the chart: a stretch above `top` is left out and the
// line is cut where it crosses the top edge. Done here rather than with an SVG clip path, which
// some renderers ignore.
std::vector<std::string> clippedPolylines(const std::vector<SweepRow>& rows, const Axes& axes, double top) {
    std::vector<std::string> lines;
    std::string current;
    auto point = [&](double mhz, double swr) {
        current += svgNumber(axes.x(mhz)) + "," + svgNumber(axes.y(swr)) + " ";
    };
    auto finish = [&] {
        if (!current.empty()) lines.push_back(current);
        current.clear();
    };
    auto value = [top](const SweepRow& row) { return std::isfinite(row.swr) ? row.swr : 2 * top; };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double v = value(rows[i]);
        if (i > 0) {
            const double u = value(rows[i - 1]);
            if ((u > top) != (v > top)) {  // crosses the top edge between the samples
                const double at = rows[i - 1].mhz + (top - u) / (v - u) * (rows[i].mhz - rows[i - 1].mhz);
                point(at, top);
                if (v > top) finish();
            }
        }
        if (v <= top) point(rows[i].mhz, v);
    }
    finish();
    return lines;
}

// A label's box, from its anchor point and an estimate of its width at 12 px.
struct Box {
    double left, top, right, bottom;
    bool overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
};
double textWidth(const std::string& text) { return 6.8 * static_cast<double>(text.size()); }
Box boxAt(double x, double baseline, const std::string& text, char anchor) {
    const double w = textWidth(text);
    const double left = anchor == 's' ? x : anchor == 'e' ? x - w : x - w / 2;
    return {left, baseline - 12, left + w, baseline + 3};
}

}  // namespace

std::string swrPlotSvg(const Analysis& analysis, const PlotLabels& labels,
                       const std::vector<std::pair<double, double>>& measuredPoints) {
    const auto& rows = analysis.rows;
    double x0 = rows.front().mhz, x1 = rows.back().mhz;
    std::vector<SweepRow> measured;
    for (const auto& [mhz, value] : measuredPoints) {
        measured.push_back({mhz, {}, value});
        x0 = std::min(x0, mhz);
        x1 = std::max(x1, mhz);
    }
    if (x1 <= x0) {  // a single frequency: a narrow window around it
        x0 *= 0.99;
        x1 = x1 * 1.01 + 1e-9;
    }
    double highest = 1;
    bool anyFinite = false;
    for (const std::vector<SweepRow>* list : {&rows, static_cast<const std::vector<SweepRow>*>(&measured)})
        for (const SweepRow& row : *list)
            if (std::isfinite(row.swr)) {
                highest = std::max(highest, row.swr);
                anyFinite = anyFinite || list == &rows;
            }
    const double top = std::clamp(std::ceil(highest), 3.0, kMaxSwrShown);
    const Axes axes(x0, x1, 1, top);
    const double right = kWidth - kRight, bottom = kHeight - kBottom;

    std::string svg;
    auto add = [&svg](const std::string& text) { svg += text + "\n"; };
    add(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    add(R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + svgNumber(kWidth) + R"(" height=")" +
        svgNumber(kHeight) + R"(" viewBox="0 0 )" + svgNumber(kWidth) + " " + svgNumber(kHeight) +
        R"(" font-family="sans-serif" font-size="12">)");
    add(R"(<rect width="100%" height="100%" fill="white"/>)");
    const double titleSize =
        std::min(16.0, (kWidth - 20) / (0.6 * static_cast<double>(std::max<std::size_t>(labels.title.size(), 1))));
    add(R"(<text x=")" + svgNumber(kWidth / 2) + R"(" y="24" text-anchor="middle" font-size=")" + svgNumber(titleSize) +
        R"(">)" + xmlEscaped(labels.title) + "</text>");

    for (const auto& [from, to] : labels.bands) {
        const double a = std::clamp(from, x0, x1), b = std::clamp(to, x0, x1);
        if (b > a)
            add(R"(<rect x=")" + svgNumber(axes.x(a)) + R"(" y=")" + svgNumber(kTop) + R"(" width=")" +
                svgNumber(axes.x(b) - axes.x(a)) + R"(" height=")" + svgNumber(bottom - kTop) +
                R"(" fill="#dfe8f7"/>)");
    }
    // Grid and tick labels.
    const double xStep = niceStep(x1 - x0, 8);
    const int xDecimals = decimalsFor(xStep);
    for (double f = std::ceil(x0 / xStep - 1e-9) * xStep; f <= x1 + xStep * 1e-9; f += xStep) {
        const std::string x = svgNumber(axes.x(f));
        add(R"(<line x1=")" + x + R"(" y1=")" + svgNumber(kTop) + R"(" x2=")" + x + R"(" y2=")" + svgNumber(bottom) +
            R"(" stroke="#ddd"/>)");
        add(R"(<text x=")" + x + R"(" y=")" + svgNumber(bottom + 18) + R"(" text-anchor="middle">)" +
            fixedText(f, xDecimals) + "</text>");
    }
    const double yStep = top <= 5 ? 0.5 : 1;
    for (double s = 1; s <= top + 1e-9; s += yStep) {
        const std::string y = svgNumber(axes.y(s));
        add(R"(<line x1=")" + svgNumber(kLeft) + R"(" y1=")" + y + R"(" x2=")" + svgNumber(right) + R"(" y2=")" + y +
            R"(" stroke="#ddd"/>)");
        add(R"(<text x=")" + svgNumber(kLeft - 8) + R"(" y=")" + svgNumber(axes.y(s) + 4) + R"(" text-anchor="end">)" +
            fixedText(s, yStep < 1 ? 1 : 0) + "</text>");
    }
    add(R"(<rect x=")" + svgNumber(kLeft) + R"(" y=")" + svgNumber(kTop) + R"(" width=")" + svgNumber(right - kLeft) +
        R"(" height=")" + svgNumber(bottom - kTop) + R"(" fill="none" stroke="black"/>)");
    add(R"(<text x=")" + svgNumber((kLeft + right) / 2) + R"(" y=")" + svgNumber(kHeight - 18) +
        R"(" text-anchor="middle">Frequency (MHz)</text>)");
    add(R"(<text transform="translate(20 )" + svgNumber((kTop + bottom) / 2) +
        R"~() rotate(-90)" text-anchor="middle">SWR against )~" + numberText(analysis.z0, 7) + " ohms</text>");

    // The 2:1 line and the design frequency.
    const std::string y2 = svgNumber(axes.y(2));
    add(R"(<line x1=")" + svgNumber(kLeft) + R"(" y1=")" + y2 + R"(" x2=")" + svgNumber(right) + R"(" y2=")" + y2 +
        R"(" stroke="#c00" stroke-dasharray="6 4"/>)");
    const Box twoToOne = boxAt(right - 4, axes.y(2) - 5, "2:1", 'e');
    add(R"(<text x=")" + svgNumber(right - 4) + R"(" y=")" + svgNumber(axes.y(2) - 5) +
        R"(" text-anchor="end" fill="#c00">2:1</text>)");
    std::vector<Box> taken{twoToOne};
    // A label goes to the first of its places that stays inside the frame and clear of the others.
    auto place = [&](const std::string& text, const std::vector<std::pair<double, double>>& places,
                     const char* colour) {
        std::pair<double, double> chosen = places.front();
        for (const auto& candidate : places) {
            double x = std::clamp(candidate.first, kLeft + 4 + textWidth(text) / 2, right - 4 - textWidth(text) / 2);
            const Box box = boxAt(x, candidate.second, text, 'm');
            bool clear = box.top >= kTop && box.bottom <= bottom;
            for (const Box& other : taken)
                clear = clear && !box.overlaps(other);
            if (clear) {
                chosen = {x, candidate.second};
                break;
            }
            if (&candidate == &places.front()) chosen = {x, candidate.second};
        }
        taken.push_back(boxAt(chosen.first, chosen.second, text, 'm'));
        add(R"(<text x=")" + svgNumber(chosen.first) + R"(" y=")" + svgNumber(chosen.second) +
            R"(" text-anchor="middle" fill=")" + colour + "\">" + xmlEscaped(text) + "</text>");
    };
    if (labels.designMhz >= x0 && labels.designMhz <= x1) {
        const double xd = axes.x(labels.designMhz);
        add(R"(<line x1=")" + svgNumber(xd) + R"(" y1=")" + svgNumber(kTop) + R"(" x2=")" + svgNumber(xd) +
            R"(" y2=")" + svgNumber(bottom) + R"(" stroke="#070" stroke-dasharray="3 3"/>)");
        const std::string text = "design " + numberText(labels.designMhz, 6) + " MHz";
        // Right of the line, or left of it where the frame ends first.
        const double w = textWidth(text);
        const double centre = xd + 4 + w / 2 <= right - 4 ? xd + 4 + w / 2 : xd - 4 - w / 2;
        place(text, {{centre, kTop + 14}, {centre, kTop + 30}}, "#070");
    }

    // The curves, cut where they leave the top of the chart (an infinite SWR counts as off the chart).
    for (const std::string& points : clippedPolylines(rows, axes, top))
        add(R"(<polyline fill="none" stroke="#03c" stroke-width="2" points=")" + points + R"("/>)");
    if (!measured.empty()) {
        for (const std::string& points : clippedPolylines(measured, axes, top))
            add(R"(<polyline fill="none" stroke="#e07000" stroke-width="2" points=")" + points + R"("/>)");
        add(R"(<line x1=")" + svgNumber(kLeft + 10) + R"(" y1=")" + svgNumber(kTop - 12) + R"(" x2=")" +
            svgNumber(kLeft + 30) + R"(" y2=")" + svgNumber(kTop - 12) + R"(" stroke="#03c" stroke-width="2"/>)");
        add(R"(<text x=")" + svgNumber(kLeft + 34) + R"(" y=")" + svgNumber(kTop - 8) + R"(">model (nec2c)</text>)");
        add(R"(<line x1=")" + svgNumber(kLeft + 140) + R"(" y1=")" + svgNumber(kTop - 12) + R"(" x2=")" +
            svgNumber(kLeft + 160) + R"(" y2=")" + svgNumber(kTop - 12) + R"(" stroke="#e07000" stroke-width="2"/>)");
        add(R"(<text x=")" + svgNumber(kLeft + 164) + R"(" y=")" + svgNumber(kTop - 8) + R"(">measured</text>)");
    }
    // Say why there is no curve to see.
    bool visible = false;
    for (const SweepRow& row : rows)
        visible = visible || (std::isfinite(row.swr) && row.swr <= top);
    std::vector<std::string> notes;
    if (!analysis.failures.empty())
        notes.push_back("the model failed here: NEC-2's thin-wire model does not hold (see the report)");
    if (!anyFinite)
        notes.push_back("no finite SWR: the model gave no usable impedance");
    else if (!visible)
        notes.push_back("the SWR is above " + fixedText(top, 0) + " everywhere");
    for (std::size_t i = 0; i < notes.size(); ++i)
        add(R"(<text x=")" + svgNumber((kLeft + right) / 2) + R"(" y=")" +
            svgNumber((kTop + bottom) / 2 + 20.0 * static_cast<double>(i)) +
            R"(" text-anchor="middle" font-size="14" fill="#c00">)" + xmlEscaped(notes[i]) + "</text>");
    if (std::isfinite(analysis.lowestSwr) && analysis.lowestSwr <= top) {
        const double bx = axes.x(analysis.lowestMhz), by = axes.y(analysis.lowestSwr);
        add(R"(<circle cx=")" + svgNumber(bx) + R"(" cy=")" + svgNumber(by) + R"(" r="4" fill="#03c"/>)");
        place("lowest " + swrFigure(analysis.lowestSwr) + " at " + mhzFigure(analysis.lowestMhz) + " MHz",
              {{bx, by + 18}, {bx, by - 10}, {bx, by + 34}, {bx, by - 26}}, "#03c");
    }
    add("</svg>");
    return svg;
}

}  // namespace brimalox::nec
