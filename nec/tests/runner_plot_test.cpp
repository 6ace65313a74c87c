#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "nec/analysis.h"
#include "nec/deck.h"
#include "nec/native/runner.h"
#include "nec/report/svg_plot.h"

namespace brimalox::nec {
namespace {

std::string failureOf(const RunOptions& options) {
    try {
        runNec2c("CE\nEN\n", options);
    } catch (const NecError& e) {
        return e.what();
    }
    return "(no failure)";
}

// A stand-in for nec2c: a script in a directory that lives as long as the test.
class Script {
public:
    explicit Script(const std::string& body) : path_(dir_.path() / "fake-nec2c") {
        std::ofstream(path_) << "#!/bin/sh\n" << body << "\n";
        ::chmod(path_.c_str(), 0700);
    }
    std::string path() const { return path_.string(); }

private:
    TempDir dir_;
    std::filesystem::path path_;
};

TEST(Runner, TellsWhyARunFailed) {
    const Script failing("echo 'bad card GX' >&2; exit 3");
    const Script silent("exit 0");
    const Script writer("while [ $# -gt 0 ]; do [ \"$1\" = -o ] && echo 'FREQUENCY : 1 MHz' > \"$2\"; shift; done");
    struct Case {
        const char* name;
        std::string program;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        {"missing", "brimalox-no-such-program", {"brimalox-no-such-program was not found on PATH", "nec2c"}},
        {"missing at a path", "/nonexistent/nec2c", {"not found"}},
        {"non-zero exit with its message", failing.path(), {"exit status 3", "bad card GX"}},
        {"no output file", silent.path(), {"wrote no output"}},
    };
    for (const Case& c : cases) {
        const std::string message = failureOf({c.program, std::chrono::seconds(10), {}});
        for (const std::string& part : c.expected)
            EXPECT_NE(message.find(part), std::string::npos) << c.name << ": " << message;
    }
    EXPECT_EQ(runNec2c("CE\nEN\n", {writer.path(), std::chrono::seconds(10), {}}), "FREQUENCY : 1 MHz\n");
}

TEST(Runner, StopsAProgramAtTheTimeLimit) {
    const Script slow("exec sleep 30");
    const auto start = std::chrono::steady_clock::now();
    const std::string message = failureOf({slow.path(), std::chrono::milliseconds(200), {}});
    EXPECT_NE(message.find("did not finish within 200 ms"), std::string::npos) << message;
    // Stopped, not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(Runner, ACancelFromAnotherThreadStopsTheProgramAndLeavesNoFolder) {
    const Script slow("exec sleep 30");
    const TempDir parent;
    setenv("TMPDIR", parent.path().c_str(), 1);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    std::thread canceller([cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel->store(true);
    });
    const auto start = std::chrono::steady_clock::now();
    int signal = -1;
    try {
        runNec2c("CE\nEN\n", {slow.path(), std::chrono::seconds(60), cancel});
    } catch (const Interrupted& e) {
        signal = e.signal();
        EXPECT_NE(std::string(e.what()).find("cancelled"), std::string::npos) << e.what();
    }
    canceller.join();
    unsetenv("TMPDIR");
    EXPECT_EQ(signal, 0) << "not stopped as cancelled";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(std::filesystem::is_empty(parent.path()));
}

TEST(Runner, TemporaryDirectoryIsRemovedWithItsFiles) {
    std::filesystem::path kept;
    {
        TempDir dir;
        kept = dir.path();
        std::ofstream(dir.path() / "antenna.out") << "x";
        EXPECT_TRUE(std::filesystem::is_directory(kept));
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

Analysis analysisOf(const std::vector<std::pair<double, double>>& mhzSwr) {
    std::vector<SweepRow> rows;
    for (const auto& [mhz, s] : mhzSwr) {
        const std::complex<double> z = std::isinf(s) ? std::complex<double>(-1, 0) : std::complex<double>(300 * s, 0);
        rows.push_back({mhz, {{1, 1, z}}, swr(z, 300)});
    }
    return rangesOf(rows, 300, mhzSwr.front().first);
}

// Every x,y pair of the curves (the elements the pattern names) lies within the box.
void expectPointsWithin(const std::string& svg, const std::string& elements, double left, double top, double right,
                        double bottom, const char* name) {
    const std::regex curve("<" + elements + R"re([^>]*points="([^"]*)")re");
    const std::regex pair(R"re((-?[0-9.]+),(-?[0-9.]+))re");
    int points = 0;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), curve); it != std::sregex_iterator(); ++it) {
        const std::string list = (*it)[1];
        for (auto p = std::sregex_iterator(list.begin(), list.end(), pair); p != std::sregex_iterator(); ++p) {
            const double x = std::stod((*p)[1]), y = std::stod((*p)[2]);
            EXPECT_TRUE(x >= left && x <= right && y >= top && y <= bottom) << name << ": " << x << "," << y;
            ++points;
        }
    }
    EXPECT_GT(points, 0) << name;
}

// The SWR chart's curves stay inside its frame.
void expectCurveInsideFrame(const std::string& svg, const char* name) {
    expectPointsWithin(svg, "polyline", 70, 50, 770, 420, name);
}

TEST(SwrPlot, ChartHasItsPartsAndStaysInsideTheFrame) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> sweep;
        double designMhz;
        const char* marker;
    };
    const double inf = INFINITY;
    const std::vector<Case> cases{
        {"ordinary", {{116.8, 4.7}, {130, 2.5}, {146, 1.9}, {162, 1.7}, {204.4, 2.4}}, 146, "design 146 MHz"},
        {"off the chart and infinite", {{10, 1.5}, {11, 40}, {12, inf}, {13, 1.2}, {14, 1.9}}, 12.5, "design 12.5 MHz"},
        {"one frequency", {{146, 1.3}}, 146, "design 146 MHz"},
    };
    for (const Case& c : cases) {
        const std::string svg = swrPlotSvg(analysisOf(c.sweep), {"A & <B>", c.designMhz, {}});
        EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << c.name;
        EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos) << c.name;
        EXPECT_NE(svg.find("</svg>"), std::string::npos) << c.name;
        for (const char* part : {"A &amp; &lt;B&gt;", "Frequency (MHz)", "SWR against 300 ohms", ">2:1<", c.marker})
            EXPECT_NE(svg.find(part), std::string::npos) << c.name << ": " << part;
        EXPECT_EQ(svg.find("nan"), std::string::npos) << c.name;
        EXPECT_EQ(svg.find("inf"), std::string::npos) << c.name;
        expectCurveInsideFrame(svg, c.name);
    }
}

