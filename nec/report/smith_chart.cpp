#include "nec/report/smith_chart.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "nec/analysis.h"
#include "numtext/figures.h"
#include "numtext/xml_text.h"

namespace brimalox::nec {
namespace {

using Complex = std::complex<double>;

constexpr double kSize = 640, kCentreX = 320, kCentreY = 330, kRadius = 250;
constexpr int kMarkEvery = 10;

struct Point {
    double x, y;
};
Point at(Complex gamma) { return {kCentreX + kRadius * gamma.real(), kCentreY - kRadius * gamma.imag()}; }

// The chart's point of an impedance normalised to 1; the rim for a load that takes no power.
Complex gammaOf(Complex normalised) {
    if (!(normalised.real() >= 0) || !std::isfinite(normalised.real()) || !std::isfinite(normalised.imag()))
        return {1, 0};
    return quotient(normalised - 1.0, normalised + 1.0);
}

std::string text(Point p, const std::string& words, const char* anchor, const char* colour, int size = 14) {
    return R"(<text x=")" + svgNumber(p.x) + R"(" y=")" + svgNumber(p.y) + R"(" text-anchor=")" + anchor +
           R"(" font-size=")" + std::to_string(size) + R"(" fill=")" + colour + "\">" + xmlEscaped(words) + "</text>\n";
}

std::string polyline(const std::vector<Point>& points, const char* colour, double width, const char* dash = "") {
    std::string out = R"(<polyline fill="none" stroke=")" + std::string(colour) + R"(" stroke-width=")" +
                      svgNumber(width) + "\"" +
                      (*dash ? std::string(R"( stroke-dasharray=")") + dash + "\"" : std::string()) + R"( points=")";
    for (const Point& p : points)
        out += svgNumber(p.x) + "," + svgNumber(p.y) + " ";
    return out + "\"/>\n";
}

// The grid: circles of constant resistance and arcs of constant reactance, labelled.
std::string grid() {
    std::string out = R"(<circle cx=")" + svgNumber(kCentreX) + R"(" cy=")" + svgNumber(kCentreY) + R"(" r=")" +
                      svgNumber(kRadius) + R"(" fill="none" stroke="#888"/>)" + "\n";
    out += R"(<line x1=")" + svgNumber(kCentreX - kRadius) + R"(" y1=")" + svgNumber(kCentreY) + R"(" x2=")" +
           svgNumber(kCentreX + kRadius) + R"(" y2=")" + svgNumber(kCentreY) + R"(" stroke="#ccc"/>)" + "\n";
    for (double r : {0.2, 0.5, 1.0, 2.0, 5.0}) {
        out += R"(<circle cx=")" + svgNumber(kCentreX + kRadius * r / (1 + r)) + R"(" cy=")" + svgNumber(kCentreY) +
               R"(" r=")" + svgNumber(kRadius / (1 + r)) + R"(" fill="none" stroke="#ccc"/>)" + "\n";
        out += text({at(gammaOf({r, 0})).x + 2, kCentreY - 4}, numberText(r), "start", "#666", 11);
    }
    for (double x : {0.2, 0.5, 1.0, 2.0, 5.0})
        for (double sign : {1.0, -1.0}) {
            std::vector<Point> arc;
            for (double r = 0; r < 200; r = r < 0.01 ? 0.01 : r * 1.15)
                arc.push_back(at(gammaOf({r, sign * x})));
            out += polyline(arc, "#ccc", 1);
            const Point rim = at(gammaOf({0, sign * x}));
            const double outward = 14;
            const Point label{rim.x + outward * (rim.x - kCentreX) / kRadius,
                              rim.y + outward * (rim.y - kCentreY) / kRadius + 4};
            out += text(label, (sign > 0 ? "+j" : "-j") + numberText(x), "middle", "#666", 11);
        }
    return out;
}

std::string swrCircle(double swr, const char* colour) {
    const double gamma = (swr - 1) / (swr + 1);
    std::string out = R"(<circle cx=")" + svgNumber(kCentreX) + R"(" cy=")" + svgNumber(kCentreY) + R"(" r=")" +
                      svgNumber(kRadius * gamma) + R"(" fill="none" stroke=")" + colour +
                      R"(" stroke-width="1.5" stroke-dasharray="6 4"/>)" + "\n";
    return out + text({kCentreX, kCentreY + kRadius * gamma + 15}, "SWR " + numberText(swr), "middle", colour, 13);
}

