#include "nec/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "nec/deck.h"

namespace brimalox::nec {
namespace {

constexpr double kWidth = 800, kHeight = 480;
constexpr double kLeft = 70, kRight = 30, kTop = 50, kBottom = 60;
constexpr double kMaxSwrShown = 10;

std::string px(double value) { return fixedText(value, 1); }

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

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
    auto point = [&](double mhz, double swr) { current += px(axes.x(mhz)) + "," + px(axes.y(swr)) + " "; };
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

}  // namespace

std::string swrPlotSvg(const Analysis& analysis, const PlotLabels& labels) {
    const auto& rows = analysis.rows;
    double x0 = rows.front().mhz, x1 = rows.back().mhz;
    if (x1 <= x0) {  // a single frequency: a narrow window around it
        x0 *= 0.99;
        x1 = x1 * 1.01 + 1e-9;
    }
    double highest = 1;
    for (const SweepRow& row : rows)
        if (std::isfinite(row.swr)) highest = std::max(highest, row.swr);
    const double top = std::clamp(std::ceil(highest), 3.0, kMaxSwrShown);
    const Axes axes(x0, x1, 1, top);
    const double right = kWidth - kRight, bottom = kHeight - kBottom;

    std::string svg;
    auto add = [&svg](const std::string& text) { svg += text + "\n"; };
    add(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    add(R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + px(kWidth) + R"(" height=")" + px(kHeight) +
        R"(" viewBox="0 0 )" + px(kWidth) + " " + px(kHeight) + R"(" font-family="sans-serif" font-size="12">)");
    add(R"(<rect width="100%" height="100%" fill="white"/>)");
    add(R"(<text x=")" + px(kWidth / 2) + R"(" y="24" text-anchor="middle" font-size="16">)" +
        escaped(labels.title) + "</text>");

    // Grid and tick labels.
    const double xStep = niceStep(x1 - x0, 8);
    const int xDecimals = decimalsFor(xStep);
    for (double f = std::ceil(x0 / xStep - 1e-9) * xStep; f <= x1 + xStep * 1e-9; f += xStep) {
        const std::string x = px(axes.x(f));
        add(R"(<line x1=")" + x + R"(" y1=")" + px(kTop) + R"(" x2=")" + x + R"(" y2=")" + px(bottom) +
            R"(" stroke="#ddd"/>)");
        add(R"(<text x=")" + x + R"(" y=")" + px(bottom + 18) + R"(" text-anchor="middle">)" + fixedText(f, xDecimals) +
            "</text>");
    }
    const double yStep = top <= 5 ? 0.5 : 1;
    for (double s = 1; s <= top + 1e-9; s += yStep) {
        const std::string y = px(axes.y(s));
        add(R"(<line x1=")" + px(kLeft) + R"(" y1=")" + y + R"(" x2=")" + px(right) + R"(" y2=")" + y +
            R"(" stroke="#ddd"/>)");
        add(R"(<text x=")" + px(kLeft - 8) + R"(" y=")" + px(axes.y(s) + 4) + R"(" text-anchor="end">)" +
            fixedText(s, yStep < 1 ? 1 : 0) + "</text>");
    }
    add(R"(<rect x=")" + px(kLeft) + R"(" y=")" + px(kTop) + R"(" width=")" + px(right - kLeft) +
        R"(" height=")" + px(bottom - kTop) + R"(" fill="none" stroke="black"/>)");
    add(R"(<text x=")" + px((kLeft + right) / 2) + R"(" y=")" + px(kHeight - 18) +
        R"(" text-anchor="middle">Frequency (MHz)</text>)");
    add(R"(<text transform="translate(20 )" + px((kTop + bottom) / 2) +
        R"~() rotate(-90)" text-anchor="middle">SWR against )~" + fixedText(analysis.z0, 0) + " ohms</text>");

    // The 2:1 line and the design frequency.
    const std::string y2 = px(axes.y(2));
    add(R"(<line x1=")" + px(kLeft) + R"(" y1=")" + y2 + R"(" x2=")" + px(right) + R"(" y2=")" + y2 +
        R"(" stroke="#c00" stroke-dasharray="6 4"/>)");
    add(R"(<text x=")" + px(right - 4) + R"(" y=")" + px(axes.y(2) - 5) + R"(" text-anchor="end" fill="#c00">2:1</text>)");
    if (labels.designMhz >= x0 && labels.designMhz <= x1) {
        const std::string xd = px(axes.x(labels.designMhz));
        add(R"(<line x1=")" + xd + R"(" y1=")" + px(kTop) + R"(" x2=")" + xd + R"(" y2=")" + px(bottom) +
            R"(" stroke="#070" stroke-dasharray="3 3"/>)");
        add(R"(<text x=")" + px(axes.x(labels.designMhz) + 4) + R"(" y=")" + px(kTop + 14) +
            R"(" fill="#070">design )" + numberText(labels.designMhz, 6) + " MHz</text>");
    }

    // The curve, cut where it leaves the top of the chart (an infinite SWR counts as off the chart).
    for (const std::string& points : clippedPolylines(rows, axes, top))
        add(R"(<polyline fill="none" stroke="#03c" stroke-width="2" points=")" + points + R"("/>)");
    const SweepRow& best = rows[analysis.lowest];
    if (std::isfinite(best.swr) && best.swr <= top) {
        add(R"(<circle cx=")" + px(axes.x(best.mhz)) + R"(" cy=")" + px(axes.y(best.swr)) +
            R"(" r="4" fill="#03c"/>)");
        add(R"(<text x=")" + px(axes.x(best.mhz)) + R"(" y=")" + px(axes.y(best.swr) + 18) +
            R"(" text-anchor="middle" fill="#03c">lowest )" + fixedText(best.swr, 2) + " at " +
            fixedText(best.mhz, xDecimals + 1) + " MHz</text>");
    }
    add("</svg>");
    return svg;
}

}  // namespace brimalox::nec
