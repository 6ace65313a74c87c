#include <sstream>
#include <stdexcept>
#include <streambuf>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/road.h"
#include "cli/gauges.h"
#include "cli/output.h"
#include "cli/replay.h"
#include "cli/sweep.h"
#include "numtext/numtext.h"

namespace brimalox::cli {
namespace {

// The script a user would click through for a design, for the replay to run.
std::string designScript(const DesignRequest& request) {
    std::string script = "set Text2 " + request.frequencyText + "\nclick Command7\n";
    if (request.conductor.unit != ConductorUnit::None) {
        script += "set " + std::string(fieldInfo(conductorField(request.conductor.unit)).name) + " " +
                  request.conductor.text + "\nclick " +
                  std::string(buttonName(conductorButton(request.conductor.unit))) + "\n";
    }
    script += request.sides == 4 ? "select Option2\n" : "select Option1\n";
    return script + "click Command4\n";
}

TEST(Design, TextsEqualThoseOfTheSameClicksReplayed) {
    const std::vector<ConductorChoice> conductors{{ConductorUnit::None, ""},
                                                  {ConductorUnit::Awg, "8"},
                                                  {ConductorUnit::Awg, "9009"},
                                                  {ConductorUnit::Inch, "0.25"},
                                                  {ConductorUnit::Millimetre, "12"}};
    for (const char* frequency : {"146", "50", "222.5", " 28.4 ", "1.8", "1296", "146.00"}) {
        for (const ConductorChoice& conductor : conductors) {
            for (int sides : {3, 4}) {
                const DesignRequest request{frequency, sides, conductor};
                SCOPED_TRACE(designScript(request));
                const DesignResult result = runDesign(request);
                ASSERT_FALSE(result.failure.has_value());

                std::istringstream in(designScript(request));
                Replay replay;
                ASSERT_FALSE(replay.run(in).has_value());
                const MemoryForm& form = replay.form();
                EXPECT_EQ(result.frequency, frequency);
                EXPECT_EQ(result.awg, form.text(Field::Text4));
                EXPECT_EQ(result.inch, form.text(Field::Text6));
                EXPECT_EQ(result.mm, form.text(Field::Text8));
                EXPECT_EQ(result.heightInch, form.text(Field::Text11));
                EXPECT_EQ(result.heightMm, form.text(Field::Text13));
                EXPECT_EQ(result.sideInch, form.text(Field::Text16));
                EXPECT_EQ(result.sideMm, form.text(Field::Text17));
                EXPECT_EQ(result.gapInch, form.text(Field::Text19));
                EXPECT_EQ(result.gapMm, form.text(Field::Text20));
                EXPECT_EQ(result.matchInch, form.text(Field::Text22));
                EXPECT_EQ(result.matchMm, form.text(Field::Text23));
            }
        }
    }
}

TEST(Design, RecommendedConductorIsWhatAcceptWroteBeforeTheChange) {
    const DesignResult result = runDesign({"50", 3, {ConductorUnit::Awg, "8"}});
    EXPECT_EQ(result.recommendedMm, "4.748");
    EXPECT_EQ(result.recommendedInch, "0.187");
    EXPECT_EQ(result.recommendedAwg, "5");
    EXPECT_EQ(result.mm, "3.25");
    EXPECT_EQ(result.inch, "0.128");
}

TEST(Design, StopsAtTheFirstFailedClickAndNamesIt) {
    struct Case {
        DesignRequest request;
        Button button;
        FailureKind kind;
    };
    const Case cases[] = {
        {{"0", 3, {}}, Button::Command7, FailureKind::DivisionByZero},
        {{"abc", 3, {}}, Button::Command7, FailureKind::TypeMismatch},
        {{"", 4, {}}, Button::Command7, FailureKind::TypeMismatch},
        {{"1E39", 3, {}}, Button::Command7, FailureKind::Overflow},
        {{"146", 3, {ConductorUnit::Awg, "x"}}, Button::Command1, FailureKind::TypeMismatch},
        {{"146", 3, {ConductorUnit::Inch, "1E39"}}, Button::Command2, FailureKind::Overflow},
        {{"146", 3, {ConductorUnit::Millimetre, ""}}, Button::Command3, FailureKind::TypeMismatch},
        {{"1E-40", 4, {}}, Button::Command4, FailureKind::Overflow},  // the match length as a single
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request.frequencyText);
        const DesignResult result = runDesign(c.request);
        ASSERT_TRUE(result.failure.has_value());
        EXPECT_EQ(result.failure->button, c.button);
        EXPECT_EQ(result.failure->failure->kind(), c.kind);
        if (c.button != Button::Command4) {
            EXPECT_EQ(result.heightMm, "00.00");  // COMPUTE never ran
        }
    }
}

TEST(Design, EachDesignStartsFromAFreshWindow) {
    // A failed design must leave nothing behind for the next one.
    runDesign({"146", 4, {ConductorUnit::Millimetre, "1E38"}});
    runDesign({"1E-40", 4, {}});
    const DesignResult after = runDesign({"146", 3, {}});
    const DesignResult fresh = runDesign({"146", 3, {}});
    EXPECT_EQ(after.mm, "1.626");
    EXPECT_EQ(after.sideMm, fresh.sideMm);
    EXPECT_EQ(after.heightMm, fresh.heightMm);
}

struct SweepCase {
    const char *from, *to, *step;
    std::uint64_t count;
    const char* last;  // the last frequency's text
};

TEST(Sweep, InclusiveEndsOnTheGridWithoutDrift) {
    const SweepCase cases[] = {
        {"0.1", "0.3", "0.1", 3, "0.3"},
        {"1", "2", "0.3", 4, "1.9"},  // 2 is off the grid
        {"1", "1", "1", 1, "1"},
        {"144", "148", "0.5", 9, "148"},
        {"1", "100000", "0.1", 999991, "100000"},
        {"0", "9999999", "1", 10'000'000, "9999999"},  // exactly the limit
        {"-1", "1", "0.25", 9, "1"},
        {"146", "146.0001", "1", 1, "146"},
    };
    for (const SweepCase& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " " + c.to + " " + c.step);
        const auto made = makeSweep(c.from, c.to, c.step);
        ASSERT_TRUE(std::holds_alternative<Sweep>(made)) << std::get<std::string>(made);
        const Sweep& sweep = std::get<Sweep>(made);
        EXPECT_EQ(sweep.count, c.count);
        EXPECT_EQ(sweep.text(sweep.count - 1), c.last);
    }
    // 1 + 3 * 0.1 is 1.3000000000000003 in binary; the text typed is 1.3.
    EXPECT_EQ(std::get<Sweep>(makeSweep("1", "2", "0.1")).text(3), "1.3");
}

