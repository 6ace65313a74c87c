// CHECK THE DESIGN: the report word for word as the command line's simulate, refusals that cost no
// run, CANCEL that leaves nothing behind, a broken measured file, and no nec2c installed.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "desktop/check_window.h"
#include "desktop/sheet_print.h"
#include "nec/native/runner.h"
#include "nec/nec.h"
#include "nec/report/report.h"
#include "nec2c_probe.h"

namespace brimalox::testing {
namespace {

// The window's design: 146.00 MHz with the recommended conductor, THREE SIDED, COMPUTE.
DesignTexts computed() { return nec::designTexts(runDesign({"146.00", 3, {}}), 3); }

class CheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The engine's folders go here, so the test sees whether any is left.
        ASSERT_TRUE(temp.isValid());
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        check = std::make_unique<CheckWindow>([] { return computed(); });
        check->present();
    }
    void TearDown() override {
        check.reset();
        qunsetenv("TMPDIR");
    }
    bool waitForEnd(int ms = 60000) {
        return QTest::qWaitFor([this] { return !check->running(); }, ms);
    }
    QStringList leftInTemp() const { return QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries); }

    QTemporaryDir temp;
    std::unique_ptr<CheckWindow> check;
};

TEST_F(CheckTest, ReportIsTheCommandLinesWordForWord) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    check->findChild<QPushButton*>(QStringLiteral("run"))->click();
    EXPECT_TRUE(check->running());
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(check->result().has_value()) << check->status().toStdString();

    nec::Request request;  // what brimalox-cli simulate 146.00 runs and prints
    request.design = {"146.00", 3, {}};
    nec::Nec2cProgram engine;
    const std::string expected = nec::report(nec::simulate(request, engine), nec::ReportFormat::Text);
    EXPECT_EQ(check->reportText().toStdString(), expected);
    const auto* progress = check->findChild<QProgressBar*>(QStringLiteral("progress"));
    EXPECT_EQ(progress->value(), progress->maximum());
    EXPECT_TRUE(check->findChild<QPushButton*>(QStringLiteral("save"))->isEnabled());
    EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();
}

TEST_F(CheckTest, AFeedSystemGivesTheCommandLinesReportAtTheRig) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    check->findChild<QGroupBox*>(QStringLiteral("feed"))->setChecked(true);
    check->findChild<QLineEdit*>(QStringLiteral("balun"))->setText("4");
    check->run();
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(check->result().has_value()) << check->status().toStdString();

    nec::Request request;  // brimalox-cli simulate 146.00 --balun 4 --at rig
    request.design = {"146.00", 3, {}};
    request.settings.feed.balun = "4";
    request.settings.feed.at = "rig";
    nec::Nec2cProgram engine;
    EXPECT_EQ(check->reportText().toStdString(), nec::report(nec::simulate(request, engine), nec::ReportFormat::Text));

    // The build sheet made after it lists that feed, as the command line's sheet of the same check.
    QProcess cli;
    cli.start(QStringLiteral(BRIMALOX_CLI_PATH),
              {"sheet", "146.00", "--model", "--balun", "4", "--date", "2026-12-09", "--format", "svg"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(checkedSheet(check.get(), computed(), "2026-12-09").page(sheet::Paper::A4).svg,
              cli.readAllStandardOutput().toStdString());

    check->findChild<QLineEdit*>(QStringLiteral("balun"))->setText("0");
    check->run();
    EXPECT_FALSE(check->running());
    EXPECT_TRUE(check->status().contains(QStringLiteral("BALUN"))) << check->status().toStdString();
}

TEST_F(CheckTest, RefusedSettingsAreNamedAndRunNothing) {
    struct Case {
        const char* ground;  // the combo's data
        const char* setting;
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"average", "height", "", "GROUND average needs HEIGHT"},
        {"", "z0", "-50", "FEED LINE Z0 needs a positive number"},
        {"", "heights", "2:10:1", "HEIGHT SWEEP needs a ground"},
        {"constants", "groundConstants", "13", "GROUND CONSTANTS needs EPSR,SIGMA"},
        {"", "insulation", "0,PVC", "INSULATION"},
    };
    for (const Case& c : cases) {
        auto* ground = check->groundBox();
        ground->setCurrentIndex(ground->findData(QString::fromLatin1(c.ground)));
        check->setting(c.setting)->setText(QString::fromLatin1(c.text));
        check->run();
        EXPECT_FALSE(check->running()) << c.says;
        EXPECT_TRUE(check->status().contains(QString::fromLatin1(c.says))) << check->status().toStdString();
        EXPECT_TRUE(check->reportText().isEmpty());
        check->setting(c.setting)->setText(QString::fromLatin1(c.setting == std::string("z0") ? "300" : ""));
    }
}

TEST_F(CheckTest, CancelEndsNec2cAtOnceAndLeavesNoFolder) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    auto* ground = check->groundBox();
    ground->setCurrentIndex(ground->findData(QStringLiteral("average")));  // the slow Sommerfeld-Norton ground
    check->setting("height")->setText("10");
    check->run();
    ASSERT_NO_FATAL_FAILURE(cancelOnceNec2cRuns(*check, 2000));
    EXPECT_TRUE(leftInTemp().isEmpty()) << leftInTemp().join(' ').toStdString();
    EXPECT_TRUE(check->status().startsWith("Cancelled"));
    EXPECT_FALSE(check->result().has_value());

    // Closing the window mid-run does the same.
    check->run();
    ASSERT_TRUE(QTest::qWaitFor([] { return nec2cChildren() > 0; }, 10000));
    check->close();
    EXPECT_FALSE(check->running());
    EXPECT_EQ(nec2cChildren(), 0);
    EXPECT_TRUE(leftInTemp().isEmpty());
}

TEST_F(CheckTest, BrokenMeasuredFileIsNamedByLineAndChangesNothing) {
    QTemporaryDir dir;
    const QString good = dir.filePath("good.s1p"), bad = dir.filePath("bad.s1p");
    {
        QFile file(good);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# MHz S RI R 50\n140 0.1 0.0\n146 0.05 0.0\n");
    }
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# MHz S RI R 50\n140 0.1 0.0\n146 zero 0.0\n");
    }
    ASSERT_TRUE(check->openMeasured(good));
    auto* name = check->findChild<QLabel*>(QStringLiteral("measuredName"));
    EXPECT_EQ(name->text(), "good.s1p");
    EXPECT_FALSE(check->openMeasured(bad));
    auto* box = check->findChild<QMessageBox*>(QStringLiteral("measuredFailure"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains("bad.s1p")) << box->text().toStdString();
    EXPECT_TRUE(box->text().contains("line 3")) << box->text().toStdString();
    EXPECT_EQ(name->text(), "good.s1p");
    box->close();
}

TEST_F(CheckTest, WithoutNec2cTheWindowSaysHowToInstallIt) {
    nec::RunOptions missing;
    missing.program = "nec2c-is-not-here";
    check->setEngine(missing);
    check->present();
    EXPECT_TRUE(check->status().contains("sudo apt install nec2c")) << check->status().toStdString();
    check->run();
    ASSERT_TRUE(waitForEnd());
    EXPECT_TRUE(check->status().contains("install it (Debian package nec2c)")) << check->status().toStdString();
    EXPECT_TRUE(check->reportText().isEmpty());
}

}  // namespace
}  // namespace brimalox::testing
