// COVER BANDS: the search's report word for word as the command line's, USE THIS DESIGN doing the
// winner's road in the main window, and CANCEL.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "desktop/cover_window.h"
#include "desktop/form1.h"
#include "desktop/main_window.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/report/report.h"
#include "nec2c_probe.h"

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

}  // namespace
}  // namespace brimalox::testing