TEST(Sweep, RefusesWhatIsNoSweepOrTooLarge) {
    const char* bad[][3] = {
        {"0", "1e7", "1"},         // 10,000,001 points
        {"1", "1e300", "1e-300"},  // would overflow any count
        {"1", "2", "0"},          {"1", "2", "-0.1"},  {"2", "1", "0.1"}, {"abc", "2", "1"},
        {"1", "", "1"},           {"1", "2", "1e400"}, {"1", "inf", "1"}, {"nan", "2", "1"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(std::string(b[0]) + " " + b[1] + " " + b[2]);
        const auto made = makeSweep(b[0], b[1], b[2]);
        ASSERT_TRUE(std::holds_alternative<std::string>(made));
        EXPECT_FALSE(std::get<std::string>(made).empty());
    }
}

TEST(Csv, QuotesOnlyWhereNeeded) {
    const std::pair<std::string, std::string> cases[] = {
        {"146", "146"},       {"", ""},
        {"1,5", "\"1,5\""},   {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"a\nb", "\"a\nb\""}, {"a\rb", "\"a\rb\""},
        {" x ", " x "},
    };
    for (const auto& [field, expected] : cases) {
        std::string out;
        appendCsvField(out, field);
        EXPECT_EQ(out, expected);
    }
}

std::string writeTable(Format format, const std::vector<std::vector<std::string>>& rows) {
    std::ostringstream out;
    TableWriter table(format, out, designColumns());
    for (const auto& row : rows)
        table.fit(row);
    for (const auto& row : rows)
        table.row(row);
    table.finish();
    return out.str();
}

std::vector<std::vector<std::string>> sampleRows() {
    return {designCells(runDesign({"146", 3, {}}), 3), designCells(runDesign({"1,5\"x\n", 4, {}}), 4),
            designCells(runDesign({"50", 4, {ConductorUnit::Awg, "8"}}), 4)};
}

// Found by fuzz_command_line: a table left by an exception was closed by its destructor, which wrote
// again to the stream that had just failed; with the stream's exceptions on, that second exception
// during unwinding ended the program (std::terminate). The first exception must come through.
TEST(DesignTable, AWriteThatThrowsLeavesTheTableWithoutAnotherWrite) {
    struct Full : std::streambuf {
        int writes = 0;
        int_type overflow(int_type) override { return fail(); }
        std::streamsize xsputn(const char*, std::streamsize) override { return fail(); }
        int fail() {
            ++writes;
            throw std::runtime_error("disk full");
        }
    };
    Full full;
    std::ostream out(&full);
    out.exceptions(std::ios::badbit);
    const std::vector<std::string> cells(designColumns().size(), "146");
    EXPECT_THROW(
        {
            TableWriter table(Format::Json, out, designColumns());
            for (int i = 0; i < 100000; ++i)
                table.row(cells);
        },
        std::runtime_error);
    EXPECT_EQ(full.writes, 1);
}

TEST(DesignTable, CsvHasOneHeaderAndOneRecordPerDesign) {
    const auto rows = sampleRows();
    const std::string csv = writeTable(Format::Csv, rows);
    EXPECT_EQ(csv.rfind("frequency,sides,recommended_awg,", 0), 0u);
    // The second design's frequency holds a comma, a quote and a line break: one quoted field.
    EXPECT_NE(csv.find("\r\n\"1,5\"\"x\n\",4,"), std::string::npos);
    std::size_t records = 0;
    for (std::size_t at = 0; (at = csv.find("\r\n", at)) != std::string::npos; at += 2)
        ++records;
    EXPECT_EQ(records, 1 + rows.size());
}

TEST(DesignTable, JsonIsAnArrayOfObjectsWithTheDocumentedKeys) {
    const auto rows = sampleRows();
    const auto json = nlohmann::json::parse(writeTable(Format::Json, rows));
    ASSERT_TRUE(json.is_array());
    ASSERT_EQ(json.size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(json[r].size(), designColumns().size());
        for (std::size_t c = 0; c < designColumns().size(); ++c)
            EXPECT_EQ(json[r][std::string(designColumns()[c].key)], rows[r][c]);
    }
    EXPECT_EQ(nlohmann::json::parse(writeTable(Format::Json, {})), nlohmann::json::array());
}

TEST(DesignTable, TextColumnsLineUpUnderTheirUnits) {
    const std::string text = writeTable(Format::Text, {sampleRows()[0], sampleRows()[2]});
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("FREQUENCY", 0), 0u);
    // Every value starts in the column of its unit heading.
    // The GAP heading stands over the gap's inch column.
    const std::size_t gapColumn = lines[0].find("GAP");
    ASSERT_NE(gapColumn, std::string::npos);
    EXPECT_EQ(lines[2].substr(gapColumn, 5), "0.381");  // 146 MHz gap in inches
    EXPECT_EQ(lines[3].substr(gapColumn, 5), "1.112");  // 50 MHz
}

