#include "nec/report/check_outputs.h"

#include "nec/report/report.h"

namespace brimalox::nec {

const std::array<CheckOutput, 9> kCheckOutputs{{
    {"deck", "nec", "text/plain", "deck", "", "", "DECK", "deck", "", [](const Result& r) { return r.deck; }},
    {"model", "s1p", "text/plain", "touchstone", "--touchstone",
     "write the model's reflection coefficient at gap 1 against --z0 as a Touchstone file", "MODEL",
     "reflection coefficient", "", [](const Result& r) { return touchstoneFile(r); }},
    {"swr", "svg", "image/svg+xml", "swrSvg", "--plot", "also draw SWR against frequency into an SVG file", "SWR CHART",
     "SWR chart", "SWR against frequency",
     [](const Result& r) { return r.analysis.rows.empty() ? std::string() : swrChart(r); }},
    {"pattern", "svg", "image/svg+xml", "patternSvg", "--plot-pattern",
     "also draw the elevation and azimuth patterns at FREQ into an SVG file", "PATTERN CHART", "pattern chart",
     "elevation and azimuth patterns at the design frequency", [](const Result& r) { return patternChart(r); }},
    {"heights", "svg", "image/svg+xml", "heightsSvg", "--plot-heights", "draw the --heights table into an SVG file",
     "HEIGHTS CHART", "heights chart", "maximum gain and take-off angle against height",
     [](const Result& r) { return heightsChart(r); }},
    {"smith", "svg", "image/svg+xml", "smithSvg", "--plot-smith",
     "also draw the impedance where the SWR is taken (--at) on a Smith chart, with --measured's", "SMITH CHART",
     "Smith chart", "impedance on a Smith chart where the SWR is taken",
     [](const Result& r) { return r.analysis.rows.empty() ? std::string() : smithChart(r); }},
    {"sweep", "csv", "text/csv", "csv", "", "", "TABLE", "sweep", "",
     [](const Result& r) {
         return r.analysis.rows.empty() && r.heights.empty() ? std::string() : report(r, ReportFormat::Csv);
     }},
    {"report", "json", "application/json", "json", "", "", "REPORT", "report", "",
     [](const Result& r) { return report(r, ReportFormat::Json); }},
    {"report", "txt", "text/plain", "report", "", "", "REPORT", "report", "",
     [](const Result& r) { return report(r, ReportFormat::Text); }},
}};

}  // namespace brimalox::nec
