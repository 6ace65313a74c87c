#pragma once
// The simulation's results for people (text), spreadsheets (CSV: the sweep table only) and
// programs (JSON).

#include <optional>
#include <string>
#include <vector>

#include "nec/analysis.h"
#include "nec/coat.h"
#include "nec/deck.h"
#include "nec/design_texts.h"
#include "nec/feed.h"
#include "nec/simulation.h"

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

// "BRIMALOX THREE SIDED for 146.00 MHz, conductor 1.626 mm": heads the report and the chart.
std::string title(const DesignTexts& design);
// "free space", "perfect ground, 5 m", "average ground (13, 0.005 S/m), 5 m".
std::string groundText(const Ground& ground);

// "free space", "perfect ground, 5 m", "average ground (13, 0.005 S/m), 5 m": for charts.
std::string groundShortText(const Ground& ground);

// "123.4 +j56.7" / "12.3 -j4.5" ohms.
std::string impedanceText(std::complex<double> ohms);

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

}  // namespace brimalox::nec
