#include "sheet/sheet_svg.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sheet/sheet_text.h"

namespace brimalox::sheet {
namespace {

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;  // the content of a <text>, entities resolved
};

std::string unescaped(std::string text) {
    for (const auto& [entity, plain] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (std::size_t at; (at = text.find(entity)) != std::string::npos;)
            text.replace(at, std::string(entity).size(), plain);
    return text;
}

std::vector<Element> elements(const std::string& svg) {
    static const std::regex element(R"(<(text|line|rect|circle|polygon|svg)\b([^>]*)>(?:([^<]*)</text>)?)");
    static const std::regex attribute(R"(([\w:-]+)="([^"]*)\")");
    std::vector<Element> out;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), element); it != std::sregex_iterator(); ++it) {
        Element e{(*it)[1], {}, unescaped((*it)[3])};
        const std::string attributes = (*it)[2];
        for (auto a = std::sregex_iterator(attributes.begin(), attributes.end(), attribute);
             a != std::sregex_iterator(); ++a)
            e.attributes[(*a)[1]] = (*a)[2];
        out.push_back(std::move(e));
    }
    return out;
}

double number(const Element& e, const char* name) { return std::stod(e.attributes.at(name)); }

std::set<std::string> numbersIn(const std::string& text) {
    static const std::regex number(R"(\d+(?:\.\d+)?|\.\d+)");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), number); it != std::sregex_iterator(); ++it)
        found.insert((*it)[0]);
    return found;
}

struct Box {
    double left, top, right, bottom;
};

Box textBox(const Element& e) {
    const double x = number(e, "x"), y = number(e, "y"), size = number(e, "font-size");
    const double width = textWidth(e.text, size);
    const std::string anchor = e.attributes.contains("text-anchor") ? e.attributes.at("text-anchor") : "start";
    const double left = anchor == "end" ? x - width : anchor == "middle" ? x - width / 2 : x;
    return {left, y - 0.75 * size, left + width, y + 0.2 * size};
}

// Runs a program with the SVG in a file; its exit status.
int runOn(const std::string& svg, const std::string& command) {
    const auto path = std::filesystem::temp_directory_path() / ("sheet_test_" + std::to_string(::getpid()) + ".svg");
    std::ofstream(path) << svg;
    const int status = std::system((command + " " + path.string() + " > /dev/null 2>&1").c_str());
    std::filesystem::remove(path);
    return status;
}

ModelFigures someModel() {
    ModelFigures m;
    m.designMhz = 146;
    m.swrAtDesign = 1.634;
    m.lowestSwr = 1.561;
    m.lowestSwrMhz = 153.31;
    m.belowTwo = {{136.84, 177.2}, {181.5, 190.04}, {201, 212.55}};
    m.maxGainDbi = 5.449;
    m.takeoffDeg = 5;
    m.ground = "average ground (13, 0.005 S/m) <Sommerfeld-Norton> & more words to wrap";
    m.heightMetres = 5;
    return m;
}

// As long as the trim's remark gets: several lines in the narrow column.
constexpr const char* kTrimRemark =
    "TRIMMED BY THE RATIO 0.9726: HEIGHT AND SIDE ARE THE DESIGN'S TIMES THAT, FROM WHAT THE BUILT ANTENNA "
    "MEASURED; THE GAP AND THE SERIES MATCH STAY AS DESIGNED";

// Every piece a feed can have, the line's velocity factor not the series match's.
FeedFigures fullFeed() {
    FeedFigures f;
    f.line = {300, 0.9, 0.4212329};
    f.section = FeedLine{75, 0.66, 0.34};
    f.balun = 4;
    f.coax = FeedLine{50, 0.66, 25.5};
    return f;
}

struct SheetCase {
    const char* name;
    DesignRequest request;
    Paper paper;
    bool model;
    const char* remark = "";
    SheetAdditions additions = {};
};

void PrintTo(const SheetCase& c, std::ostream* out) { *out << c.name; }

