#include "desktop/trim_window.h"

#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "desktop/model_settings.h"
#include "desktop/report_view.h"
#include "desktop/sheet_print.h"
#include "desktop/text_boxes.h"
#include "nec/native/runner.h"
#include "nec/report/report.h"
#include "sheet/model_figures.h"

namespace brimalox {
namespace {

// The cut list's lines, each piece to its target length, unwrapped at the window's first size.
constexpr int kCutListColumns = 116;

nec::TrimNames trimNames() {
    nec::TrimNames names;
    static_cast<nec::SettingNames&>(names) = windowSettingNames();
    names.measuredFile = "MEASURED FILE";
    names.measuredEdges = "SWR 2:1 AT";
    names.measuredDip = "SWR DIPS AT";
    names.builtSide = "BUILT SIDE";
    names.builtHeight = "BUILT HEIGHT";
    return names;
}

}  // namespace

TrimWindow::TrimWindow(std::function<DesignTexts()> design)
    : ModelWindow("trim", QStringLiteral("TRIM")), design_(std::move(design)) {
    auto* layout = new QVBoxLayout(this);
    auto* settings = new QWidget(this);
    auto* form = new QFormLayout(settings);
    form->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(settingsArea(settings));

    byEdges_ = new QRadioButton(QStringLiteral("where the SWR crosses 2:1"), this);
    byEdges_->setObjectName(QStringLiteral("byEdges"));
    byEdges_->setChecked(true);
    byDip_ = new QRadioButton(QStringLiteral("where the SWR dips"), this);
    byDip_->setObjectName(QStringLiteral("byDip"));
    byFile_ = new QRadioButton(QStringLiteral("an analyser's file"), this);
    byFile_->setObjectName(QStringLiteral("byFile"));
    auto* how = new QHBoxLayout;
    how->addWidget(byEdges_);
    how->addWidget(byDip_);
    how->addWidget(byFile_);
    form->addRow(QStringLiteral("MEASURED"), how);
    low_ = settingBox(this, "low", "SWR 2:1 AT", "MHz");
    high_ = settingBox(this, "high", "AND AT", "MHz");
    form->addRow(QStringLiteral("SWR 2:1 AT (MHZ)"),
                 settingsInRow(this, low_, {{QStringLiteral("AND AT (MHZ)"), high_}}));
    dip_ = settingBox(this, "dip", "SWR DIPS AT", "MHz (the edges or a file are better: the dip is flat)");
    form->addRow(QStringLiteral("SWR DIPS AT (MHZ)"), dip_);
    // The pieces as the tape measures them; empty: cut to the design.
    builtSide_ = settingBox(this, "builtSide", "BUILT SIDE", "as designed");
    builtHeight_ = settingBox(this, "builtHeight", "BUILT HEIGHT", "as designed, the gap included");
    form->addRow(QStringLiteral("BUILT SIDE (MM)"),
                 settingsInRow(this, builtSide_, {{QStringLiteral("BUILT HEIGHT (MM)"), builtHeight_}}));
    form->addRow(QStringLiteral("MEASURED (.S1P)"),
                 measuredRow(this, QStringLiteral("none"), [this] { byFile_->setChecked(true); }));
    model_ = new ModelSettings(this);
    form->addRow(model_);

    auto* buttons = runRow(this, QStringLiteral("&TRIM"), "run");
    sheet_button_ = new QPushButton(QStringLiteral("PRINT THE TRIMMED &SHEET..."), this);
    sheet_button_->setObjectName(QStringLiteral("trimmedSheet"));
    sheet_button_->setEnabled(false);
    buttons->addWidget(sheet_button_);
    layout->addLayout(buttons);
    layout->addWidget(statusLine(this));
    layout->addWidget(reportBox(this), 1);
    fitOnScreen(QSize(std::max(760, widthForColumns(kCutListColumns)), 640));

    connect(run_button_, &QPushButton::clicked, this, [this] { trim(); });
    connect(sheet_button_, &QPushButton::clicked, this, [this] { openTrimmedSheet(); });
}

TrimWindow::~TrimWindow() = default;

void TrimWindow::useMeasured(const nec::Measured& measured) {
    measured_ = measured;
    measuredName_->setText(qstr(measured.name));
    byFile_->setChecked(true);
    setStatus(QStringLiteral("The measured file is the analyser's sweep: click TRIM."));
}

void TrimWindow::trim() {
    if (!mayStart()) return;
    nec::TrimRequest request;
    request.names = trimNames();
    request.check.shown = design_();
    request.check.names = request.names;
    model_->fill(request.check.settings);
    nec::TrimMeasurement& m = request.measured;
    try {  // the measurement is read before nec2c starts
        if (byFile_->isChecked()) {
            if (!measured_) throw nec::Refused("MEASURED FILE: open an analyser's file first");
            m.file = measured_;
        } else if (byDip_->isChecked()) {
            m.dipMhz = nec::positiveSetting(dip_->text().toStdString(), request.names.measuredDip);
        } else {
            m.lowEdgeMhz = nec::positiveSetting(low_->text().toStdString(), "SWR 2:1 AT's LOW");
            m.highEdgeMhz = nec::positiveSetting(high_->text().toStdString(), "SWR 2:1 AT's HIGH");
        }
        request.builtSide = builtSide_->text().trimmed().toStdString();
        request.builtHeight = builtHeight_->text().trimmed().toStdString();
        nec::checkTrim(request);  // the design, the settings and the built lengths, refused before any run
    } catch (const std::exception& e) {
        setStatus(QStringLiteral("The trim cannot run: %1").arg(qstr(e.what())));
        return;
    }
    progress_->setRange(0, 0);
    start<TrimRun>(this, &TrimWindow::finished,
                   QStringLiteral("Running the model of the design and of the trimmed design..."),
                   [request = std::move(request)](const nec::RunOptions& engine) {
                       nec::Nec2cProgram program(engine);
                       TrimRun run{nec::trim(request, program), std::nullopt};
                       // The trimmed sheet's model check: the trimmed design with the trim's settings.
                       nec::Request check = request.check;
                       check.shown = nec::trimmedDesign(run.trim.design, run.trim);
                       check.measured.reset();
                       try {
                           run.check = sheet::modelFigures(nec::simulate(check, program));
                       } catch (const nec::NecError&) {  // the sheet then says none was run
                       }
                       return run;
                   });
}

void TrimWindow::finished(const RunEnd& end, std::optional<TrimRun> result) {
    if (!endRun(end)) return;
    progress_->setRange(0, 1);
    progress_->setValue(result ? 1 : 0);
    if (end.cancelled) {
        setStatus(QString::fromLatin1(kCancelledKeeping));
        return;
    }
    if (!result) {
        setStatus(QStringLiteral("The trim failed: %1").arg(qstr(end.failure)));
        return;
    }
    result_ = std::move(result->trim);
    trimmedCheck_ = std::move(result->check);
    report_->setReport(qstr(nec::trimReport(*result_, nec::ReportFormat::Text)));
    showReportFrom(QStringLiteral("cut list:"));
    sheet_button_->setEnabled(true);
    setStatus(QStringLiteral("Done."));
}

void TrimWindow::openTrimmedSheet() {
    if (!result_) return;
    const DesignTexts trimmed = nec::trimmedDesign(result_->design, *result_);
    const std::string date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    const std::string remark = sheet::trimRemark(*result_);
    sheet::SheetAdditions additions;
    additions.builtDesign = nec::builtDesign(*result_);  // each piece says what to cut from it as built
    const std::optional<sheet::ModelFigures> check = trimmedCheck_;
    const SheetPage first = sheetOf(trimmed, sheet::Paper::A4, date, check, remark, additions);
    if (first.svg.empty()) {
        setStatus(QStringLiteral("No trimmed sheet: %1").arg(qstr(first.problem)));
        return;
    }
    previewSheet(this, QStringLiteral("TRIMMED BUILD SHEET"),
                 designFileStem(trimmed) + QStringLiteral("-trimmed-sheet"),
                 [trimmed, date, remark, check, additions](sheet::Paper paper) {
                     return sheetOf(trimmed, paper, date, check, remark, additions);
                 });
}

}  // namespace brimalox
