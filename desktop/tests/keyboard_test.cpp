// The added windows by keyboard alone: every button takes the focus, Return clicks the focused
// button and runs from a setting, Escape closes, Tab leaves the table, the MODEL menu's keys work in
// every model window, and the preview's keys save what the command line writes.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <tuple>
#include <variant>

#include "desktop/analyser_window.h"
#include "desktop/check_window.h"
#include "desktop/cover_window.h"
#include "desktop/main_window.h"
#include "desktop/sheet_print.h"
#include "desktop/trim_window.h"
#include "nec2c_probe.h"
#include "save_dialog.h"
#include "sheet/model_figures.h"
#include "sheet/sheet_text.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

QByteArray output(const char* program, const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromLocal8Bit(program), arguments);
    EXPECT_TRUE(process.waitForFinished(30000) && process.exitCode() == 0) << program;
    return process.readAllStandardOutput();
}

QByteArray pdfText(const QString& path) { return output(BRIMALOX_PDFTOTEXT, {"-layout", path, "-"}); }

// The command line's sheet of the start-up design as a PDF's text.
QByteArray commandLineSheetText(const QString& dir) {
    const QString path = dir + QStringLiteral("/cli.pdf");
    output(BRIMALOX_CLI_PATH, {"sheet", "146.00", "--format", "pdf", "--date", "2026-12-09", "-o", path});
    return pdfText(path);
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ASSERT_TRUE(window.form()->pressButton(Button::Command7));
        window.form()->choose(Option::Option1);
        ASSERT_TRUE(window.form()->pressButton(Button::Command4));
    }
    void TearDown() override {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &window && top->isVisible()) top->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The model windows, each opened as its menu command opens it.
    std::vector<ModelWindow*> openAll() {
        window.openCheck();
        window.openTrim();
        window.openCover();
        window.openAnalyser();
        return {window.checkWindow(), window.trimWindow(), window.coverWindow(), window.analyserWindow()};
    }
    QPrintPreviewDialog* preview() {
        window.openBuildSheet();
        return window.findChild<QPrintPreviewDialog*>(QStringLiteral("buildSheet"));
    }
    // A key typed into a control of the window in front, where the key's shortcuts are looked up.
    static void key(QWidget* to, int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* window = to->window();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([window] { return window->isActiveWindow(); }, 5000));
        QTest::keyClick(to, static_cast<Qt::Key>(key), modifiers);
    }

    MainWindow window{makeModelWindows};
};

TEST_F(KeyboardTest, EveryButtonOfTheAddedWindowsTakesTheFocus) {
    std::vector<QWidget*> windows;
    for (ModelWindow* model : openAll())
        windows.push_back(model);
    windows.push_back(preview());
    ASSERT_NE(windows.back(), nullptr);
    for (QWidget* added : windows) {
        const auto buttons = added->findChildren<QAbstractButton*>();
        EXPECT_GE(buttons.size(), 4) << added->objectName().toStdString();
        for (const QAbstractButton* button : buttons)
            EXPECT_TRUE(button->focusPolicy() & Qt::TabFocus)
                << added->objectName().toStdString() << ": " << button->text().toStdString();
    }
}