class SheetPage : public testing::TestWithParam<SheetCase> {
protected:
    void SetUp() override {
        const SheetCase& c = GetParam();
        design_ = runDesign(c.request);
        std::optional<ModelFigures> model;
        if (c.model) model = someModel();
        if (model && c.additions.feed) {
            model->plane = "rig";
            model->z0Ohms = 50;
            model->reversedSwr = {{1.634, 9.87}};
        }
        auto made = makeBuildSheet(design_, c.request.sides, "2026-02-28", model, c.additions);
        ASSERT_TRUE(std::holds_alternative<BuildSheet>(made)) << std::get<std::string>(made);
        sheet_ = std::get<BuildSheet>(made);
        sheet_.remark = c.remark;
        svg_ = sheetSvg(sheet_, c.paper);
        elements_ = elements(svg_);
    }
    DesignResult design_;
    BuildSheet sheet_;
    std::string svg_;
    std::vector<Element> elements_;
};

// Both forms, both papers; the widest texts (a 1.8 MHz tube, a series match of 15 digits), and a
// model check with several stretches and a ground that wraps.
INSTANTIATE_TEST_SUITE_P(
    Sheets, SheetPage,
    testing::Values(SheetCase{"a4_three", {"146.00", 3, {}}, Paper::A4, false},
                    SheetCase{"letter_four", {"146.00", 4, {ConductorUnit::Awg, "10"}}, Paper::Letter, false},
                    SheetCase{"letter_three_model", {"146.00", 3, {}}, Paper::Letter, true},
                    SheetCase{"a4_four_model", {"222.5", 4, {ConductorUnit::Millimetre, "25"}}, Paper::A4, true},
                    SheetCase{"letter_160m_tube", {"1.8", 4, {ConductorUnit::Awg, "900009"}}, Paper::Letter, true},
                    SheetCase{"a4_1300", {"1296.1", 3, {ConductorUnit::Inch, ".75"}}, Paper::A4, false},
                    SheetCase{"a4_four_model_remark", {"146", 4, {}}, Paper::A4, true, kTrimRemark},
                    SheetCase{"letter_three_remark", {"146", 3, {}}, Paper::Letter, false, kTrimRemark},
                    SheetCase{"letter_four_feed_remark",
                              {"146", 4, {}},
                              Paper::Letter,
                              true,
                              kTrimRemark,
                              {fullFeed(), 12.5, runDesign({"150", 4, {}})}},
                    SheetCase{"a4_three_feed", {"146", 3, {}}, Paper::A4, true, "", {fullFeed(), 0, std::nullopt}},
                    SheetCase{"letter_160m_feed_allowance",
                              {"1.8", 4, {ConductorUnit::Awg, "900009"}},
                              Paper::Letter,
                              false,
                              "",
                              {fullFeed(), 3, std::nullopt}}),
    [](const testing::TestParamInfo<SheetCase>& info) { return std::string(info.param.name); });

TEST_P(SheetPage, IsOnePageOfTheChosenPaperWithNothingOverlapping) {
    const PaperSize size = paperSize(GetParam().paper);
    ASSERT_EQ(elements_.front().name, "svg");
    const Element& root = elements_.front();
    EXPECT_DOUBLE_EQ(std::stod(root.attributes.at("width")), size.widthMm);
    EXPECT_DOUBLE_EQ(std::stod(root.attributes.at("height")), size.heightMm);
    EXPECT_TRUE(root.attributes.at("width").ends_with("mm"));
    std::istringstream viewBox(root.attributes.at("viewBox"));
    double x0, y0, w, h;
    viewBox >> x0 >> y0 >> w >> h;
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(y0, 0);
    EXPECT_DOUBLE_EQ(w, size.widthMm);
    EXPECT_DOUBLE_EQ(h, size.heightMm);

    // Everything stays 5 mm inside the edge, where every printer prints.
    constexpr double kEdge = 5;
    const auto inside = [&](double x, double y) {
        return x >= kEdge && x <= size.widthMm - kEdge && y >= kEdge && y <= size.heightMm - kEdge;
    };
    std::vector<std::pair<Box, std::string>> texts;
    for (const Element& e : elements_) {
        if (e.name == "text") {
            const Box b = textBox(e);
            EXPECT_TRUE(inside(b.left, b.top) && inside(b.right, b.bottom)) << e.text;
            texts.emplace_back(b, e.text);
        } else if (e.name == "line") {
            EXPECT_TRUE(inside(number(e, "x1"), number(e, "y1")) && inside(number(e, "x2"), number(e, "y2")));
        } else if (e.name == "circle") {
            EXPECT_TRUE(inside(number(e, "cx"), number(e, "cy")));
        } else if (e.name == "polygon") {
            std::istringstream points(e.attributes.at("points"));
            double x, y;
            char comma;
            while (points >> x >> comma >> y)
                EXPECT_TRUE(inside(x, y)) << x << "," << y;
        }
    }
    ASSERT_GT(texts.size(), 40u);
    for (std::size_t i = 0; i < texts.size(); ++i)
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const Box &a = texts[i].first, &b = texts[j].first;
            const bool apart = a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
            EXPECT_TRUE(apart) << "\"" << texts[i].second << "\" overlaps \"" << texts[j].second << "\"";
        }
}

