// COVER BANDS: the search's report word for word as the command line's and saved as its CSV and
// JSON, USE THIS DESIGN doing the winner's road in the main window, and CANCEL.
#include <gtest/gtest.h>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include "desktop/cover_window.h"
#include "desktop/form1.h"
#include "desktop/main_window.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/report/report.h"
#include "nec2c_probe.h"
#include "numtext/figures.h"
#include "save_dialog.h"

namespace brimalox::testing {
namespace {

class CoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        window.openCover();
        cover = window.coverWindow();
        ASSERT_NE(cover, nullptr);
    }
    bool waitForEnd(int ms = 120000) {
        return QTest::qWaitFor([this] { return !cover->running(); }, ms);
    }

    MainWindow window{makeModelWindows};
    CoverWindow* cover = nullptr;
};

TEST_F(CoverTest, ReportIsTheCommandLinesAndUseThisDesignDoesItsRoad) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    cover->findChild<QCheckBox*>(QStringLiteral("144:148"))->setChecked(true);
    cover->search();
    ASSERT_TRUE(cover->running());
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(cover->result().has_value()) << cover->status().toStdString();

    nec::CoverRequest request;  // brimalox-cli cover --band 144:148
    request.settings.bands = {"144:148"};
    const nec::EngineMaker engines = [] { return std::make_unique<nec::Nec2cProgram>(); };
    const nec::CoverResult expected = nec::cover(nec::planCover(request), engines, 1);
    EXPECT_EQ(cover->reportText().toStdString(), nec::coverText(expected));

    // SAVE writes what cover --format csv and json print for the search shown.
    const auto* save = cover->findChild<QPushButton*>(QStringLiteral("save"));
    ASSERT_TRUE(save && save->isEnabled() && save->menu());
    QTemporaryDir dir;
    const std::pair<const char*, std::string> saves[] = {
        {"TABLE (.csv)...", nec::coverReportCsv(*cover->result())},
        {"REPORT (.json)...", nec::coverReportJson(*cover->result())},
    };
    for (const auto& [entry, text] : saves) {
        QAction* action = nullptr;
        for (QAction* offered : save->menu()->actions())
            if (offered->text() == QLatin1String(entry)) action = offered;
        ASSERT_NE(action, nullptr) << entry;
        const QString path = dir.filePath(QLatin1String(entry).left(5));  // a file each: none asks to replace
        saveThrough(path, [action] { action->trigger(); });
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << entry << ": " << cover->status().toStdString();
        EXPECT_EQ(saved.readAll().toStdString(), text) << entry;
    }

    cover->findChild<QPushButton*>(QStringLiteral("use"))->click();
    const DesignRequest& best = expected.ranked.front().design;
    const DesignResult road = runDesign(best);
    Form1* form = window.form();
    for (const ValueField& value : kValueFields)
        EXPECT_EQ(form->text(value.field), road.*value.text) << value.key;
    EXPECT_TRUE(form->selected(best.sides == 4 ? Option::Option2 : Option::Option1));
    EXPECT_TRUE(form->designComputed());
}

TEST_F(CoverTest, RefusedSettingsRunNothingAndCancelStopsAtOnce) {
    cover->search();  // no band chosen
    EXPECT_FALSE(cover->running());
    EXPECT_TRUE(cover->status().startsWith("The search cannot run with these settings"))
        << cover->status().toStdString();

    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    cover->findChild<QLineEdit*>(QStringLiteral("bands"))->setText("144:148 420:450");
    cover->search();
    ASSERT_NO_FATAL_FAILURE(cancelOnceNec2cRuns(*cover, 3000));
    EXPECT_TRUE(cover->status().startsWith("Cancelled")) << cover->status().toStdString();
}

// 2 m and 70 cm: no design fits, so USE THIS DESIGN asks first, naming the closest's worst SWR; Ctrl+Z
// after it brings the window's texts back.
TEST_F(CoverTest, TheClosestIsUsedOnlyWhenConfirmedAndCtrlZUndoesIt) {
    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    cover->findChild<QCheckBox*>(QStringLiteral("144:148"))->setChecked(true);
    cover->findChild<QCheckBox*>(QStringLiteral("420:450"))->setChecked(true);
    cover->search();
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(cover->result().has_value()) << cover->status().toStdString();
    ASSERT_FALSE(cover->result()->covered());
    EXPECT_NE(cover->reportText().indexOf("too far apart for one antenna"), -1) << cover->reportText().toStdString();
    // The report is shown from the closest design on, as far as it scrolls.
    auto* report = cover->findChild<QPlainTextEdit*>(QStringLiteral("report"));
    const QTextBlock closest = report->document()->find(QStringLiteral("No design keeps every band")).block();
    ASSERT_TRUE(closest.isValid());
    EXPECT_EQ(report->verticalScrollBar()->value(),
              std::min(closest.firstLineNumber(), report->verticalScrollBar()->maximum()));
    EXPECT_GT(closest.firstLineNumber(), 0);
    const nec::Candidate& best = cover->result()->ranked.front();

    Form1* form = window.form();
    form->setText(Field::Text2, "50");  // the user's own texts, before any use
    const FormState before = form->state();
    auto* use = cover->findChild<QPushButton*>(QStringLiteral("use"));
    for (const bool yes : {false, true}) {
        use->click();
        auto* ask = cover->findChild<QMessageBox*>(QStringLiteral("useClosest"));
        ASSERT_NE(ask, nullptr);
        EXPECT_TRUE(ask->text().contains(QString::fromStdString("worst SWR is " + swrFigure(best.worst))))
            << ask->text().toStdString();
        EXPECT_EQ(form->state(), before) << "nothing is used before the answer";
        ask->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(form->text(Field::Text2), best.design.frequencyText);
    EXPECT_TRUE(form->designComputed());

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window.isActiveWindow(); }, 5000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->state(), before);
    EXPECT_FALSE(form->designComputed());
    EXPECT_FALSE(window.action(QStringLiteral("UNDO USE THIS DESIGN"))->isEnabled());
}

// Ctrl+Z is the box's own once the user has typed after USE THIS DESIGN.
TEST_F(CoverTest, UndoLeavesTheUsersOwnTypingAlone) {
    Form1* form = window.form();
    const FormState before = form->state();
    window.useDesign({"146.00", 4, {}});
    ASSERT_TRUE(window.useUndoable());
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window.isActiveWindow(); }, 5000));
    auto* frequency = form->findChild<QLineEdit*>(QStringLiteral("Text2"));
    frequency->setFocus();
    QTest::keyClicks(frequency, "7");
    const FormState typed = form->state();
    EXPECT_FALSE(window.useUndoable());
    QTest::keyClick(frequency, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_NE(form->state(), before);
    EXPECT_NE(form->state(), typed) << "the box's own undo took the 7 back";
}

}  // namespace
}  // namespace brimalox::testing