TEST_F(KeyboardTest, ThePreviewsCommandsHaveKeys) {
    QPrintPreviewDialog* dialog = preview();
    ASSERT_NE(dialog, nullptr);
    const std::pair<const char*, QKeySequence> keys[] = {
        {"A4", QKeySequence(Qt::ALT | Qt::Key_A)},
        {"LETTER", QKeySequence(Qt::ALT | Qt::Key_L)},
        {"SAVE AS PDF...", QKeySequence(QKeySequence::Save)},
        {"SAVE AS SVG...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"SAVE THE CUT LIST AS CSV...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        {"SAVE AS JSON...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J)},
    };
    for (const auto& [text, sequence] : keys) {
        const QAction* found = nullptr;
        int holders = 0;  // the dialog's own commands included: a key shared would do neither
        for (const QAction* action : dialog->findChildren<QAction*>()) {
            if (action->text() == QLatin1String(text)) found = action;
            holders += action->shortcuts().contains(sequence) ? 1 : 0;
        }
        ASSERT_NE(found, nullptr) << text;
        EXPECT_EQ(found->shortcut(), sequence) << text;
        EXPECT_EQ(holders, 1) << text;
        EXPECT_TRUE(found->toolTip().contains(sequence.toString(QKeySequence::NativeText))) << text;
    }
}

// Ctrl+S offers the design's name and writes the PDF whose text is the command line's.
TEST_F(KeyboardTest, CtrlSInThePreviewSavesTheCommandLinesPdf) {
    QPrintPreviewDialog* dialog = preview();
    ASSERT_NE(dialog, nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("saved.pdf"));
    const QString offered = saveThrough(path, [&] { key(dialog, Qt::Key_S, Qt::ControlModifier); });
    EXPECT_EQ(offered, QStringLiteral("146MHz-3sided-sheet.pdf"));
    ASSERT_TRUE(QFileInfo::exists(path));
    // The window's sheet carries today's date; the command line's is told it.
    QByteArray saved = pdfText(path);
    saved.replace(QDate::currentDate().toString(Qt::ISODate).toLatin1(), "2026-12-09");
    EXPECT_EQ(saved, commandLineSheetText(dir.path()));
}

// Ctrl+Shift+C and Ctrl+Shift+J save the cut list's CSV and the sheet's JSON of the design shown, as
// the command line's sheet writes them.
TEST_F(KeyboardTest, ThePreviewsKeysSaveTheCutListsCsvAndTheSheetsJson) {
    QPrintPreviewDialog* dialog = preview();
    ASSERT_NE(dialog, nullptr);
    const auto made = sheet::shownSheet(window.form()->shownDesign(),
                                        QDate::currentDate().toString(Qt::ISODate).toStdString(), std::nullopt);
    ASSERT_TRUE(std::holds_alternative<sheet::BuildSheet>(made));
    const sheet::BuildSheet& built = std::get<sheet::BuildSheet>(made);
    QTemporaryDir dir;
    const std::tuple<Qt::Key, const char*, std::string> saves[] = {
        {Qt::Key_C, "csv", sheet::cutListCsv(built)},
        {Qt::Key_J, "json", sheet::sheetJson(built)},
    };
    for (const auto& [letter, suffix, expected] : saves) {
        const QString path = dir.filePath(QStringLiteral("saved.") + QLatin1String(suffix));
        const QString offered =
            saveThrough(path, [&] { key(dialog, letter, Qt::ControlModifier | Qt::ShiftModifier); });
        EXPECT_EQ(offered, QStringLiteral("146MHz-3sided-sheet.") + QLatin1String(suffix));
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << suffix;
        EXPECT_EQ(saved.readAll().toStdString(), expected) << suffix;
    }
}

// Printed to a PDF file, the sheet is the command line's PDF; a preview on that printer still draws.
TEST_F(KeyboardTest, PrintingToAPdfFileWritesTheCommandLinesPdf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("printed.pdf"));
    const std::string svg = sheetOf(window.form()->shownDesign(), sheet::Paper::A4, "2026-12-09", {}).svg;
    QPrinter printer(QPrinter::HighResolution);
    setPaper(printer, sheet::Paper::A4);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);

    QPrintPreviewWidget view(&printer);
    QObject::connect(&view, &QPrintPreviewWidget::paintRequested,
                     [&svg](QPrinter* target) { EXPECT_TRUE(paintSheet(*target, svg)); });
    view.updatePreview();
    EXPECT_EQ(view.pageCount(), 1);
    EXPECT_FALSE(QFileInfo::exists(path)) << "the preview wrote the file";

    ASSERT_TRUE(paintSheet(printer, svg));
    EXPECT_EQ(pdfText(path), commandLineSheetText(dir.path()));

    printer.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder.pdf")));
    QString why;
    EXPECT_FALSE(paintSheet(printer, svg, &why));
    EXPECT_FALSE(why.isEmpty());
}