TEST(SwrPlot, CurveIsCutWhereItLeavesTheChart) {
    // Up to SWR 40 and back: two pieces, each ending on the top edge (SWR 10, y = 50).
    const std::string svg = swrPlotSvg(analysisOf({{10, 1.5}, {11, 40}, {12, 1.5}}), {"t", 11, {}});
    const std::regex polyline(R"re(<polyline[^>]*points="([^"]*)")re");
    std::vector<std::string> pieces;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), polyline); it != std::sregex_iterator(); ++it)
        pieces.push_back((*it)[1]);
    ASSERT_EQ(pieces.size(), 2u);
    const auto endsWith = [](const std::string& text, const std::string& end) {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    };
    EXPECT_TRUE(endsWith(pieces[0], ",50.0 ")) << pieces[0];
    EXPECT_TRUE(endsWith(pieces[1].substr(0, pieces[1].find(' ')), ",50.0")) << pieces[1];
}

TEST(Sweep, DefaultAndChosen) {
    const Sweep standard = defaultSweep(146);
    EXPECT_EQ(standard.count, 61);
    EXPECT_DOUBLE_EQ(standard.fromMhz, 0.8 * 146);
    EXPECT_DOUBLE_EQ(standard.stepMhz, 0.01 * 146);
    EXPECT_NEAR(standard.toMhz(), 1.4 * 146, 1e-9);

    struct Case {
        double from, to, step;
        int count;
    };
    for (const Case& c : std::vector<Case>{{140, 150, 5, 3}, {140, 150, 3, 4}, {146, 146, 1, 1}, {0.1, 0.3, 0.1, 3}})
        EXPECT_EQ(makeSweep(c.from, c.to, c.step).count, c.count) << c.from << " " << c.to << " " << c.step;
    for (const Case& c : std::vector<Case>{
             {150, 140, 1, 0}, {0, 10, 1, 0}, {10, 20, 0, 0}, {10, 20, -1, 0}, {10, NAN, 1, 0}, {1, 1e9, 1, 0}})
        EXPECT_THROW(makeSweep(c.from, c.to, c.step), std::invalid_argument) << c.from << " " << c.to << " " << c.step;
}

}  // namespace
}  // namespace brimalox::nec

