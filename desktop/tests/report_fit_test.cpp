// The model windows at their first size on a 1280 x 800 screen, at 1x and at 2x (the tests
// window_fit.1x and window_fit.2x give them that screen): what a report holds fits its width, and no chart has a corner
// left white and the rest unpainted.
#include <gtest/gtest.h>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <cmath>

#include "desktop/chart_view.h"
#include "desktop/check_window.h"
#include "desktop/cover_window.h"
#include "desktop/report_view.h"
#include "desktop/trim_window.h"
#include "nec/design_texts.h"
#include "nec2c_probe.h"

namespace brimalox::testing {
namespace {

bool onTheScreenTheWindowsAreMadeFor() {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    return screen.width() >= 1280 && screen.height() >= 800;
}

QPlainTextEdit* reportOf(const QWidget& window) { return window.findChild<QPlainTextEdit*>(QStringLiteral("report")); }

// The lines of the report from the one starting with `first` to the next empty one that do not fit
// its width unwrapped.
QStringList cutOff(const QPlainTextEdit& report, const QString& first) {
    const QFontMetricsF metrics(report.font());
    const qreal room = report.viewport()->width() - 2 * report.document()->documentMargin();
    QStringList wide;
    bool in = false;
    for (QTextBlock block = report.document()->begin(); block.isValid(); block = block.next()) {
        in = in ? !block.text().isEmpty() : block.text().trimmed().startsWith(first);
        if (in && metrics.horizontalAdvance(block.text()) > room) wide << block.text();
    }
    return wide;
}

void showAtFirstSize(QWidget& window) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
}

TEST(ReportsFit, TheFourSidedChecksTableShowsItsSwrColumn) {
    if (!onTheScreenTheWindowsAreMadeFor()) GTEST_SKIP() << "the screen is smaller than 1280 x 800";
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    CheckWindow check([] { return nec::designTexts(runDesign({"146.00", 4, {}}), 4); });
    ASSERT_NO_FATAL_FAILURE(showAtFirstSize(check));
    check.run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.running(); }, 60000));
    ASSERT_TRUE(check.result().has_value()) << check.status().toStdString();
    QPlainTextEdit* report = reportOf(check);
    ASSERT_TRUE(report->toPlainText().contains(QStringLiteral("gap 4 (ohms)       SWR")));
    EXPECT_EQ(cutOff(*report, QStringLiteral("MHz")), QStringList()) << report->viewport()->width();
}

TEST(ReportsFit, AFeedSystemsTableKeepsOneLineToARow) {
    if (!onTheScreenTheWindowsAreMadeFor()) GTEST_SKIP() << "the screen is smaller than 1280 x 800";
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    CheckWindow check([] { return nec::designTexts(runDesign({"146.00", 4, {}}), 4); });
    ASSERT_NO_FATAL_FAILURE(showAtFirstSize(check));
    check.findChild<QGroupBox*>(QStringLiteral("feed"))->setChecked(true);
    check.findChild<QLineEdit*>(QStringLiteral("balun"))->setText("4");
    check.run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.running(); }, 60000));
    ASSERT_TRUE(check.result().has_value()) << check.status().toStdString();
    QPlainTextEdit* report = reportOf(check);
    ASSERT_TRUE(report->toPlainText().contains(QStringLiteral("rig (ohms)")));
    EXPECT_EQ(cutOff(*report, QStringLiteral("MHz")), QStringList()) << report->viewport()->width();
}

TEST(ReportsFit, TheTrimsCutListShowsEveryTargetLength) {
    if (!onTheScreenTheWindowsAreMadeFor()) GTEST_SKIP() << "the screen is smaller than 1280 x 800";
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    // The design the command line's worked trim starts from: 146.00 MHz, THREE SIDED, its 2:1 edges.
    TrimWindow trim([] { return nec::designTexts(runDesign({"146.00", 3, {}}), 3); });
    ASSERT_NO_FATAL_FAILURE(showAtFirstSize(trim));
    trim.findChild<QLineEdit*>(QStringLiteral("low"))->setText("132.7");
    trim.findChild<QLineEdit*>(QStringLiteral("high"))->setText("171.5");
    trim.trim();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trim.running(); }, 120000));
    ASSERT_TRUE(trim.result().has_value()) << trim.status().toStdString();
    QPlainTextEdit* report = reportOf(trim);
    EXPECT_EQ(cutOff(*report, QStringLiteral("cut list:")), QStringList()) << report->viewport()->width();
    // The cut list is in sight without scrolling.
    const QTextBlock list = report->document()->find(QStringLiteral("cut list:")).block();
    EXPECT_LE(report->verticalScrollBar()->value(), list.firstLineNumber());
    const int linesShown = report->viewport()->height() / report->fontMetrics().lineSpacing();
    EXPECT_GE(report->verticalScrollBar()->value() + linesShown, list.firstLineNumber() + 4);
}

TEST(ReportsFit, CoversReportHasRoomAndTheSettingsScroll) {
    if (!onTheScreenTheWindowsAreMadeFor()) GTEST_SKIP() << "the screen is smaller than 1280 x 800";
    CoverWindow cover([](const DesignRequest&) {});
    ASSERT_NO_FATAL_FAILURE(showAtFirstSize(cover));
    QPlainTextEdit* report = reportOf(cover);
    EXPECT_GE(report->viewport()->height(), 20 * report->fontMetrics().lineSpacing());
    // The feed's seven settings opened, the report keeps a dozen lines and the settings scroll.
    cover.findChild<QGroupBox*>(QStringLiteral("feed"))->setChecked(true);
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents();
    EXPECT_GE(report->viewport()->height(), 12 * report->fontMetrics().lineSpacing());
}

