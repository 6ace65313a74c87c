// The check's report in the format asked for, and its charts, from its result.
#include <cmath>

#include "nec/report/check_formats.h"
#include "nec/report/pattern_plot.h"
#include "nec/report/report.h"
#include "nec/report/smith_chart.h"
#include "nec/report/svg_plot.h"

namespace brimalox::nec {
namespace {

// "average ground (13, 0.005 S/m)" without its height: what a height chart holds for every height.
std::string groundWithoutHeight(const Ground& ground) {
    const std::string text = groundShortText(ground);
    return text.substr(0, text.rfind(','));
}

}  // namespace

std::string formatReport(const Analysis& analysis, const ReportContext& context, ReportFormat format) {
    switch (format) {
    case ReportFormat::Csv: return context.heights.empty() ? checkCsv(analysis, context) : heightsCsv(context);
    case ReportFormat::Json: return checkJson(analysis, context);
    case ReportFormat::Text: break;
    }
    return checkText(analysis, context);
}

std::string formatReport(const Analysis& analysis, const DesignTexts& design, ReportFormat format) {
    ReportContext context;
    context.design = design;
    return formatReport(analysis, context, format);
}

std::string report(const Result& r, ReportFormat format) {
    ReportContext context;
    context.design = r.design;
    context.ground = r.setup.ground;
    context.measured = r.measured;
    context.heights = r.heights;
    if (r.feed) context.feed = FeedReport{*r.feed, r.setup.geometry.designMhz, r.reversedSwr};
    if (r.setup.coat && r.shortening)
        context.coat = CoatReport{*r.setup.coat, coatHenriesPerMetre(*r.setup.coat, r.setup.geometry.conductorMm),
                                  *r.shortening, r.setup.geometry.heightMm, r.setup.geometry.sideMm};
    return formatReport(r.analysis, context, format);
}

std::string swrChart(const Result& r, const std::vector<std::pair<double, double>>& bands) {
    const std::string at = r.feed ? ", SWR " + planeText(*r.feed, r.feed->at) : std::string();
    const PlotLabels labels{title(r.design) + " (nec2c, " + groundShortText(r.setup.ground) + at + ")",
                            r.setup.geometry.designMhz, bands};
    return swrPlotSvg(r.analysis, labels, r.measuredSwr.points);
}

std::string smithChart(const Result& r) {
    const Plane plane = r.feed ? r.feed->at : Plane::Gap;
    SmithTrace model, measured;
    for (std::size_t i = 0; i < r.analysis.rows.size(); ++i)
        if (std::isfinite(r.analysis.rows[i].swr)) {
            model.mhz.push_back(r.analysis.rows[i].mhz);
            model.ohms.push_back(ohmsAt(r.analysis, i, plane));
        }
    if (r.measuredFile) measured = {r.measuredFile->data.mhz, r.measuredFile->data.ohms};
    const std::string where = r.feed ? "at the " + std::string(planeName(plane)) + " through the feed" : "at gap 1";
    SmithLabels labels{title(r.design), "nec2c, " + groundShortText(r.setup.ground) + ", impedance " + where, r.z0,
                       r.setup.geometry.designMhz};
    return smithChartSvg(model, measured, labels);
}

std::string patternChart(const Result& r) {
    if (r.analysis.patterns.empty())
        throw NecError("no pattern to draw: " + (r.analysis.failures.empty() ? std::string("the model gave none")
                                                                             : r.analysis.failures.front()));
    return patternPlotSvg(r.analysis.patterns.front(), title(r.design), "nec2c, " + groundText(r.setup.ground));
}

std::string heightsChart(const Result& r) {
    if (r.heights.empty()) return {};
    return heightsPlotSvg(
        r.heights, title(r.design),
        "nec2c, " + groundWithoutHeight(r.setup.ground) + ": maximum gain and take-off angle against height");
}

}  // namespace brimalox::nec
