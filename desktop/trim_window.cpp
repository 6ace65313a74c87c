#include "desktop/trim_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "desktop/check_run.h"
#include "desktop/model_settings.h"
#include "nec/native/runner.h"

namespace brimalox {
namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

nec::TrimNames trimNames() {
    nec::TrimNames names;
    static_cast<nec::SettingNames&>(names) = windowSettingNames();
    names.measuredFile = "MEASURED FILE";
    names.measuredEdges = "SWR 2:1 AT";
    names.measuredDip = "SWR DIPS AT";
    return names;
}

}  // namespace

TrimWindow::TrimWindow(std::function<DesignTexts()> design) : design_(std::move(design)) {
    setObjectName(QStringLiteral("trim"));
    setWindowTitle(QStringLiteral("TRIM"));
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

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
    auto* edges = new QHBoxLayout;
    low_ = settingBox(this, "low", "SWR 2:1 AT", "MHz");
    high_ = settingBox(this, "high", "AND AT", "MHz");
    edges->addWidget(low_);
    edges->addWidget(new QLabel(QStringLiteral("AND AT (MHZ)"), this));
    edges->addWidget(high_);
    form->addRow(QStringLiteral("SWR 2:1 AT (MHZ)"), edges);
    dip_ = settingBox(this, "dip", "SWR DIPS AT", "MHz (the edges or a file are better: the dip is flat)");
    form->addRow(QStringLiteral("SWR DIPS AT (MHZ)"), dip_);
    auto* file = new QHBoxLayout;
    fileName_ = new QLabel(QStringLiteral("none"), this);
    fileName_->setObjectName(QStringLiteral("measuredName"));
    auto* open = new QPushButton(QStringLiteral("&OPEN..."), this);
    file->addWidget(fileName_, 1);
    file->addWidget(open);
    form->addRow(QStringLiteral("MEASURED (.S1P)"), file);
    model_ = new ModelSettings(this);
    form->addRow(model_);
    connect(open, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("OPEN A MEASURED FILE"), QString(),
                                                          QStringLiteral("Touchstone (*.s1p *.S1P);;All files (*)"));
        if (!path.isEmpty() && openMeasured(path)) byFile_->setChecked(true);
    });

    auto* buttons = new QHBoxLayout;
    trim_button_ = new QPushButton(QStringLiteral("&TRIM"), this);
    trim_button_->setObjectName(QStringLiteral("run"));
    cancel_ = new QPushButton(QStringLiteral("&CANCEL"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setEnabled(false);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    buttons->addWidget(trim_button_);
    buttons->addWidget(cancel_);
    buttons->addWidget(progress_, 1);
    layout->addLayout(buttons);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("report"));
    report_->setAccessibleName(QStringLiteral("REPORT"));
    report_->setReadOnly(true);
    report_->setLineWrapMode(QPlainTextEdit::NoWrap);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(report_, 1);
    fitOnScreen(this, QSize(760, 640));

    connect(trim_button_, &QPushButton::clicked, this, [this] { trim(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });
}

TrimWindow::~TrimWindow() = default;

void TrimWindow::present() { bringToFront(this); }

QString TrimWindow::reportText() const { return report_->toPlainText(); }
QString TrimWindow::status() const { return status_->text(); }
void TrimWindow::setStatus(const QString& text) { status_->setText(text); }

bool TrimWindow::openMeasured(const QString& path) {
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    try {
        if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
        measured_ = nec::Measured{name.toStdString(), nec::readTouchstone(file.readAll().toStdString())};
    } catch (const std::exception& e) {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                    QStringLiteral("The measured file %1 was not opened: %2").arg(name, qs(e.what())),
                                    QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("measuredFailure"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return false;
    }
    fileName_->setText(name);
    return true;
}

void TrimWindow::trim() {
    if (run_) return;
    if (EngineRun::anyRunning()) {
        setStatus(QString::fromLatin1(kAnotherRunGoing));
        return;
    }
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
        nec::prepare(request.check);  // the design and the settings, refused before any run
    } catch (const std::exception& e) {
        setStatus(QStringLiteral("The trim cannot run: %1").arg(qs(e.what())));
        return;
    }
    progress_->setRange(0, 0);
    trim_button_->setEnabled(false);
    cancel_->setEnabled(true);
    setStatus(QStringLiteral("Running the model of the design and of the trimmed design..."));
    run_ = startRun<nec::Trim>(this, &TrimWindow::finished, [request = std::move(request)] {
        nec::Nec2cProgram engine;
        return nec::trim(request, engine);
    });
}

void TrimWindow::cancel() {
    if (run_) run_->cancel();
}

void TrimWindow::finished(const RunEnd& end, std::optional<nec::Trim> result) {
    if (!run_) return;
    run_->finish();
    run_.reset();
    trim_button_->setEnabled(true);
    cancel_->setEnabled(false);
    progress_->setRange(0, 1);
    progress_->setValue(result ? 1 : 0);
    if (end.signal != 0) nec::endBySignal(end.signal);  // asked from outside to stop: end as asked
    if (end.cancelled) {
        setStatus(QStringLiteral("Cancelled: nec2c was stopped; what was shown before stays."));
        return;
    }
    if (!result) {
        setStatus(QStringLiteral("The trim failed: %1").arg(qs(end.failure)));
        return;
    }
    report_->setPlainText(qs(nec::trimReport(*result, nec::ReportFormat::Text)));
    setStatus(QStringLiteral("Done."));
}

void TrimWindow::closeEvent(QCloseEvent* event) {
    if (run_) {
        run_.reset();  // nec2c ended and its folder removed before the window goes
        trim_button_->setEnabled(true);
        cancel_->setEnabled(false);
        progress_->setRange(0, 1);
        setStatus(QStringLiteral("Cancelled when the window closed: nec2c was stopped."));
    }
    event->accept();
}

}  // namespace brimalox
