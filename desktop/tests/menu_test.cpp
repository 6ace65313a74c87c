// The program's window: the menu bar over the unchanged client area, its keys, and the commands that
// wait for a computed design.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>

#include "desktop/check_window.h"
#include "desktop/main_window.h"
#include "desktop/sheet_print.h"
#include "nec2c_probe.h"
#include "sheet/sheet_svg.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

// What a program writes to standard output; a failure to run or a failed exit fails the test.
QByteArray run(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromLocal8Bit(program), arguments);
    const bool ended = process.waitForFinished(30000);
    EXPECT_TRUE(ended && process.exitCode() == 0) << program << ": " << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &window && top->isVisible()) top->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The start-up frequency ACCEPTed, THREE SIDED, COMPUTE: the road brimalox-cli takes for 146.00.
    void compute() {
        ASSERT_TRUE(window.form()->pressButton(Button::Command7));
        window.form()->findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
        ASSERT_TRUE(window.form()->pressButton(Button::Command4));
    }
    QMessageBox* needsDesign() const { return window.findChild<QMessageBox*>(QStringLiteral("needsDesign")); }

    MainWindow window{makeModelWindows};
};

TEST_F(MenuTest, ClientAreaStandsWholeBelowTheMenuBar) {
    const nlohmann::json& client = expectedForm().at("window").at("client");
    const QSize size = pixelRect({0, 0, client.at(0), client.at(1)}).size();
    Form1* form = window.form();
    EXPECT_EQ(form->size(), size);
    EXPECT_EQ(form->geometry().top(), window.menuBar()->geometry().bottom() + 1);
    EXPECT_EQ(window.size(), QSize(size.width(), size.height() + window.menuBar()->height()));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.windowTitle(), form->windowTitle());
    EXPECT_EQ(form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(), 35);
}

TEST_F(MenuTest, MenusHoldTheirCommandsWithKeys) {
    struct Item {
        const char* menu;
        const char* text;  // with & before the letter Alt reaches it by
        QKeySequence keys;
    };
    const Item items[] = {
        {"&FILE", "&SAVE DESIGN...", QKeySequence(QKeySequence::Save)},
        {"&FILE", "&OPEN DESIGN...", QKeySequence(QKeySequence::Open)},
        {"&FILE", "&RECENT DESIGNS", {}},
        {"&FILE", "&BUILD SHEET...", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"&FILE", "&PRINT BUILD SHEET...", QKeySequence(QKeySequence::Print)},
        {"&FILE", "&QUIT", QKeySequence(QKeySequence::Quit)},
        {"&MODEL", "&CHECK THE DESIGN...", QKeySequence(Qt::Key_F5)},
        {"&MODEL", "&TRIM...", QKeySequence(Qt::Key_F6)},
        {"&MODEL", "C&OVER BANDS...", QKeySequence(Qt::Key_F7)},
        {"&MODEL", "&MEASURE WITH THE ANALYSER...", QKeySequence(Qt::Key_F8)},
        {"&MODEL", "&UNDO USE THIS DESIGN", QKeySequence(QKeySequence::Undo)},
        {"&HELP", "&NOTES", QKeySequence(QKeySequence::HelpContents)},
        {"&HELP", "&ABOUT", {}},
    };
    QStringList menus, found;
    for (QAction* menu : window.menuBar()->actions()) {
        menus << menu->text();
        for (QAction* item : menu->menu()->actions())
            if (!item->isSeparator()) found << menu->text() + " " + item->text() + " " + item->shortcut().toString();
    }
    EXPECT_EQ(menus, QStringList({"&FILE", "&MODEL", "&HELP"}));
    QStringList expected;
    for (const Item& item : items)
        expected << QString::fromLatin1(item.menu) + " " + item.text + " " + item.keys.toString();
    EXPECT_EQ(found, expected);
}

TEST_F(MenuTest, DesignCommandsSaySoAndDoNothingBeforeCompute) {
    for (const char* command : {"CHECK THE DESIGN...", "TRIM...", "BUILD SHEET...", "PRINT BUILD SHEET..."}) {
        window.action(QString::fromLatin1(command))->trigger();
        QMessageBox* box = needsDesign();
        ASSERT_NE(box, nullptr) << command;
        EXPECT_TRUE(box->text().contains("needs a computed design")) << command;
        EXPECT_TRUE(box->text().contains("COMPUTE")) << command;
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.checkWindow(), nullptr);
        EXPECT_EQ(window.trimWindow(), nullptr);
        EXPECT_EQ(window.findChild<QDialog*>(QStringLiteral("buildSheet")), nullptr);
        EXPECT_EQ(window.findChild<QDialog*>(QStringLiteral("printBuildSheet")), nullptr);
    }
}