std::vector<Point> traceOf(const SmithTrace& trace, double reference) {
    std::vector<Point> points;
    for (const Complex& z : trace.ohms)
        points.push_back(at(gammaOf(z / reference)));
    return points;
}

// A dot and the frequency at the design frequency (between samples) and, for the model, both ends and
// every tenth point; a measured trace's labels go below left, clear of the model's.
std::string marks(const SmithTrace& trace, const SmithLabels& labels, const char* colour, bool model) {
    std::string out;
    auto mark = [&](Complex z, double mhz, bool design) {
        const Point p = at(gammaOf(z / labels.referenceOhms));
        out += R"(<circle cx=")" + svgNumber(p.x) + R"(" cy=")" + svgNumber(p.y) + R"(" r=")" + (design ? "5" : "3") +
               R"(" fill=")" + colour + "\"/>\n";
        const std::string words = numberText(mhz, 5) + (design ? " MHz" : "");
        out += model ? text({p.x + 7, p.y - 6}, words, "start", colour, design ? 14 : 12)
                     : text({p.x - 7, p.y + 16}, words, "end", colour, design ? 14 : 12);
    };
    const std::size_t n = trace.mhz.size();
    // A tick label near the design frequency's would be written over by it ("146" under "146 MHz").
    const auto nearDesign = [&](std::size_t i) {
        constexpr std::size_t kHalf = kMarkEvery / 2;
        const std::size_t from = i >= kHalf ? i - kHalf : 0, to = std::min(n - 1, i + kHalf);
        return trace.mhz[from] < labels.designMhz && labels.designMhz < trace.mhz[to];
    };
    for (std::size_t i = 0; i < n && model; ++i)
        if ((i == 0 || i + 1 == n || i % kMarkEvery == 0) && !nearDesign(i)) mark(trace.ohms[i], trace.mhz[i], false);
    for (std::size_t i = 1; i < n; ++i)
        if (trace.mhz[i - 1] <= labels.designMhz && labels.designMhz <= trace.mhz[i]) {
            const double t = (labels.designMhz - trace.mhz[i - 1]) / (trace.mhz[i] - trace.mhz[i - 1]);
            mark(trace.ohms[i - 1] + t * (trace.ohms[i] - trace.ohms[i - 1]), labels.designMhz, true);
            break;
        }
    return out;
}

}  // namespace

std::string smithChartSvg(const SmithTrace& model, const SmithTrace& measured, const SmithLabels& labels) {
    const double height = kSize + 60;
    std::string svg = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                      "\n";
    svg += R"(<svg xmlns="http://www.w3.org/2000/svg" width=")" + svgNumber(kSize) + R"(" height=")" +
           svgNumber(height) + R"(" viewBox="0 0 )" + svgNumber(kSize) + " " + svgNumber(height) +
           R"(" font-family="sans-serif" font-size="14">)" + "\n";
    svg += R"(<rect width="100%" height="100%" fill="white"/>)"
           "\n";
    svg += text({kSize / 2, 24}, labels.title, "middle", "black", 15);
    svg += text({kSize / 2, 44}, labels.subtitle + ", normalised to " + numberText(labels.referenceOhms, 7) + " ohms",
                "middle", "black", 13);
    svg += grid();
    svg += swrCircle(2, "#c00") + swrCircle(1.5, "#070");
    svg += polyline(traceOf(model, labels.referenceOhms), "#03c", 2.5);
    svg += marks(model, labels, "#03c", true);
    if (!measured.mhz.empty()) {
        svg += polyline(traceOf(measured, labels.referenceOhms), "#e07000", 2.5);
        svg += marks(measured, labels, "#e07000", false);
    }
    const double legend = kCentreY + kRadius + 50;
    svg += polyline({{40, legend - 5}, {70, legend - 5}}, "#03c", 2.5) +
           text({76, legend}, "model (nec2c)", "start", "black");
    if (!measured.mhz.empty())
        svg += polyline({{240, legend - 5}, {270, legend - 5}}, "#e07000", 2.5) +
               text({276, legend}, "measured", "start", "black");
    return svg + "</svg>\n";
}

}  // namespace brimalox::nec
