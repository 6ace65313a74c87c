#include "desktop/analyser_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "desktop/chart_view.h"
#include "desktop/design_file.h"
#include "desktop/kept_settings.h"
#include "desktop/model_settings.h"
#include "desktop/report_view.h"
#include "desktop/serial_link.h"
#include "desktop/text_boxes.h"
#include "nec/native/runner.h"
#include "nec/report/report.h"
#include "vna/model/sweep_plan.h"

namespace brimalox {
namespace {

// Between two sweeps of SWEEP CONTINUOUSLY: time to read the answer, and to cut.
constexpr int kBetweenSweepsMs = 2000;

// The time comment of the file, as brimalox-cli measure writes it.
std::string now() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'")).toStdString();
}

}  // namespace

AnalyserWindow::AnalyserWindow(std::function<DesignTexts()> design, std::function<void(const nec::Measured&)> useInTrim)
    : ModelWindow("analyser", QStringLiteral("MEASURE WITH THE ANALYSER")),
      design_(std::move(design)),
      useInTrim_(std::move(useInTrim)) {
    auto* layout = new QVBoxLayout(this);
    auto* settings = new QWidget(this);
    auto* form = new QFormLayout(settings);
    form->setContentsMargins(0, 0, 0, 0);

    auto* portRow = new QHBoxLayout;
    port_ = new QComboBox(settings);
    port_->setObjectName(QStringLiteral("port"));
    port_->setAccessibleName(QStringLiteral("PORT"));
    port_->setEditable(true);  // a port the list does not show may be typed
    port_->setInsertPolicy(QComboBox::NoInsert);
    port_->lineEdit()->setPlaceholderText(QStringLiteral("such as /dev/ttyACM0"));
    auto* refresh = new QPushButton(QStringLiteral("&LIST PORTS"), settings);
    refresh->setObjectName(QStringLiteral("listPorts"));
    portRow->addWidget(port_, 1);
    portRow->addWidget(refresh);
    auto* portLabel = new QLabel(QStringLiteral("&PORT"), settings);
    portLabel->setBuddy(port_);  // Alt+P
    form->addRow(portLabel, portRow);
    auto* calibrated = new QLabel(
        QStringLiteral("The analyser must be calibrated (open, short, load) at the plane it measures: at the rig, or "
                       "at the junction with FEED SYSTEM set to match."),
        settings);
    calibrated->setWordWrap(true);
    form->addRow(calibrated);
    model_ = new ModelSettings(settings);
    form->addRow(model_);
    layout->addWidget(settingsArea(settings));

    auto* buttons = runRow(this, QStringLiteral("SWEEP &ONCE"), "sweepOnce");
    cancel_button_->setText(QStringLiteral("S&TOP"));
    cancel_button_->setObjectName(QStringLiteral("stop"));
    continuous_button_ = new QPushButton(QStringLiteral("SWEEP CO&NTINUOUSLY"), this);
    continuous_button_->setObjectName(QStringLiteral("sweepContinuously"));
    buttons->insertWidget(1, continuous_button_);
    use_button_ = new QPushButton(QStringLiteral("&USE IN TRIM"), this);
    use_button_->setObjectName(QStringLiteral("useInTrim"));
    use_button_->setEnabled(false);
    save_button_ = new QPushButton(QStringLiteral("SAVE AS .S&1P..."), this);
    save_button_->setObjectName(QStringLiteral("saveSweep"));
    save_button_->setEnabled(false);
    buttons->addWidget(use_button_);
    buttons->addWidget(save_button_);
    progress_->setAccessibleName(QStringLiteral("sweeping"));
    layout->addLayout(buttons);
    layout->addWidget(statusLine(this));

    answer_ = new QLabel(QStringLiteral("No sweep yet."), this);
    answer_->setObjectName(QStringLiteral("answer"));
    answer_->setAccessibleName(QStringLiteral("TRIM"));
    answer_->setWordWrap(true);
    answer_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    answer_->setFocusPolicy(Qt::TabFocus);  // read by Tab, as the report is
    QFont bold = answer_->font();
    bold.setBold(true);
    answer_->setFont(bold);
    layout->addWidget(answer_);
    auto* charts = new QHBoxLayout;
    swr_ = new ChartView(this, "swrChart", QStringLiteral("SWR CHART"));
    smith_ = new ChartView(this, "smithChart", QStringLiteral("SMITH CHART"));
    charts->addWidget(swr_, 3);
    charts->addWidget(smith_, 2);
    layout->addLayout(charts, 1);
    reportBox(this)->hide();  // the window's answer is its one line; the report box stays for the shared code
    fitOnScreen(QSize(1000, 720));

    connect(refresh, &QPushButton::clicked, this, [this] { listPorts(); });
    connect(run_button_, &QPushButton::clicked, this, [this] { sweepOnce(); });
    connect(continuous_button_, &QPushButton::clicked, this, [this] { sweepContinuously(); });
    // CANCEL's own handler stops the run; STOP also ends the sweeps to come.
    connect(cancel_button_, &QPushButton::clicked, this, [this] { stop(); });
    connect(use_button_, &QPushButton::clicked, this, [this] {
        if (sweep_ && useInTrim_) useInTrim_(vna::measuredOf(*sweep_, sweptPort_));
    });
    connect(save_button_, &QPushButton::clicked, this, [this] {
        if (!sweep_) return;
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("SAVE THE SWEEP"),
            QDir(keptFolder("saveFolder")).filePath(designFileStem(design_()) + QStringLiteral("-measured.s1p")),
            QStringLiteral("Touchstone (*.s1p *.S1P);;All files (*)"));
        if (!path.isEmpty() && saveSweep(path)) keepFolderOf("saveFolder", path);
    });
    listPorts();
}

