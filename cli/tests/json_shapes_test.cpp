// Every JSON report gives the lowest SWR under "lowest" and each stretch below 2:1 in one shape: the
// check's (and its measured file's), the trim's figures, the band search's best and the sheet's model,
// all made from one stored run.
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <variant>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "nec/output_parser.h"
#include "nec/report/report.h"
#include "sheet/model_figures.h"
#include "sheet/sheet_text.h"

namespace brimalox {
namespace {

// The stored run of the 146 MHz three-sided deck (140 and 150 MHz, the pattern at 146) against
// 150 ohms, below 2:1 over the whole sweep: one stretch, open at both ends.
nec::Result storedCheck(const DesignRequest& request) {
    std::ifstream in(NEC_TEST_DATA "/nec2c-sample.out");
    std::stringstream text;
    text << in.rdbuf();
    nec::AnalysisPlan plan;
    plan.sweepMhz = {140, 150};
    plan.patternMhz = {146};
    plan.designMhz = 146;
    nec::Result r;
    r.design = nec::designTexts(runDesign(request), request.sides);
    r.setup.geometry.designMhz = 146;
    r.z0 = 150;
    r.analysis = nec::analyse(nec::parseNecOutput(text.str()), r.z0, plan);
    return r;
}

nlohmann::json expectedLowest(double mhz, double swr) {
    return {{"mhz", mhz}, {"swr", std::isfinite(swr) ? nlohmann::json(swr) : nlohmann::json()}};
}

TEST(JsonReports, GiveTheLowestSwrAndItsStretchesInOneShape) {
    DesignRequest request;
    request.frequencyText = "146";
    request.sides = 3;
    nec::Result check = storedCheck(request);
    const nec::Analysis& a = check.analysis;
    ASSERT_EQ(a.stretches.size(), 1u);
    check.measured = nec::MeasuredSummary{"built.s1p", a.lowestSwr, a.lowestMhz, a.stretches, {}};

    const nec::SwrFigures figures{a.lowestSwr, a.lowestMhz, a.stretches};
    nec::Trim trim;
    trim.design = check.design;
    trim.model = trim.expected = figures;
    trim.measured = figures;
    trim.trimmed = figures;
    trim.trimmed.lowestSwr = std::numeric_limits<double>::infinity();  // no usable impedance anywhere

    nec::CoverResult cover;
    cover.plan.bands = {{144, 148}};
    nec::Candidate best;
    best.design = request;
    best.conductor = "the recommended minimum";
    best.bandWorst = {a.lowestSwr};
    best.worst = a.lowestSwr;
    cover.ranked = {best};
    cover.winner = check;

    auto sheet = sheet::shownSheet(check.design, "2026-12-09", sheet::modelFigures(check));
    ASSERT_TRUE(std::holds_alternative<sheet::BuildSheet>(sheet));

    const auto checkJson = nlohmann::json::parse(nec::report(check, nec::ReportFormat::Json));
    const auto trimJson = nlohmann::json::parse(nec::trimReport(trim, nec::ReportFormat::Json));
    const auto coverJson = nlohmann::json::parse(nec::coverReportJson(cover));
    const auto sheetJson = nlohmann::json::parse(sheet::sheetJson(std::get<sheet::BuildSheet>(sheet)));
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* report;
        nlohmann::json lowest, stretches;
        double swr;
    };
    const Case cases[] = {
        {"check", checkJson["lowest"], checkJson["below_2_to_1_stretches"], a.lowestSwr},
        {"check's measured", checkJson["measured"]["lowest"], checkJson["measured"]["below_2_to_1_stretches"],
         a.lowestSwr},
        {"trim's measured", trimJson["measured"]["lowest"], trimJson["measured"]["below_2_to_1_stretches"],
         a.lowestSwr},
        {"trim's model", trimJson["model"]["lowest"], trimJson["model"]["below_2_to_1_stretches"], a.lowestSwr},
        {"trim's trimmed model", trimJson["trimmed_model"]["lowest"],
         trimJson["trimmed_model"]["below_2_to_1_stretches"], inf},
        {"cover's best", coverJson["best"]["lowest"], coverJson["best"]["below_2_to_1_stretches"], a.lowestSwr},
        {"sheet's model", sheetJson["model"]["lowest"], sheetJson["model"]["below_2_to_1"], a.lowestSwr},
    };
    const nec::Below2& stretch = a.stretches.front();
    const nlohmann::json expectedStretch = {
        {"from_mhz", stretch.fromMhz}, {"to_mhz", stretch.toMhz}, {"open_below", true}, {"open_above", true}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.lowest, expectedLowest(a.lowestMhz, c.swr)) << c.report;
        EXPECT_EQ(c.stretches, nlohmann::json::array({expectedStretch})) << c.report;
    }
}

}  // namespace
}  // namespace brimalox
