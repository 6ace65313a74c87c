// TRIM: the report word for word as the command line's for the same design and measurement, and a
// measurement that cannot be taken refused before any run.
#include <gtest/gtest.h>
#include <QGroupBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QRadioButton>
#include <QTest>
#include <cmath>
#include <tuple>

#include "desktop/sheet_print.h"
#include "desktop/trim_window.h"
#include "nec/native/runner.h"
#include "nec/report/report.h"
#include "nec2c_probe.h"
#include "numtext/figures.h"
#include "sheet/model_figures.h"

namespace brimalox::testing {
namespace {

DesignTexts computed() { return nec::designTexts(runDesign({"146.00", 3, {}}), 3); }

TEST(TrimWindowTest, ReportIsTheCommandLinesAndBadMeasurementsRunNothing) {
    TrimWindow trim([] { return computed(); });
    trim.present();
    struct Refusal {
        const char* option;  // the measurement chosen
        const char* box;
        const char* text;
        const char* says;
    };
    for (const Refusal& r : {Refusal{"byEdges", "low", "fast", "SWR 2:1 AT's LOW needs a number"},
                             Refusal{"byDip", "dip", "0", "SWR DIPS AT needs a positive number"},
                             Refusal{"byFile", "dip", "", "MEASURED FILE: open an analyser's file first"}}) {
        trim.findChild<QRadioButton*>(QString::fromLatin1(r.option))->setChecked(true);
        trim.findChild<QLineEdit*>(QString::fromLatin1(r.box))->setText(QString::fromLatin1(r.text));
        trim.trim();
        EXPECT_FALSE(trim.running()) << r.says;
        EXPECT_TRUE(trim.status().contains(QString::fromLatin1(r.says))) << trim.status().toStdString();
    }
    // The built lengths and the feed's settings, by their names in this window.
    trim.findChild<QRadioButton*>(QStringLiteral("byDip"))->setChecked(true);
    trim.findChild<QLineEdit*>(QStringLiteral("dip"))->setText(QStringLiteral("146"));
    trim.findChild<QGroupBox*>(QStringLiteral("feed"))->setChecked(true);
    for (const auto& [box, text, says] :
         {std::tuple{"builtSide", "9999", "BUILT SIDE 9999 mm is more than 20 % from the design's"},
          std::tuple{"balun", "1e9", "BALUN 1e9 is outside 0.25 to 16"}}) {
        auto* field = trim.findChild<QLineEdit*>(QString::fromLatin1(box));
        field->setText(QString::fromLatin1(text));
        trim.trim();
        EXPECT_FALSE(trim.running()) << says;
        EXPECT_TRUE(trim.status().contains(QString::fromLatin1(says))) << trim.status().toStdString();
        field->clear();
    }
    trim.findChild<QGroupBox*>(QStringLiteral("feed"))->setChecked(false);

    if (!haveNec2c()) GTEST_SKIP() << "nec2c is not installed";
    trim.findChild<QRadioButton*>(QStringLiteral("byEdges"))->setChecked(true);
    trim.findChild<QLineEdit*>(QStringLiteral("low"))->setText("140");
    trim.findChild<QLineEdit*>(QStringLiteral("high"))->setText("181.5");
    trim.trim();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !trim.running(); }, 60000));

    nec::TrimRequest request;  // brimalox-cli trim 146.00 --measured-2to1 140:181.5
    request.check.design = {"146.00", 3, {}};
    request.measured.lowEdgeMhz = 140;
    request.measured.highEdgeMhz = 181.5;
    nec::Nec2cProgram engine;
    EXPECT_EQ(trim.reportText().toStdString(), nec::trimReport(nec::trim(request, engine), nec::ReportFormat::Text));

    // The trimmed design's build sheet: the trimmed height and side, and what the trim changed.
    trim.openTrimmedSheet();
    auto* preview = trim.findChild<QPrintPreviewDialog*>(QStringLiteral("buildSheet"));
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    const DesignTexts trimmed = nec::trimmedDesign(computed(), *trim.result());
    EXPECT_NE(trimmed.heightMm, computed().heightMm);
    // It carries the model check of the trimmed design, as simulate gives it, and what to cut.
    nec::Request check;
    check.shown = trimmed;
    const sheet::ModelFigures expected = sheet::modelFigures(nec::simulate(check, engine));
    ASSERT_TRUE(trim.trimmedCheck());
    EXPECT_EQ(trim.trimmedCheck()->lowestSwr, expected.lowestSwr);
    EXPECT_EQ(trim.trimmedCheck()->swrAtDesign, expected.swrAtDesign);
    sheet::SheetAdditions built;
    built.builtDesign = computed();
    const std::string svg =
        sheetOf(trimmed, sheet::Paper::A4, "2026-12-09", trim.trimmedCheck(), sheet::trimRemark(*trim.result()), built)
            .svg;
    for (const std::string& part : {trimmed.heightMm, trimmed.sideMm, std::string("TRIMMED BY THE RATIO"),
                                    "as built " + computed().sideMm + ": ", std::string("LOWEST SWR")})
        EXPECT_NE(svg.find(part), std::string::npos) << part;
    EXPECT_EQ(svg.find("NONE RUN"), std::string::npos);
    // Each vertical half on the sheet, and what to cut from it, to the digits of the trim's report.
    const nec::TrimPiece& vertical = trim.result()->pieces.at(1);
    const std::string report = trim.reportText().toStdString();
    for (const double mm : {vertical.newMm, vertical.mm - vertical.newMm}) {
        const std::string digits = exactText(std::round(std::abs(mm) * 1e4) / 1e4);
        EXPECT_NE(svg.find(digits), std::string::npos) << digits;
        EXPECT_NE(report.find(digits + " mm"), std::string::npos) << digits << "\n" << report;
    }
    preview->close();
}

}  // namespace
}  // namespace brimalox::testing