TEST(NarrowTables, TakesInTheBlanksEveryLineOfATableHasDownToTwo) {
    struct Case {
        QStringList lines;
        int columns;
        QStringList shown;
    };
    const Case cases[] = {
        {{"a    b", "c    d"}, 4, {"a  b", "c  d"}},
        {{"a    b", "c    d"}, 3, {"a  b", "c  d"}},      // two blanks stay, however narrow
        {{"a    b", "c    d"}, 6, {"a    b", "c    d"}},  // fits: as it is
        {{"     MHz      SWR", "   146.1     1.50"}, 12, {"    MHz   SWR", "  146.1  1.50"}},  // longest run first
        {{"one line far too wide for the box"}, 10, {"one line far too wide for the box"}},    // prose wraps
        {{"x   y   z", "p   q   r", "short"}, 7, {"x  y  z", "p  q  r", "short"}},
    };
    for (const Case& c : cases) {
        const Narrowed narrowed = narrowTables(c.lines, c.columns);
        EXPECT_EQ(narrowed.shown, c.shown) << c.lines.join('|').toStdString();
        for (int i = 0; i < c.lines.size(); ++i) {
            const std::vector<int>& kept = narrowed.kept[static_cast<std::size_t>(i)];
            if (kept.empty()) continue;
            ASSERT_EQ(static_cast<int>(kept.size()), narrowed.shown[i].size());
            for (std::size_t k = 0; k < kept.size(); ++k)
                EXPECT_EQ(narrowed.shown[i][static_cast<int>(k)], c.lines[i][kept[k]]);
        }
    }
}

// A check through a feed system, its rig column and all, in a box narrower than the table: every
// row on one line, the columns aligned, and a row copied as the command line prints it.
TEST(ReportViewTest, AWideTableKeepsOneLineToARowAndCopiesAsPrinted) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    QProcess cli;
    cli.start(QStringLiteral(BRIMALOX_CLI_PATH), {"simulate", "146", "--sides", "4", "--balun", "4"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    const QString printed = QString::fromUtf8(cli.readAllStandardOutput());
    const QStringList lines = printed.split('\n');
    const auto header = std::find_if(lines.begin(), lines.end(),
                                     [](const QString& line) { return line.contains(QStringLiteral("rig (ohms)")); });
    ASSERT_NE(header, lines.end());
    // A box as wide as the table narrowed as far as it goes.
    const int narrowest =
        static_cast<int>(narrowTables(lines, 1).shown[static_cast<int>(header - lines.begin())].size());
    ReportView view(nullptr);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const qreal advance = QFontMetricsF(view.font()).horizontalAdvance(QLatin1Char('0'));
    const int around =
        view.width() - view.viewport()->width() + 2 * static_cast<int>(view.document()->documentMargin());
    view.resize(static_cast<int>(std::ceil(narrowest * advance)) + around + 1, 400);
    ASSERT_EQ(view.columns(), narrowest);
    view.setReport(printed);
    EXPECT_EQ(view.report(), printed);
    ASSERT_LT(view.columns(), header->size()) << "the table is to be wider than the box";
    const QTextBlock shownHeader = view.document()->findBlockByNumber(static_cast<int>(header - lines.begin()));
    EXPECT_LE(shownHeader.text().size(), view.columns()) << shownHeader.text().toStdString();
    EXPECT_EQ(shownHeader.text().simplified(), header->simplified()) << "only blanks are taken in";
    const QTextBlock row = shownHeader.next();
    EXPECT_EQ(row.text().size(), shownHeader.text().size()) << "the columns stay aligned";
    EXPECT_EQ(row.text().simplified(), (header + 1)->simplified());

    QTextCursor select(row);
    select.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    view.setTextCursor(select);
    view.copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), lines[static_cast<int>(header - lines.begin()) + 1]);
}

// Qt draws the charts' background rect (width and height "100%") as 100 by 100 units.
TEST(ChartViewTest, TheWholeChartIsOnWhite) {
    ChartView chart(nullptr, "chart", QStringLiteral("CHART"));
    chart.resize(400, 400);
    chart.setChart(R"(<svg xmlns="http://www.w3.org/2000/svg" width="800" height="480" viewBox="0 0 800 480">)"
                   R"(<rect width="100%" height="100%" fill="white"/>)"
                   R"(<line x1="0" y1="470" x2="800" y2="470" stroke="black" stroke-width="20"/></svg>)");
    const QRectF drawn = chart.chartRect();
    EXPECT_EQ(drawn, QRectF(0, 80, 400, 240));
    const QImage picture = chart.grab().toImage();
    for (const QPointF at : {QPointF(10, 90), QPointF(300, 100), QPointF(390, 250), QPointF(200, 200)})
        EXPECT_EQ(picture.pixelColor(at.toPoint()), QColor(Qt::white)) << at.x() << "," << at.y();
    EXPECT_EQ(picture.pixelColor(200, 316), QColor(Qt::black));  // the line: the chart is drawn too
}

}  // namespace
}  // namespace brimalox::testing