AnalyserWindow::~AnalyserWindow() = default;

QString AnalyserWindow::answer() const { return answer_->text(); }

void AnalyserWindow::listPorts() {
    const QString typed = port_->currentText();
    port_->clear();
    for (const OfferedPort& offered : offeredPorts())
        port_->addItem(offered.label, offered.port);
    const int at = std::max(port_->findText(typed), port_->findData(typed));
    if (at >= 0)
        port_->setCurrentIndex(at);
    else if (!typed.isEmpty() || port_->count() == 0)
        port_->setEditText(typed);
}

void AnalyserWindow::sweepOnce() {
    continuous_ = false;
    begin();
}

void AnalyserWindow::sweepContinuously() {
    continuous_ = true;
    begin();
}

void AnalyserWindow::stop() {
    const bool waiting = continuous_ && !running();
    continuous_ = false;
    cancel();
    if (waiting) {  // between two sweeps: nothing runs, the next one is not started
        cancel_button_->setEnabled(false);
        continuous_button_->setEnabled(true);
        setStatus(QStringLiteral("Stopped; the last sweep stays."));
    }
}

void AnalyserWindow::begin() {
    if (!mayStart()) {
        continuous_ = false;
        return;
    }
    // The port as typed, or the listed one's location behind its label.
    const int listed = port_->findText(port_->currentText());
    const QString port = (listed >= 0 ? port_->itemData(listed).toString() : port_->currentText()).trimmed();
    nec::TrimRequest request;
    static_cast<nec::SettingNames&>(request.names) = windowSettingNames();
    request.check.shown = design_();
    request.check.names = request.names;
    model_->fill(request.check.settings);
    vna::SweepPlan plan;
    try {  // the settings are refused before the port is opened
        plan = vna::sweepPlan(request.check, {});
        if (port.isEmpty()) throw nec::Refused("PORT: choose the analyser's port, or type it");
    } catch (const std::exception& e) {
        continuous_ = false;
        setStatus(QStringLiteral("The sweep cannot start: %1").arg(qstr(e.what())));
        return;
    }
    continuous_button_->setEnabled(false);
    progress_->setRange(0, 0);
    const std::string name = port.toStdString();
    start<Swept>(
        this, &AnalyserWindow::finished,
        QStringLiteral("Sweeping %1 to %2 MHz in %3 points on %4...")
            .arg(plan.startHz / 1e6)
            .arg(plan.stopHz / 1e6)
            .arg(plan.points)
            .arg(port),
        [plan, name, request = std::move(request)](const nec::RunOptions& engine) mutable {
            Swept swept;
            swept.port = name;
            try {
                swept.sweep = sweepPort(QString::fromStdString(name), plan, engine.cancel);
            } catch (const std::exception& e) {
                swept.failure = name + ": " + e.what();
                return swept;
            }
            // The sweep is the measured file of the check (its trace on the charts) and of the trim.
            const nec::Measured measured = vna::measuredOf(*swept.sweep, name);
            request.measured.file = measured;
            nec::Request check = request.check;
            check.measured = measured;
            nec::Nec2cProgram program(engine);
            try {
                swept.check = nec::simulate(check, program);
                swept.answer = nec::trimAnswer(nec::trim(request, program));
            } catch (const nec::TrimWithheld& e) {  // the builder may be changing the feed: said, and swept again
                swept.answer = e.what();
            } catch (const nec::Interrupted&) {
                throw;
            } catch (const std::exception& e) {
                swept.modelFailure = e.what();
            }
            return swept;
        });
}

