#pragma once
// The model's results for people (text), spreadsheets (CSV: the sweep table only) and programs
// (JSON), and its SVG charts: above the model, which knows nothing of them.

#include <optional>
#include <string>
#include <vector>

#include "nec/nec.h"

namespace brimalox::nec {

enum class ReportFormat { Text, Csv, Json };

// What the report says of the feed besides each row's planes.
struct FeedReport {
    Feed feed;
    double designMhz = 0;
    // The SWR at the rig at the design frequency with every line as it should be, and with gap 1's
    // line reversed; empty where the extra run was not made.
    std::optional<std::pair<double, double>> reversedSwr;
};

// The wire's coat and what it does to the design.
struct CoatReport {
    Coat coat;
    double henriesPerMetre = 0;
    Shortening shortening;
    double heightMm = 0, sideMm = 0;  // the bare design's
};

struct ReportContext {
    DesignTexts design;
    std::optional<FeedReport> feed;
    Ground ground;  // free space by default
    std::optional<MeasuredSummary> measured;
    std::vector<HeightRow> heights;  // --heights: then CSV is this table
    std::optional<CoatReport> coat;
};

std::string formatReport(const Analysis& analysis, const ReportContext& context, ReportFormat format);
std::string formatReport(const Analysis& analysis, const DesignTexts& design, ReportFormat format);

// "free space", "perfect ground, 5 m", "average ground (13, 0.005 S/m), 5 m".
std::string groundText(const Ground& ground);

// "free space", "perfect ground, 5 m", "average ground (13, 0.005 S/m), 5 m": for charts.
std::string groundShortText(const Ground& ground);

// "130.5 to 160.0 MHz (29.5 MHz wide, still below 2:1 at the end of the sweep)".
std::string stretchText(const Below2& stretch, const std::string& limit = "2:1");

// "3 lines of 300 ohms, velocity factor 0.82, 421.2 mm each, joined side by side; a 4:1 balun; ...".
std::string feedText(const Feed& feed);
// "at the rig against 50 ohms".
std::string planeText(const Feed& feed, Plane plane);

// Each kind of figure with the places the model stands behind, in every report for people and in
// CSV (JSON keeps every digit): a 2:1 edge or the lowest SWR's frequency to 0.1 MHz, as its
// frequency moves by 0.3 to 2 MHz between sound models of one antenna; an SWR to 2 places, or
// "infinite"; a gain to 0.01 dB, or "none" for nec2c's floor (-999.99), which stands for no field;
// an angle to 0.1 degree (numtext/figures.h, which the build sheet shares).
std::string dbiFigure(double dbi);  // "7.88 dBi" or "none"
// nec2c's -999.99 dBi: no field in that direction or polarisation.
bool noField(double dbi);

// What the reports' SWR is, in one sentence, against a line of z0 ohms.
std::string swrMeaning(double z0);

// A check's report, and its SVG charts: SWR against frequency (the measured SWR over it), the
// patterns at the design frequency, gain and take-off angle against height (empty without a height
// sweep), and the impedance where the SWR is taken (the measured file's too) on a Smith chart.
// bands: MHz from and to, shaded.
std::string report(const Result& result, ReportFormat format);
std::string swrChart(const Result& result, const std::vector<std::pair<double, double>>& bands = {});
// Throws NecError when the model gave no pattern.
std::string patternChart(const Result& result);
std::string heightsChart(const Result& result);
std::string smithChart(const Result& result);

std::string trimReport(const Trim& trim, ReportFormat format);
// The trim's answer in one line: the ratio, what it means, and each piece's cut or growth.
std::string trimAnswer(const Trim& trim);

// The band search's report for people: the winner, what to type, its figures and dimensions, the
// next best, the runs.
std::string coverText(const CoverResult& result);
// The winner and the next best, one a row; and the whole search for programs.
std::string coverReportCsv(const CoverResult& result);
std::string coverReportJson(const CoverResult& result);

}  // namespace brimalox::nec
