#include "nec/report/pattern_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "nec/deck.h"
#include "nec/report/report.h"
#include "numtext/xml_text.h"

namespace brimalox::nec {
namespace {

constexpr double kRange = 30;  // dB shown below the outer ring
constexpr double kRingStep = 10;

class Svg {
public:
    Svg(double width, double height, const std::string& title, const std::string& subtitle) {
        add(R"(<?xml version="1.0" encoding="UTF-8"?>)");
        add(R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + svgNumber(width) + R"(" height=")" +
            svgNumber(height) + R"(" viewBox="0 0 )" + svgNumber(width) + " " + svgNumber(height) +
            R"(" font-family="sans-serif" font-size="12">)");
        add(R"(<rect width="100%" height="100%" fill="white"/>)");
        text(width / 2, 24, title, "middle", "font-size=\"" + svgNumber(fittingFontSize(title, width - 20, 15)) + "\"");
        text(width / 2, 42, subtitle, "middle",
             "font-size=\"" + svgNumber(fittingFontSize(subtitle, width - 20, 12)) + "\" fill=\"#333\"");
    }
    void add(const std::string& line) { svg_ += line + "\n"; }
    void text(double x, double y, const std::string& words, const char* anchor, const std::string& extra = "") {
        add(R"(<text x=")" + svgNumber(x) + R"(" y=")" + svgNumber(y) + R"(" text-anchor=")" + anchor + "\"" +
            (extra.empty() ? "" : " " + extra) + ">" + xmlEscaped(words) + "</text>");
    }
    void line(double x1, double y1, double x2, double y2, const std::string& style) {
        add(R"(<line x1=")" + svgNumber(x1) + R"(" y1=")" + svgNumber(y1) + R"(" x2=")" + svgNumber(x2) + R"(" y2=")" +
            svgNumber(y2) + "\" " + style + "/>");
    }
    std::string finish() { return svg_ + "</svg>\n"; }

private:
    std::string svg_;
};

// The outer ring: the maximum rounded up to a multiple of 5 dB.
double outerRing(double maxDbi) { return std::ceil(maxDbi / 5 - 1e-9) * 5; }

// Radius for a gain on a chart of the given outer radius: linear in dB over kRange.
double radiusOf(double dbi, double outer, double top) {
    return outer * std::clamp((dbi - (top - kRange)) / kRange, 0.0, 1.0);
}

// Rings with their dBi labels, and a polar curve. angleOf maps the pattern's angle to the chart's
// angle in radians (counter-clockwise from the right).
void polarChart(Svg& svg, double cx, double cy, double outer, double top, bool half,
                const std::vector<std::pair<double, double>>& curve, double (*angleOf)(double), double labelStep,
                const char* labelUnit, bool labelsFromRight) {
    const double span = half ? std::numbers::pi / 2 : 2 * std::numbers::pi;
    for (double ring = top; ring >= top - kRange - 1e-9; ring -= kRingStep) {
        const double r = radiusOf(ring, outer, top);
        if (half) {
            if (r > 0)
                svg.add(R"(<path d="M )" + svgNumber(cx + r) + " " + svgNumber(cy) + " A " + svgNumber(r) + " " +
                        svgNumber(r) + " 0 0 0 " + svgNumber(cx) + " " + svgNumber(cy - r) +
                        R"(" fill="none" stroke="#bbb"/>)");
        } else {
            svg.add(R"(<circle cx=")" + svgNumber(cx) + R"(" cy=")" + svgNumber(cy) + R"(" r=")" + svgNumber(r) +
                    R"(" fill="none" stroke="#bbb"/>)");
        }
        // Ring labels along the 0 direction, just below the axis.
        if (r > 0) svg.text(cx + r - 2, cy + 14, fixedText(ring, 0), "end", "fill=\"#555\" font-size=\"11\"");
    }
    svg.text(cx + outer + 6, cy + 28, "dBi", "end", "fill=\"#555\" font-size=\"11\"");
    for (double a = 0; a <= (half ? 90 : 359) + 1e-9; a += labelStep) {
        const double t = angleOf(a);
        svg.line(cx, cy, cx + outer * std::cos(t), cy - outer * std::sin(t), "stroke=\"#ddd\"");
        const double lx = cx + (outer + 16) * std::cos(t), ly = cy - (outer + 16) * std::sin(t) + 4;
        if (!(half && a == 0) || !labelsFromRight)
            svg.text(lx, ly, fixedText(a, 0) + labelUnit, "middle", "fill=\"#333\"");
    }
    (void)span;
    std::string points;
    for (const auto& [angle, dbi] : curve) {
        const double r = radiusOf(dbi, outer, top), t = angleOf(angle);
        points += svgNumber(cx + r * std::cos(t)) + "," + svgNumber(cy - r * std::sin(t)) + " ";
    }
    svg.add(std::string(half ? "<polyline" : "<polygon") + R"( fill="none" stroke="#03c" stroke-width="2" points=")" +
            points + R"("/>)");
}

double radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

double fittingFontSize(const std::string& text, double width, double largest) {
    return std::min(largest, width / (0.6 * static_cast<double>(std::max<std::size_t>(text.size(), 1))));
}