TEST(MenuWindows, AModuleThatCannotBeLoadedIsNamedAndNothingOpens) {
    MainWindow window([](const ModelHost&) -> std::unique_ptr<ModelWindows> {
        throw std::runtime_error("brimalox-models.so: cannot open shared object file");
    });
    ASSERT_TRUE(window.form()->pressButton(Button::Command7));
    window.form()->findChild<QRadioButton*>(QStringLiteral("Option1"))->setChecked(true);
    ASSERT_TRUE(window.form()->pressButton(Button::Command4));
    window.action(QStringLiteral("CHECK THE DESIGN..."))->trigger();
    auto* box = window.findChild<QMessageBox*>(QStringLiteral("modelsMissing"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("brimalox-models.so: cannot open")) << box->text().toStdString();
    EXPECT_EQ(window.checkWindow(), nullptr);
    EXPECT_TRUE(window.form()->designComputed());  // the calculator keeps what it shows
}

TEST_F(MenuTest, AltAndTheLetterOpenTheCheckAfterCompute) {
    compute();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_M, Qt::AltModifier);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_C);
    ASSERT_NE(window.checkWindow(), nullptr);
    EXPECT_TRUE(window.checkWindow()->isVisible());
    EXPECT_FALSE(window.checkWindow()->isModal());
    EXPECT_EQ(needsDesign(), nullptr);
}

TEST_F(MenuTest, BuildSheetPreviewsTheCommandLinesPageAndSavesAPdf) {
    compute();
    window.action(QStringLiteral("BUILD SHEET..."))->trigger();
    auto* preview = window.findChild<QPrintPreviewDialog*>(QStringLiteral("buildSheet"));
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());

    // The page is the command line's: the same road to the same texts, the same drawing.
    DesignRequest request{"146.00", 3, {}};
    const auto made = sheet::makeBuildSheet(runDesign(request), 3, "2026-12-09");
    for (const sheet::Paper paper : {sheet::Paper::A4, sheet::Paper::Letter}) {
        const SheetPage page = sheetOf(window.form()->shownDesign(), paper, "2026-12-09", std::nullopt);
        EXPECT_EQ(page.svg, sheet::sheetSvg(std::get<sheet::BuildSheet>(made), paper));
    }

    // Saved as PDF, it reads as the command line's PDF does: the same text, selectable.
    QTemporaryDir dir;
    const QString pdf = dir.filePath("window.pdf"), cli = dir.filePath("cli.pdf");
    for (const sheet::Paper paper : {sheet::Paper::A4, sheet::Paper::Letter}) {
        ASSERT_TRUE(writeSheetPdf(pdf, sheetOf(window.form()->shownDesign(), paper, "2026-12-09", {}).svg, paper));
        ASSERT_EQ(run(BRIMALOX_CLI_PATH, {"sheet", "146.00", "--format", "pdf", "--date", "2026-12-09", "--paper",
                                          paper == sheet::Paper::A4 ? "a4" : "letter", "-o", cli}),
                  QByteArray());
        const QByteArray text = run(BRIMALOX_PDFTOTEXT, {"-layout", pdf, "-"});
        EXPECT_TRUE(text.contains("SERIES MATCH")) << text.toStdString();
        EXPECT_EQ(text, run(BRIMALOX_PDFTOTEXT, {"-layout", cli, "-"}));
    }
}

TEST_F(MenuTest, QuitDuringACheckLeavesNoNec2cAndNoFolder) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    compute();
    window.openCheck();
    CheckWindow* check = window.checkWindow();
    check->groundBox()->setCurrentIndex(check->groundBox()->findData(QStringLiteral("average")));
    check->setting("height")->setText("10");
    check->run();
    ASSERT_TRUE(QTest::qWaitFor([] { return nec2cChildren() > 0; }, 10000)) << "nec2c never started";
    window.action(QStringLiteral("QUIT"))->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(check->running());
    EXPECT_EQ(nec2cChildren(), 0);
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
    qunsetenv("TMPDIR");
}

TEST(SheetOfTheWindow, SaysWhyThereIsNone) {
    DesignTexts none;
    none.sides = 0;  // neither option selected
    none.frequency = "146.00";
    EXPECT_NE(sheetOf(none, sheet::Paper::A4, "2026-12-09", {}).problem.find("THREE SIDED or FOUR SIDED"),
              std::string::npos);
    none.sides = 4;
    none.frequency = "fifty";
    EXPECT_NE(sheetOf(none, sheet::Paper::A4, "2026-12-09", {}).problem.find("ACCEPT"), std::string::npos);
}

}  // namespace
}  // namespace brimalox::testing