TEST_F(KeyboardTest, ReturnInASettingRunsThatWindowsRun) {
    openAll();
    struct Case {
        ModelWindow* window;
        const char* field;
        const char* text;  // refused before nec2c starts, so the run's words come at once
        const char* says;
    };
    const Case cases[] = {
        {window.checkWindow(), "z0", "-50", "The check cannot run with these settings"},
        {window.checkWindow(), "ground", nullptr, "The check cannot run with these settings"},
        {window.trimWindow(), "low", "fast", "The trim cannot run"},
        {window.trimWindow(), "byEdges", nullptr, "The trim cannot run"},
        {window.coverWindow(), "bands", "", "The search cannot run with these settings"},
        {window.coverWindow(), "sides", nullptr, "The search cannot run with these settings"},
        {window.analyserWindow(), "z0", "-50", "The sweep cannot start"},
        {window.analyserWindow(), "port", nullptr, "The sweep cannot start"},
    };
    for (const Case& c : cases) {
        auto* field = c.window->findChild<QWidget*>(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr) << c.field;
        if (c.text) static_cast<QLineEdit*>(field)->setText(QString::fromLatin1(c.text));
        field->setFocus();
        auto* status = c.window->findChild<QLabel*>(QStringLiteral("status"));
        status->clear();
        key(field, Qt::Key_Return);
        EXPECT_TRUE(c.window->status().startsWith(QString::fromLatin1(c.says)))
            << c.field << ": " << c.window->status().toStdString();
        status->clear();
        key(field, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_TRUE(c.window->status().startsWith(QString::fromLatin1(c.says))) << c.field << " (keypad Enter)";
    }
}

TEST_F(KeyboardTest, ReturnClicksTheFocusedButtonAndGoesNoFurther) {
    CheckWindow* check = (openAll(), window.checkWindow());
    QTemporaryDir dir;
    QFile measured(dir.filePath("good.s1p"));
    ASSERT_TRUE(measured.open(QIODevice::WriteOnly));
    measured.write("# MHz S RI R 50\n140 0.1 0.0\n146 0.05 0.0\n");
    measured.close();
    ASSERT_TRUE(check->openMeasured(measured.fileName()));
    check->setting("z0")->setText("-50");  // a run, if Return went on to the window, would say so
    QPushButton* clear = nullptr;
    for (QPushButton* button : check->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("C&LEAR")) clear = button;
    ASSERT_NE(clear, nullptr);
    key(clear, Qt::Key_Return);
    EXPECT_EQ(check->findChild<QLabel*>(QStringLiteral("measuredName"))->text(), QStringLiteral("none"));
    EXPECT_TRUE(check->status().isEmpty()) << check->status().toStdString();

    // Form1's buttons too: Return on ACCEPT is the click, failure message and all.
    window.form()->setText(Field::Text2, "fifty");
    auto* accept = window.form()->findChild<QPushButton*>(QStringLiteral("Command7"));
    key(accept, Qt::Key_Return);
    auto* failure = window.form()->findChild<QMessageBox*>(QStringLiteral("failure"));
    ASSERT_NE(failure, nullptr);
    EXPECT_TRUE(failure->text().contains(QStringLiteral("type mismatch"), Qt::CaseInsensitive));
}

TEST_F(KeyboardTest, EscapeClosesEachModelWindow) {
    for (ModelWindow* model : openAll()) {
        ASSERT_TRUE(model->isVisible());
        auto* field = model->findChild<QLineEdit*>();
        field->setFocus();
        key(field, Qt::Key_Escape);
        EXPECT_FALSE(model->isVisible()) << model->objectName().toStdString();
    }
}

TEST_F(KeyboardTest, EscapeDuringARunAsksThenCancels) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    window.openCheck();
    CheckWindow* check = window.checkWindow();
    check->groundBox()->setCurrentIndex(check->groundBox()->findData(QStringLiteral("average")));  // slow
    check->setting("height")->setText("10");
    check->run();
    ASSERT_TRUE(QTest::qWaitFor([] { return nec2cChildren() > 0; }, 10000)) << "nec2c never started";
    key(check->setting("height"), Qt::Key_Escape);
    auto* ask = check->findChild<QMessageBox*>(QStringLiteral("closeWhileRunning"));
    ASSERT_NE(ask, nullptr);
    EXPECT_TRUE(check->isVisible());
    EXPECT_TRUE(check->running());
    ask->button(QMessageBox::Yes)->click();
    EXPECT_FALSE(check->isVisible());
    EXPECT_FALSE(check->running());
    EXPECT_EQ(nec2cChildren(), 0);
    EXPECT_TRUE(QDir(temp.path()).isEmpty());
    qunsetenv("TMPDIR");
}