TEST_P(SheetPage, IsWellFormedXmlThatRenders) {
    EXPECT_EQ(runOn(svg_, BRIMALOX_XMLLINT " --noout"), 0) << svg_;
    EXPECT_EQ(runOn(svg_, BRIMALOX_RSVG_CONVERT " -w 400"), 0);
}

TEST_P(SheetPage, EveryNumberComesFromTheDesignOrTheCutList) {
    const DesignResult& d = design_;
    const CutList& cuts = sheet_.cuts;
    std::vector<std::string> sources{d.frequency, d.recommendedMm, d.recommendedInch, d.recommendedAwg, d.mm,
                                     d.inch,      d.awg,           d.heightMm,        d.heightInch,     d.sideMm,
                                     d.sideInch,  d.gapMm,         d.gapInch,         d.matchMm,        d.matchInch,
                                     sheet_.date, sheet_.warning,  sheet_.remark};
    for (const Length* l : {&cuts.height, &cuts.side, &cuts.gap, &cuts.match, &cuts.halfVertical, &cuts.total})
        sources.insert(sources.end(), {l->mm, l->inch, l->tape, l->derivation});
    for (const CutPiece& p : cuts.pieces)
        sources.insert(sources.end(),
                       {std::to_string(p.count), p.note, p.trim, p.cut.mm, p.cut.inch, p.cut.tape, p.cut.derivation});
    for (const CutPiece& p : sheet_.feedPieces)
        sources.insert(sources.end(), {std::to_string(p.count), p.note, p.length.mm, p.length.inch, p.length.tape});
    sources.insert(sources.end(), {cuts.totalCut.mm, cuts.totalCut.inch, cuts.totalCut.tape, cuts.totalCut.derivation,
                                   jointAllowanceNote(sheet_.jointAllowanceMm)});
    for (const ModelLine& line : modelLines(sheet_))
        sources.insert(sources.end(), {line.label, line.value});
    for (int feed = 1; feed <= cuts.sides; ++feed)
        sources.push_back(std::to_string(feed));  // F1 .. Fn
    std::set<std::string> allowed;
    for (const std::string& source : sources)
        allowed.merge(numbersIn(source));

    std::string shown;
    for (const Element& e : elements_) {
        if (e.name != "text") continue;
        shown += e.text + "\n";
        for (const std::string& n : numbersIn(e.text))
            EXPECT_TRUE(allowed.contains(n)) << n << " in \"" << e.text << "\" comes from nowhere";
    }
    // And what a builder needs is there, as the window shows it.
    for (const std::string* text :
         {&d.frequency, &d.recommendedAwg, &d.recommendedInch, &d.recommendedMm, &d.awg, &d.inch, &d.mm, &d.heightMm,
          &d.heightInch, &d.sideMm, &d.sideInch, &d.gapMm, &d.gapInch, &d.matchMm, &d.matchInch, &cuts.halfVertical.mm,
          &cuts.halfVertical.inch, &cuts.total.mm, &cuts.total.inch})
        EXPECT_NE(shown.find(*text), std::string::npos) << *text;
    for (const CutPiece& p : cuts.pieces)  // the length to cut, a joint allowance added
        EXPECT_NE(shown.find(p.cut.mm.empty() ? p.length.tape : p.cut.tape), std::string::npos) << p.length.tape;
    for (const CutPiece& p : sheet_.feedPieces)
        EXPECT_NE(shown.find(p.note.substr(0, 20)), std::string::npos) << p.note;
    for (const std::string& line : wrapped(sheet_.warning, 1000))
        EXPECT_NE(shown.find(line.substr(0, 40)), std::string::npos);
    EXPECT_NE(shown.find(sheet_.formCaption), std::string::npos);
    EXPECT_NE(shown.find(sheet_.date), std::string::npos);
    for (const ModelLine& line : modelLines(sheet_))
        EXPECT_NE(shown.find(line.label), std::string::npos);
    for (const std::string& word : wrapped(sheet_.remark, 1))
        EXPECT_NE(shown.find(word), std::string::npos) << word;
}

