#include "desktop/cover_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>
#include <utility>

#include "desktop/chart_view.h"
#include "desktop/design_file.h"
#include "desktop/model_settings.h"
#include "desktop/model_window.h"
#include "desktop/report_view.h"
#include "desktop/text_boxes.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/report/report.h"
#include "numtext/figures.h"

namespace brimalox {
namespace {

nec::CoverNames coverNames() {
    nec::CoverNames names;
    static_cast<nec::SettingNames&>(names) = windowSettingNames();
    names.band = "BANDS";
    names.maxSwr = "AT MOST SWR";
    names.conductors = "CONDUCTORS";
    return names;
}

}  // namespace

CoverWindow::CoverWindow(std::function<void(const DesignRequest&)> use)
    : ModelWindow("cover", QStringLiteral("COVER BANDS")), use_(std::move(use)) {
    auto* layout = new QVBoxLayout(this);
    auto* settings = new QWidget(this);
    auto* form = new QFormLayout(settings);
    form->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(settingsArea(settings));

    auto* bands = new QHBoxLayout;
    for (const auto& [text, band] :
         {std::pair{"2 M", "144:148"}, std::pair{"1.25 M", "222:225"}, std::pair{"70 CM", "420:450"}}) {
        auto* box = new QCheckBox(QString::fromLatin1(text), this);
        box->setObjectName(QString::fromLatin1(band));
        box->setToolTip(QString::fromLatin1(band) + QStringLiteral(" MHz"));
        bandBoxes_.push_back(box);
        bands->addWidget(box);
    }
    bands_ = settingBox(this, "bands", "BANDS", "and FROM:TO in MHz, apart by blanks");
    bands->addWidget(bands_, 1);
    form->addRow(QStringLiteral("BANDS"), bands);
    sides_ = new QComboBox(this);
    sides_->setObjectName(QStringLiteral("sides"));
    sides_->setAccessibleName(QStringLiteral("FORM"));
    sides_->addItem(QStringLiteral("THREE SIDED"), 3);
    sides_->addItem(QStringLiteral("FOUR SIDED"), 4);
    form->addRow(QStringLiteral("FORM"), sides_);
    maxSwr_ = settingBox(this, "maxSwr", "AT MOST SWR", "", QStringLiteral("2"));
    form->addRow(QStringLiteral("AT MOST SWR"), maxSwr_);
    conductors_ =
        settingBox(this, "conductors", "CONDUCTORS", "recommended, gauges, tube diameters in mm; apart by commas",
                   QStringLiteral("recommended"));
    form->addRow(QStringLiteral("CONDUCTORS"), conductors_);
    model_ = new ModelSettings(this);
    form->addRow(model_);

    auto* buttons = runRow(this, QStringLiteral("&SEARCH"), "search");
    progress_->setAccessibleName(QStringLiteral("model runs"));
    use_button_ = new QPushButton(QStringLiteral("&USE THIS DESIGN"), this);
    use_button_->setObjectName(QStringLiteral("use"));
    use_button_->setEnabled(false);
    buttons->addWidget(use_button_);
    save_button_ = new QPushButton(QStringLiteral("S&AVE"), this);  // Alt+S is SEARCH's
    save_button_->setObjectName(QStringLiteral("save"));
    save_button_->setEnabled(false);
    auto* saves = new QMenu(save_button_);
    for (const auto& [label, format] :
         {std::pair{"REPORT (.txt)...", nec::ReportFormat::Text}, std::pair{"TABLE (.csv)...", nec::ReportFormat::Csv},
          std::pair{"REPORT (.json)...", nec::ReportFormat::Json}})
        saves->addAction(QString::fromLatin1(label), this, [this, format] { save(format); });
    save_button_->setMenu(saves);
    buttons->addWidget(save_button_);
    layout->addLayout(buttons);
    layout->addWidget(statusLine(this));

    // The report and the chart each on a whole tab: the report's best design first, in room to read.
    auto* tabs = new QTabWidget(this);
    tabs->addTab(reportBox(tabs), QStringLiteral("REPORT"));
    chart_ = new ChartView(tabs, "swrChart", QStringLiteral("SWR CHART"));
    tabs->addTab(chart_, QStringLiteral("SWR"));
    layout->addWidget(tabs, 1);
    fitOnScreen(QSize(820, 900));

    connect(run_button_, &QPushButton::clicked, this, [this] { search(); });
    connect(use_button_, &QPushButton::clicked, this, [this] { useWinner(); });
}

CoverWindow::~CoverWindow() = default;

void CoverWindow::search() {
    if (!mayStart()) return;
    nec::CoverRequest request;
    request.sides = sides_->currentData().toInt();
    request.names = coverNames();
    nec::CoverSettings& s = request.settings;
    for (const QCheckBox* box : bandBoxes_)
        if (box->isChecked()) s.bands.push_back(box->objectName().toStdString());
    for (const QString& band : bands_->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        s.bands.push_back(band.toStdString());
    s.maxSwr = maxSwr_->text().toStdString();
    s.conductors = conductors_->text().toStdString();
    model_->fill(s.model);
    nec::CoverPlan plan;
    try {  // every setting is read before the first run
        plan = nec::planCover(request);
    } catch (const std::exception& e) {
        setStatus(QStringLiteral("The search cannot run with these settings: %1").arg(qstr(e.what())));
        return;
    }

    progress_->setRange(0, nec::plannedRuns(plan));  // the search never takes more
    progress_->setValue(0);
    QPointer<CoverWindow> self(this);
    const nec::CoverProgress progress = [self](int runs, int planned, const nec::Candidate* best) {
        const QString now =
            best ? QStringLiteral("%1 MHz, %2, worst SWR %3")
                       .arg(qstr(best->design.frequencyText), qstr(best->conductor), qstr(swrFigure(best->worst)))
                 : QStringLiteral("none yet");
        QMetaObject::invokeMethod(
            self,
            [self, runs, planned, now] {
                if (!self || !self->run_) return;
                self->progress_->setRange(0, planned);
                self->progress_->setValue(runs);
                self->setStatus(
                    QStringLiteral("%1 of %2 model runs; the best so far: %3").arg(runs).arg(planned).arg(now));
            },
            Qt::QueuedConnection);
    };
    const int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    start<nec::CoverResult>(this, &CoverWindow::finished, QStringLiteral("Searching..."),
                            [plan = std::move(plan), progress, jobs](const nec::RunOptions& engine) {
                                const nec::EngineMaker engines = [engine] {
                                    return std::make_unique<nec::Nec2cProgram>(engine);
                                };
                                return nec::cover(plan, engines, jobs, progress);
                            });
}

void CoverWindow::finished(const RunEnd& end, std::optional<nec::CoverResult> result) {
    if (!endRun(end)) return;
    progress_->setRange(0, 1);
    progress_->setValue(result ? 1 : 0);
    if (!result) {
        setStatus(end.cancelled ? QStringLiteral("Cancelled: nec2c was stopped before any design was found.")
                                : QStringLiteral("The search failed: %1").arg(qstr(end.failure)));
        return;
    }
    result_ = std::move(result);
    const nec::CoverResult& r = *result_;
    report_->setReport(qstr(nec::coverText(r)));
    // The best design first in sight, below the lines that repeat the bands and settings.
    showReportFrom(r.covered() ? QStringLiteral("The best design") : QStringLiteral("No design keeps every band"));
    if (r.winner) {
        std::vector<std::pair<double, double>> bands;
        for (const nec::Band& band : r.plan.bands)
            bands.push_back({band.fromMhz, band.toMhz});
        chart_->setChart(nec::swrChart(*r.winner, bands));
    }
    use_button_->setEnabled(!r.ranked.empty());
    save_button_->setEnabled(true);
    setStatus(end.cancelled ? QStringLiteral("Cancelled: nec2c was stopped; the best found so far is below.")
                            : QStringLiteral("Done: %1 model runs.").arg(r.runs));
}

void CoverWindow::useWinner() {
    if (!result_ || result_->ranked.empty()) return;
    const nec::Candidate& best = result_->ranked.front();
    if (result_->covered()) {
        use_(best.design);
        return;
    }
    // The closest design is no answer to the bands: used only once the user has read how far off it is.
    auto* ask = new QMessageBox(
        QMessageBox::Question, windowTitle(),
        QStringLiteral("No design keeps every band under SWR %1:1. Use the closest, %2 MHz with %3, whose worst SWR is "
                       "%4?")
            .arg(qstr(numberText(result_->plan.maxSwr)), qstr(best.design.frequencyText), qstr(best.conductor),
                 qstr(swrFigure(best.worst))),
        QMessageBox::Yes | QMessageBox::No, this);
    ask->setObjectName(QStringLiteral("useClosest"));
    ask->setDefaultButton(QMessageBox::No);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QMessageBox::finished, this, [this, ask, design = best.design] {
        if (ask->clickedButton() == ask->button(QMessageBox::Yes)) use_(design);
    });
    ask->open();
}

void CoverWindow::save(nec::ReportFormat format) {
    if (!result_) return;
    const nec::CoverResult& r = *result_;
    const auto [suffix, text] = format == nec::ReportFormat::Json  ? std::pair{"json", nec::coverReportJson(r)}
                                : format == nec::ReportFormat::Csv ? std::pair{"csv", nec::coverReportCsv(r)}
                                                                   : std::pair{"txt", nec::coverText(r)};
    // Named after the winner where it was checked, as the check's files are after its design.
    const QString stem =
        r.winner ? designFileStem(r.winner->design) + QStringLiteral("-cover") : QStringLiteral("cover");
    saveText(QStringLiteral("SAVE THE BAND SEARCH'S ") + (format == nec::ReportFormat::Csv ? "TABLE" : "REPORT"),
             QStringLiteral("%1.%2").arg(stem, QString::fromLatin1(suffix)), text);
}

}  // namespace brimalox