std::string patternPlotSvg(const PatternFigures& p, const std::string& title, const std::string& ground) {
    constexpr double kWidth = 980, kHeight = 540;
    Svg svg(kWidth, kHeight, title, ground);
    const double top = outerRing(p.maxDbi);
    svg.text(kWidth / 2, 60,
             "pattern at " + numberText(p.mhz, 7) + " MHz: maximum " + dbiFigure(p.maxDbi) + " at elevation " +
                 degreesFigure(p.takeoffDeg) + " deg, azimuth " + degreesFigure(p.azimuthDeg) + " deg",
             "middle", "fill=\"#333\"");

    // Elevation: a quarter circle, horizon to the right, zenith up.
    std::vector<std::pair<double, double>> elevation;
    for (std::size_t i = 0; i < p.elevationDbi.size(); ++i)
        elevation.push_back({static_cast<double>(i), p.elevationDbi[i]});
    const double ex = 70, ey = 470, eOuter = 340;
    polarChart(svg, ex, ey, eOuter, top, true, elevation, radians, 15, " deg", false);
    svg.text(ex + eOuter / 2, ey + 44, "elevation pattern in azimuth " + degreesFigure(p.azimuthDeg) + " deg",
             "middle");
    // The take-off angle.
    const double t = radians(p.takeoffDeg);
    svg.line(ex, ey, ex + eOuter * std::cos(t), ey - eOuter * std::sin(t), "stroke=\"#c00\" stroke-dasharray=\"5 4\"");

    // Azimuth: a full circle, 0 degrees to the right, counter-clockwise (NEC's phi).
    const double ax = 740, ay = 295, aOuter = 185;
    polarChart(svg, ax, ay, aOuter, top, false, p.azimuthDbi, radians, 30, "", false);
    svg.text(ax, ay + aOuter + 44, "azimuth pattern at elevation " + degreesFigure(p.azimuthCutDeg) + " deg", "middle");
    return svg.finish();
}

std::string heightsPlotSvg(const std::vector<HeightRow>& rows, const std::string& title, const std::string& ground) {
    constexpr double kWidth = 800, kHeight = 620;
    constexpr double kLeft = 80, kRight = 30;
    Svg svg(kWidth, kHeight, title, ground);
    std::vector<const HeightRow*> good;
    for (const HeightRow& row : rows)
        if (row.figures) good.push_back(&row);
    if (good.empty()) {
        svg.text(kWidth / 2, kHeight / 2, "no height gave a pattern", "middle");
        return svg.finish();
    }
    double x0 = good.front()->heightM, x1 = good.back()->heightM;
    if (x1 <= x0) {
        x0 -= 0.5;
        x1 += 0.5;
    }
    const auto x = [&](double h) { return kLeft + (h - x0) / (x1 - x0) * (kWidth - kLeft - kRight); };

    struct Panel {
        double top, bottom;
        const char* label;
        double lo, hi;
    };
    double gLo = std::numeric_limits<double>::infinity(), gHi = -gLo;
    for (const HeightRow* row : good) {
        gLo = std::min(gLo, row->figures->maxDbi);
        gHi = std::max(gHi, row->figures->maxDbi);
    }
    const Panel gain{60, 300, "maximum gain (dBi)", std::floor(gLo - 0.5), std::ceil(gHi + 0.5)};
    const Panel takeoff{360, 560, "take-off angle (deg)", 0, 90};
    for (const Panel* panel : {&gain, &takeoff}) {
        const auto y = [&](double v) {
            return panel->bottom - (v - panel->lo) / (panel->hi - panel->lo) * (panel->bottom - panel->top);
        };
        const double span = panel->hi - panel->lo;
        const double step = panel == &takeoff ? 15 : (span > 10 ? 5 : span > 4 ? 2 : 1);
        for (double v = panel->lo; v <= panel->hi + 1e-9; v += step) {
            svg.line(kLeft, y(v), kWidth - kRight, y(v), "stroke=\"#ddd\"");
            svg.text(kLeft - 8, y(v) + 4, fixedText(v, 0), "end");
        }
        svg.add(R"(<rect x=")" + svgNumber(kLeft) + R"(" y=")" + svgNumber(panel->top) + R"(" width=")" +
                svgNumber(kWidth - kLeft - kRight) + R"(" height=")" + svgNumber(panel->bottom - panel->top) +
                R"(" fill="none" stroke="black"/>)");
        svg.add(R"(<text transform="translate(24 )" + svgNumber((panel->top + panel->bottom) / 2) +
                R"~() rotate(-90)" text-anchor="middle">)~" + std::string(panel->label) + "</text>");
        std::string points;
        for (const HeightRow* row : good) {
            const double v = panel == &gain ? row->figures->maxDbi : row->figures->takeoffDeg;
            points += svgNumber(x(row->heightM)) + "," + svgNumber(y(v)) + " ";
            svg.add(R"(<circle cx=")" + svgNumber(x(row->heightM)) + R"(" cy=")" + svgNumber(y(v)) +
                    R"(" r="3" fill="#03c"/>)");
        }
        svg.add(R"(<polyline fill="none" stroke="#03c" stroke-width="2" points=")" + points + R"("/>)");
    }
    // Height ticks under the lower panel.
    const double xStep = std::max(1e-9, std::pow(10.0, std::floor(std::log10((x1 - x0) / 2))));
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(xStep) + 1e-9)));
    for (double h = std::ceil(x0 / xStep - 1e-9) * xStep; h <= x1 + 1e-9 * xStep; h += xStep) {
        svg.line(x(h), takeoff.bottom, x(h), takeoff.bottom + 5, "stroke=\"black\"");
        svg.text(x(h), takeoff.bottom + 20, fixedText(h, decimals), "middle");
    }
    svg.text((kLeft + kWidth - kRight) / 2, kHeight - 18, "height of the lowest point above ground (m)", "middle");
    return svg.finish();
}

}  // namespace brimalox::nec