TEST_P(SheetPage, TextShowsTheSameSheet) {
    const std::string text = sheetText(sheet_);
    const CutList& cuts = sheet_.cuts;
    EXPECT_NE(text.find(cuts.height.mm), std::string::npos);
    EXPECT_NE(text.find(cuts.height.inch), std::string::npos);
    for (const Length* l : {&cuts.side, &cuts.gap, &cuts.match, &cuts.halfVertical, &cuts.total})
        for (const std::string* part : {&l->mm, &l->inch})
            EXPECT_NE(text.find(*part), std::string::npos) << *part;
    for (const CutRow& row : cutRows(cuts))
        EXPECT_NE(text.find(row.toCut().tape), std::string::npos) << row.toCut().tape;
    for (const ModelLine& line : modelLines(sheet_))
        EXPECT_NE(text.find(line.value), std::string::npos) << line.value;
    EXPECT_NE(text.find("DATE " + sheet_.date), std::string::npos);
    for (const std::string& word : wrapped(sheet_.remark, 1))
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(Sheet, RefusesAFailedDesignAndABadDate) {
    const DesignResult failed = runDesign({"abc", 3, {}});
    ASSERT_TRUE(failed.failure);
    EXPECT_TRUE(std::holds_alternative<std::string>(makeBuildSheet(failed, 3, "2026-02-28")));
    const DesignResult good = runDesign({"146", 3, {}});
    for (const char* date : {"2026-02-29", "2026-13-01", "26-02-28", "2026/02/28", "", "2024-02-30"})
        EXPECT_TRUE(std::holds_alternative<std::string>(makeBuildSheet(good, 3, date))) << date;
    for (const char* date : {"2024-02-29", "2026-12-31", "0001-01-01"})
        EXPECT_TRUE(std::holds_alternative<BuildSheet>(makeBuildSheet(good, 3, date))) << date;
}

TEST(Sheet, WarningIsTheNotesOwnWords) {
    EXPECT_EQ(minimumWarning(),
              "DO NOT USE WIRE OR TUBE SMALLER THAN THE RECOMMENDED SIZE AFTER YOU ACCEPT THE INPUT FREQUENCY. "
              "THIS IS THE SMALLEST SIZE THAT WILL KEEP THE SWR BELOW 2:1 ( 1.6 to 1.8).");
}

TEST(Wrapped, KeepsWordsWholeAndABracketWithItsWord) {
    EXPECT_EQ(wrapped("aa bb cc", 5), (std::vector<std::string>{"aa bb", "cc"}));
    EXPECT_EQ(wrapped("below 2:1 ( 1.6 to", 11), (std::vector<std::string>{"below 2:1", "( 1.6 to"}));
    EXPECT_EQ(wrapped("  averyverylongword x ", 4), (std::vector<std::string>{"averyverylongword", "x"}));
    EXPECT_TRUE(wrapped("   ", 4).empty());
}

}  // namespace
}  // namespace brimalox::sheet
