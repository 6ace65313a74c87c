// What the program keeps and saves: the model windows' settings across a restart, designs saved and
// opened again as their typing, the files offered under the design's name and only where there is
// something to save, and what About says.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "desktop/check_window.h"
#include "desktop/cover_window.h"
#include "desktop/design_file.h"
#include "desktop/kept_settings.h"
#include "desktop/main_window.h"
#include "desktop/sheet_print.h"
#include "desktop/trim_window.h"
#include "nec/design_texts.h"
#include "nec2c_probe.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

DesignTexts startUpDesign() { return nec::designTexts(runDesign({"146.00", 3, {}}), 3); }

// What a user set in a window, as the window shows it.
struct Shown {
    QString text;    // the line edit's
    int index = -1;  // the combo box's
    bool ticked = false;
    QSize size;
    bool operator==(const Shown&) const = default;
};

// Each model window with a box, a list and a tick or option of its own set, closed, and made afresh
// as the next start makes it.
TEST(KeptSettings, TheModelWindowsSettingsSurviveARestart) {
    struct Case {
        std::function<std::unique_ptr<ModelWindow>()> make;
        const char* box;
        const char* list;
        const char* tick;  // a check box, an option button or a checkable group
    };
    const Case cases[] = {
        {[] { return std::make_unique<CheckWindow>(startUpDesign); }, "heights", "ground", "feed"},
        {[] { return std::make_unique<TrimWindow>(startUpDesign); }, "low", "ground", "byDip"},
        {[] { return std::make_unique<CoverWindow>([](const DesignRequest&) {}); }, "bands", "sides", "420:450"},
    };
    const auto shown = [](const ModelWindow& window, const Case& c) {
        const QObject* tick = window.findChild<QObject*>(QString::fromLatin1(c.tick));
        const auto* button = qobject_cast<const QAbstractButton*>(tick);
        const auto* group = qobject_cast<const QGroupBox*>(tick);
        return Shown{window.findChild<QLineEdit*>(QString::fromLatin1(c.box))->text(),
                     window.findChild<QComboBox*>(QString::fromLatin1(c.list))->currentIndex(),
                     button ? button->isChecked() : group && group->isChecked(), window.size()};
    };
    for (const Case& c : cases) {
        std::unique_ptr<ModelWindow> first = c.make();
        first->present();
        const Shown fresh = shown(*first, c);
        first->findChild<QLineEdit*>(QString::fromLatin1(c.box))->setText("2:10:1 typed");
        first->findChild<QComboBox*>(QString::fromLatin1(c.list))->setCurrentIndex(1);
        QObject* tick = first->findChild<QObject*>(QString::fromLatin1(c.tick));
        if (auto* button = qobject_cast<QAbstractButton*>(tick)) button->setChecked(true);
        if (auto* group = qobject_cast<QGroupBox*>(tick)) group->setChecked(true);
        first->resize(first->size() - QSize(40, 30));
        const Shown set = shown(*first, c);
        ASSERT_NE(set, fresh) << first->objectName().toStdString();
        first->close();
        first.reset();

        std::unique_ptr<ModelWindow> again = c.make();
        again->present();
        EXPECT_EQ(shown(*again, c), set) << again->objectName().toStdString();
        again->close();
    }
}

// The main window comes back where it was, while that is on a screen; Form1 keeps its own texts.
TEST(KeptSettings, TheMainWindowComesBackWhereItWas) {
    {
        MainWindow first(makeModelWindows);
        first.show();
        first.move(120, 90);
        first.form()->setText(Field::Text2, "50");
        first.close();
    }
    MainWindow again(makeModelWindows);
    EXPECT_EQ(again.pos(), QPoint(120, 90));
    EXPECT_EQ(again.form()->text(Field::Text2), "146.00");

    keptSettings()->setValue(QStringLiteral("MainWindow/position"), QPoint(90000, 90000));  // a screen now gone
    MainWindow offScreen(makeModelWindows);
    EXPECT_NE(offScreen.pos(), QPoint(90000, 90000));
}

TEST(KeptSettings, TheBuildSheetsPreviewOpensAtItsLastSize) {
    const auto open = [] {
        previewSheet(nullptr, QStringLiteral("BUILD SHEET"), QStringLiteral("sheet"),
                     [](sheet::Paper paper) { return sheetOf(startUpDesign(), paper, "2026-12-09", {}); });
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("buildSheet") && top->isVisible()) return static_cast<QDialog*>(top);
        return static_cast<QDialog*>(nullptr);
    };
    QDialog* first = open();
    ASSERT_NE(first, nullptr);
    const QSize size = first->size() + QSize(60, 40);
    first->resize(size);
    first->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QDialog* again = open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->size(), size);
    again->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class DesignFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible()) top->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QTemporaryDir dir;
};

// Saved, then opened in a window started afresh: the same fields, option and COMPUTE as the typing.
TEST_F(DesignFileTest, SaveThenOpenGivesTheSameFieldsAsTyping) {
    const DesignRequest designs[] = {
        {"146.00", 3, {}},
        {"50", 4, {ConductorUnit::Millimetre, "8"}},
        {"146.52", 3, {ConductorUnit::Awg, "10"}},
        {"222", 4, {ConductorUnit::Inch, "0.25"}},
    };
    for (const DesignRequest& design : designs) {
        MainWindow typed(makeModelWindows);
        typed.useDesign(design);
        const QString path = dir.filePath(QString::fromStdString(design.frequencyText) + ".json");
        ASSERT_TRUE(typed.saveDesignTo(path)) << design.frequencyText;
        EXPECT_EQ(typed.recentDesigns().value(0), QFileInfo(path).absoluteFilePath());

        MainWindow opened(makeModelWindows);
        ASSERT_TRUE(opened.openDesignFrom(path)) << design.frequencyText;
        EXPECT_EQ(opened.form()->state(), typed.form()->state()) << design.frequencyText;
        const DesignResult road = runDesign(design);
        for (const ValueField& value : kValueFields)
            EXPECT_EQ(opened.form()->text(value.field), road.*value.text) << design.frequencyText << " " << value.key;
    }
}