TEST_F(KeyboardTest, TabLeavesTheSweepTableAndCtrlTabMovesInIt) {
    window.openCheck();
    auto* table = window.checkWindow()->findChild<QTableWidget*>(QStringLiteral("sweepTable"));
    table->setRowCount(3);
    table->setColumnCount(3);
    for (int cell = 0; cell < 9; ++cell)
        table->setItem(cell / 3, cell % 3, new QTableWidgetItem(QString::number(cell)));
    auto* tabs = window.checkWindow()->findChild<QTabWidget*>();
    tabs->setCurrentWidget(table);
    table->setFocus();
    table->setCurrentCell(0, 0);
    // Ctrl+Tab moves inside, row after row, and Ctrl+Shift+Tab back.
    struct Move {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row, column;
    };
    for (const Move& move : {Move{Qt::Key_Tab, Qt::ControlModifier, 0, 1}, Move{Qt::Key_Tab, Qt::ControlModifier, 0, 2},
                             Move{Qt::Key_Tab, Qt::ControlModifier, 1, 0},
                             Move{Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0, 2}}) {
        key(table, move.key, move.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), table);
        EXPECT_EQ(std::pair(table->currentRow(), table->currentColumn()), std::pair(move.row, move.column));
    }
    EXPECT_EQ(tabs->currentWidget(), table) << "Ctrl+Tab in the table is the table's, not the tabs'";
    key(table, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), table);
    EXPECT_EQ(table->currentColumn(), 2);
}

TEST_F(KeyboardTest, TheModelMenusKeysWorkInEveryModelWindow) {
    const std::pair<const char*, int> commands[] = {{"CHECK THE DESIGN...", Qt::Key_F5},
                                                    {"TRIM...", Qt::Key_F6},
                                                    {"COVER BANDS...", Qt::Key_F7},
                                                    {"MEASURE WITH THE ANALYSER...", Qt::Key_F8}};
    for (const auto& [text, keyCode] : commands)
        EXPECT_EQ(window.action(QString::fromLatin1(text))->shortcut(), QKeySequence(keyCode)) << text;
    const std::vector<ModelWindow*> models = openAll();
    for (ModelWindow* from : models) {
        auto* bar = from->findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr) << from->objectName().toStdString();
        ASSERT_EQ(bar->actions().size(), 1);
        // The main window's MODEL menu, its very commands.
        EXPECT_EQ(bar->actions().front()->menu()->actions(), window.menuBar()->actions().at(1)->menu()->actions());
        for (std::size_t i = 0; i < models.size(); ++i) {
            if (models[i] == from) continue;
            models[i]->hide();
            key(from->findChild<QLineEdit*>(), commands[i].second);
            EXPECT_TRUE(models[i]->isVisible()) << from->objectName().toStdString() << " " << commands[i].first;
        }
    }
}

TEST(DesignFileStem, CarriesTheFrequencyAndForm) {
    struct Case {
        const char* frequency;
        int sides;
        const char* stem;
    };
    for (const Case& c :
         {Case{"146.00", 3, "146MHz-3sided"}, Case{"146.52", 4, "146.52MHz-4sided"}, Case{" 50 ", 4, "50MHz-4sided"},
          Case{"fifty", 3, "design-3sided"}, Case{"-1", 3, "design-3sided"}}) {
        DesignTexts design;
        design.frequency = c.frequency;
        design.sides = c.sides;
        EXPECT_EQ(designFileStem(design), QString::fromLatin1(c.stem)) << c.frequency;
    }
}

}  // namespace
}  // namespace brimalox::testing