void AnalyserWindow::finished(const RunEnd& end, std::optional<Swept> result) {
    if (!endRun(end)) return;
    progress_->setRange(0, 1);
    progress_->reset();
    continuous_button_->setEnabled(true);
    const bool stopped = end.cancelled;
    if (stopped || !result) {
        continuous_ = false;
        setStatus(stopped ? QStringLiteral("Stopped; the last sweep stays.")
                          : QStringLiteral("The model failed: %1").arg(qstr(end.failure)));
        return;
    }
    if (!result->failure.empty()) {
        // The port or the analyser failed: what was shown stays, and no sweep follows on its own.
        continuous_ = false;
        // The failure's words end a sentence of their own ("is an analyser there?"), or are given a full stop.
        QString said = qstr(result->failure);
        if (!said.endsWith(QLatin1Char('?')) && !said.endsWith(QLatin1Char('.'))) said += QLatin1Char('.');
        setStatus(QStringLiteral("The sweep failed: %1 The last sweep stays.").arg(said));
        return;
    }
    sweep_ = std::move(result->sweep);
    sweptPort_ = result->port;
    use_button_->setEnabled(true);
    save_button_->setEnabled(true);
    const QString swept = QStringLiteral("Swept %1 points from %2 on %3, calibrated at the plane it measured")
                              .arg(sweep_->hz.size())
                              .arg(qstr(sweep_->analyser), qstr(sweptPort_));
    if (!result->modelFailure.empty()) {
        setStatus(QStringLiteral("%1; the model failed: %2").arg(swept, qstr(result->modelFailure)));
        answer_->setText(QStringLiteral("No trim: the model failed."));
    } else {
        setStatus(
            swept +
            QStringLiteral(" (%1 UTC).").arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("HH:mm:ss"))));
        answer_->setText(qstr(result->answer));
        swr_->setChart(nec::swrChart(*result->check));
        smith_->setChart(nec::smithChart(*result->check));
    }
    if (continuous_) {
        cancel_button_->setEnabled(true);  // STOP, while the next sweep waits
        continuous_button_->setEnabled(false);
        QTimer::singleShot(kBetweenSweepsMs, this, [this] {
            if (continuous_ && !running() && isVisible()) begin();
        });
    }
}

bool AnalyserWindow::saveSweep(const QString& path) {
    if (!sweep_) return false;
    const std::string text = vna::touchstoneText(*sweep_, now());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit()) {
        setStatus(QStringLiteral("Not saved: %1: %2").arg(path, file.errorString()));
        return false;
    }
    setStatus(QStringLiteral("Saved %1.").arg(path));
    return true;
}

}  // namespace brimalox