TEST(DesignTable, TextCellsShowControlBytesEscaped) {
    const std::string text = writeTable(Format::Text, {sampleRows()[1]});
    EXPECT_NE(text.find("1,5\"x\\x0A"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

TEST(Gauges, ThickestFirstWithTheCodeToTypeAndTheChangeTexts) {
    const auto rows = gaugeListings();
    ASSERT_EQ(rows.size(), 44u);
    const std::vector<std::string> thick{"0000", "000", "00", "0"};
    const std::vector<std::string> codes{"900009", "90009", "9009", "0"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].awg);
        EXPECT_EQ(rows[i].awg, i < 4 ? thick[i] : std::to_string(i - 3));
        EXPECT_EQ(rows[i].code, i < 4 ? codes[i] : std::to_string(i - 3));
        // The millimetres are the inches by the calculator's 0.0394, to 2 places.
        const double inch = parseDouble(rows[i].inch).value;
        const double mm = parseDouble(rows[i].mm).value;
        EXPECT_NEAR(mm, inch / 0.0394, 0.0051);
        if (i > 0) {
            EXPECT_LT(inch, parseDouble(rows[i - 1].inch).value);
        }
    }
    EXPECT_EQ(rows[21].awg, "18");
    EXPECT_EQ(rows[21].inch, "0.04");  // the table's 0.040, as the inch field shows it
}

}  // namespace
}  // namespace brimalox::cli