TEST_F(DesignFileTest, ABrokenFileIsNamedAndChangesNothing) {
    struct Case {
        const char* name;
        const char* text;  // nullptr: no such file
        const char* says;
    };
    const Case cases[] = {
        {"missing.json", nullptr, "No such file"},
        {"text.json", "146.00 three sided", "it is not JSON"},
        {"other.json", R"({"kind": "recipe", "frequency": "146"})", "it is not a design this program saved"},
        {"sides.json", R"({"kind": "brimalox design", "frequency": "146", "sides": 5, "conductor": "mm"})",
         "\"sides\" is neither 3 nor 4"},
        {"unit.json", R"({"kind": "brimalox design", "frequency": "146", "sides": 3, "conductor": "feet"})",
         "\"conductor\" is none of"},
        {"number.json", R"({"kind": "brimalox design", "frequency": 146, "sides": 3, "conductor": "recommended"})",
         "\"frequency\" is not a text"},
    };
    MainWindow window(makeModelWindows);
    const FormState before = window.form()->state();
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        if (c.text) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.text);
        }
        EXPECT_FALSE(window.openDesignFrom(path)) << c.name;
        auto* box = window.findChild<QMessageBox*>(QStringLiteral("designNotOpened"));
        ASSERT_NE(box, nullptr) << c.name;
        EXPECT_TRUE(box->text().contains(QString::fromLatin1(c.name))) << box->text().toStdString();
        EXPECT_TRUE(box->text().contains(QString::fromLatin1(c.says))) << box->text().toStdString();
        box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.form()->state(), before) << c.name;
    }
    EXPECT_TRUE(window.recentDesigns().isEmpty());
}

TEST_F(DesignFileTest, SaveDesignWaitsForADesign) {
    MainWindow window(makeModelWindows);
    QAction* save = window.action(QStringLiteral("SAVE DESIGN..."));
    QAction* recent = window.action(QStringLiteral("RECENT DESIGNS"));
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(recent->isEnabled());
    ASSERT_TRUE(window.form()->pressButton(Button::Command7));
    window.form()->choose(Option::Option1);
    EXPECT_FALSE(save->isEnabled());
    QTest::mouseClick(window.form()->findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
    EXPECT_TRUE(save->isEnabled());
    ASSERT_TRUE(window.saveDesignTo(dir.filePath("146.json")));
    EXPECT_TRUE(recent->isEnabled());
    // A design no typing gives (a value field typed over after COMPUTE) is refused in words.
    window.form()->setText(Field::Text13, "999");
    EXPECT_FALSE(window.saveDesignTo(dir.filePath("typed-over.json")));
    EXPECT_NE(window.findChild<QMessageBox*>(QStringLiteral("designNotSaved")), nullptr);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("typed-over.json")));
}

TEST(About, NamesTheProgramItsLicenceNec2cAndTheManual) {
    const QByteArray path = qgetenv("PATH");
    for (const bool withNec2c : {true, false}) {
        if (withNec2c && !haveNec2c()) continue;
        if (!withNec2c) qputenv("PATH", "/nonexistent");
        const QString text = MainWindow::aboutText();
        qputenv("PATH", path);
        for (const char* part : {"BRIMALOX " BRIMALOX_VERSION, "Licence: MIT", "man brimalox"})
            EXPECT_TRUE(text.contains(QString::fromLatin1(part))) << part << "\n" << text.toStdString();
        EXPECT_FALSE(text.contains("no website")) << text.toStdString();
        if (withNec2c) {
            QProcess version;
            version.start(QStringLiteral("nec2c"), {QStringLiteral("-v")});
            ASSERT_TRUE(version.waitForFinished(10000));
            const QString said = QString::fromLocal8Bit(version.readAllStandardOutput()).trimmed();
            ASSERT_FALSE(said.isEmpty());
            EXPECT_TRUE(text.contains("nec2c: " + said + ", at ")) << text.toStdString();
        } else {
            EXPECT_TRUE(text.contains("nec2c: not installed")) << text.toStdString();
            EXPECT_TRUE(text.contains("sudo apt install nec2c")) << text.toStdString();
        }
    }
}

// After a check without a height sweep the heights chart is not offered; the others are, under the
// design's name.
TEST(CheckSaves, OnlyWhatTheCheckHasIsOfferedUnderTheDesignsName) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    CheckWindow check(startUpDesign);
    check.present();
    check.run();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check.running(); }, 60000));
    ASSERT_TRUE(check.result().has_value()) << check.status().toStdString();
    QMenu* saves = check.findChild<QPushButton*>(QStringLiteral("save"))->menu();
    QStringList offered, withheld;
    for (const QAction* action : saves->actions())
        (action->isEnabled() ? offered : withheld) << action->text();
    EXPECT_EQ(withheld, QStringList({"HEIGHTS CHART (.svg)..."}));
    EXPECT_EQ(offered.size(), 8);

    QString name;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            answer.stop();
            name = QFileInfo(files->selectedFiles().value(0)).fileName();
            files->reject();
        }
    });
    answer.start(20);
    saves->actions().at(2)->trigger();  // SWR CHART
    EXPECT_EQ(name, QStringLiteral("146MHz-3sided-swr.svg"));
}

}  // namespace
}  // namespace brimalox::testing