#include "nec/report/pattern_plot.h"

namespace brimalox::nec {
namespace {

PatternFigures lobe() {
    PatternFigures p;
    p.mhz = 146;
    for (int e = 0; e <= 90; ++e)
        p.elevationDbi.push_back(e == 0 ? -999.99 : 6 - std::abs(e - 12) * 0.3);
    p.maxDbi = 6;
    p.takeoffDeg = 12;
    p.azimuthCutDeg = 12;
    p.azimuthDeg = 30;
    for (int phi = 0; phi < 360; phi += 5)
        p.azimuthDbi.push_back({phi, 6 - 0.5 * std::cos(phi * 3.14159265 / 60)});
    return p;
}

// Every number pair of the curves lies inside the picture.
void expectInside(const std::string& svg, double width, double height, const char* name) {
    expectPointsWithin(svg, "(?:polyline|polygon)", 0, 0, width, height, name);
}

TEST(PatternPlot, BothPatternsWithRingsAndTitles) {
    const std::string svg = patternPlotSvg(lobe(), "A & B", "average ground");
    for (const char* part : {"A &amp; B", "average ground", "elevation pattern in azimuth 30.0 deg",
                             "azimuth pattern at elevation 12.0 deg", ">10<", ">0<", ">-10<", "dBi",
                             "maximum 6.00 dBi at elevation 12.0 deg"})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    expectInside(svg, 980, 540, "pattern");
}

TEST(HeightsPlot, GainAndTakeOffAgainstHeight) {
    std::vector<HeightRow> rows;
    for (double h : {2.0, 3.0, 4.0}) {
        HeightRow row;
        row.heightM = h;
        row.figures = lobe();
        row.figures->maxDbi = 4 + h;
        row.figures->takeoffDeg = 30 / h;
        rows.push_back(row);
    }
    rows.push_back({5.0, std::nullopt, "the model failed"});
    const std::string svg = heightsPlotSvg(rows, "t", "g");
    for (const char* part :
         {"maximum gain (dBi)", "take-off angle (deg)", "height of the lowest point above ground (m)"})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    expectInside(svg, 800, 620, "heights");
    EXPECT_NE(heightsPlotSvg({rows.back()}, "t", "g").find("no height gave a pattern"), std::string::npos);
}

TEST(SwrPlot, SaysWhyThereIsNoCurve) {
    const std::string none = swrPlotSvg(analysisOf({{10, INFINITY}, {11, INFINITY}}), {"t", 10.5, {}});
    EXPECT_NE(none.find("no finite SWR"), std::string::npos);
    const std::string high = swrPlotSvg(analysisOf({{10, 40}, {11, 50}}), {"t", 10.5, {}});
    EXPECT_NE(high.find("above 10 everywhere"), std::string::npos);
    // A design frequency at the right edge keeps its label inside the frame.
    const std::string edge = swrPlotSvg(analysisOf({{120, 3}, {146, 1.6}}), {"t", 146, {}});
    const std::regex label(R"re(<text x="([0-9.]+)"[^>]*>design 146 MHz<)re");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(edge, m, label));
    EXPECT_LE(std::stod(m[1]) + 6.8 * 15 / 2, 770);
}

}  // namespace
}  // namespace brimalox::nec
