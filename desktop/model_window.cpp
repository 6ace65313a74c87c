#include "desktop/model_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <exception>
#include <utility>

#include "desktop/kept_settings.h"
#include "desktop/keys.h"
#include "desktop/report_view.h"
#include "desktop/text_boxes.h"
#include "nec/error.h"

namespace brimalox {
namespace {

// Asks for the whole height of what it holds, and gives it up down to a few lines.
class SettingsArea : public QScrollArea {
public:
    explicit SettingsArea(QWidget* parent) : QScrollArea(parent) {}
    QSize sizeHint() const override {
        const QSize inside = widget() ? widget()->sizeHint() : QSize();
        return {inside.width() + verticalScrollBar()->sizeHint().width(), inside.height()};
    }
    QSize minimumSizeHint() const override {
        const int width = widget() ? widget()->minimumSizeHint().width() : 0;
        return {width + verticalScrollBar()->sizeHint().width(), 4 * fontMetrics().height()};
    }

protected:
    // The window's layout asks again once what is inside changes its size (FEED SYSTEM ticked).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

}  // namespace

std::atomic<int> EngineRun::running_{0};

EngineRun::EngineRun(nec::RunOptions engine, std::function<void(const nec::RunOptions&)> job,
                     std::function<void(RunEnd)> done)
    : engine_(std::move(engine)), job_(std::move(job)), done_(std::move(done)) {
    engine_.cancel = cancel_;
    ++running_;
    thread_ = std::thread([this] { work(); });
}

bool EngineRun::anyRunning() { return running_ > 0; }

EngineRun::~EngineRun() {
    cancel();
    finish();
}

void EngineRun::finish() {
    if (thread_.joinable()) thread_.join();
}

void EngineRun::work() {
    RunEnd end;
    int interrupted = 0;
    {
        // A signal from outside stops the run, between two of its engine runs too, and is passed on.
        const nec::StopSignals guard;
        try {
            job_(engine_);
        } catch (const nec::Interrupted& e) {
            end.failure = e.what();
            interrupted = e.signal();
        } catch (const std::exception& e) {  // the engine's failures, and out of memory: said, never a crash
            end.failure = e.what();
        }
        // A job that ends early on a stop without throwing (the band search) was stopped all the same.
        if (interrupted == 0) interrupted = nec::StopSignals::caught();
    }
    end.cancelled = cancel_->load();
    if (!end.cancelled) end.signal = interrupted;
    --running_;
    done_(std::move(end));
}

ModelWindow::ModelWindow(const char* name, const QString& title) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(title);
    setAttribute(Qt::WA_QuitOnClose, false);  // the main window's closing ends the program
}

ModelWindow::~ModelWindow() = default;

void ModelWindow::present() {
    if (!prepared_) {  // every control is made by now
        keyboardButtons(this);
        restoreWindow(*this);
    }
    prepared_ = true;
    const bool missing = engine_.program.find('/') == std::string::npos &&
                         QStandardPaths::findExecutable(QString::fromStdString(engine_.program)).isEmpty();
    if (!run_ && missing)
        setStatus(QStringLiteral("The model runs the NEC-2 engine nec2c, which is not installed. Install it with "
                                 "\"sudo apt install nec2c\" (Debian package nec2c), then click %1. The rest of "
                                 "the program works without it.")
                      .arg(run_button_->text().remove('&')));
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void ModelWindow::cancel() {
    if (run_) run_->cancel();
}

QString ModelWindow::reportText() const { return report_->report(); }
QString ModelWindow::status() const { return status_->text(); }
void ModelWindow::setStatus(const QString& text) { status_->setText(text); }

QHBoxLayout* ModelWindow::runRow(QWidget* parent, const QString& runText, const char* runName) {
    auto* row = new QHBoxLayout;
    run_button_ = new QPushButton(runText, parent);
    run_button_->setObjectName(QString::fromLatin1(runName));
    cancel_button_ = new QPushButton(QStringLiteral("&CANCEL"), parent);
    cancel_button_->setObjectName(QStringLiteral("cancel"));
    cancel_button_->setEnabled(false);
    progress_ = new QProgressBar(parent);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 1);
    progress_->reset();
    progress_->setTextVisible(false);
    row->addWidget(run_button_);
    row->addWidget(cancel_button_);
    row->addWidget(progress_, 1);
    connect(cancel_button_, &QPushButton::clicked, this, [this] { cancel(); });
    return row;
}

void ModelWindow::saveText(const QString& title, const QString& name, const std::string& text) {
    const QString path = QFileDialog::getSaveFileName(this, title, QDir(keptFolder("saveFolder")).filePath(name));
    if (path.isEmpty()) return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit()) {
        setStatus(QStringLiteral("Not saved: %1: %2").arg(path, file.errorString()));
        return;
    }
    keepFolderOf("saveFolder", path);
    setStatus(QStringLiteral("Saved %1.").arg(path));
}

QLabel* ModelWindow::statusLine(QWidget* parent) {
    status_ = new QLabel(parent);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return status_;
}

ReportView* ModelWindow::reportBox(QWidget* parent) {
    report_ = new ReportView(parent);
    report_->setObjectName(QStringLiteral("report"));
    report_->setAccessibleName(QStringLiteral("REPORT"));
    report_->setMinimumHeight(12 * report_->fontMetrics().lineSpacing());
    return report_;
}

QScrollArea* ModelWindow::settingsArea(QWidget* settings) {
    auto* area = new SettingsArea(this);
    area->setObjectName(QStringLiteral("settings"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);  // no Tab stop of its own: Tab goes to the settings, scrolling them
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(settings);
    settings->installEventFilter(area);
    return area;
}

void ModelWindow::showReportFrom(const QString& start) {
    const QTextBlock block = report_->document()->find(start).block();
    if (block.isValid()) report_->verticalScrollBar()->setValue(block.firstLineNumber());
}

int ModelWindow::widthForColumns(int columns) const {
    const int text = report_->fontMetrics().horizontalAdvance(QString(columns, QLatin1Char('0')));
    const int margins = 2 * (report_->frameWidth() + static_cast<int>(report_->document()->documentMargin())) +
                        report_->verticalScrollBar()->sizeHint().width();
    const QMargins window = layout() ? layout()->contentsMargins() : QMargins();
    return text + margins + window.left() + window.right() + 8;  // 8: the tab page's own frame
}

void ModelWindow::fitOnScreen(QSize size) {
    if (const QScreen* shown = screen()) size = size.boundedTo(shown->availableSize() * 0.9);
    resize(size);
}

bool ModelWindow::mayStart() {
    if (run_) return false;
    if (!EngineRun::anyRunning()) return true;
    setStatus(QString::fromLatin1(kAnotherRunGoing));
    return false;
}

void ModelWindow::beginRun(const QString& saying) {
    run_button_->setEnabled(false);
    cancel_button_->setEnabled(true);
    setStatus(saying);
}

bool ModelWindow::endRun(const RunEnd& end) {
    if (!run_) return false;
    run_->finish();
    run_.reset();
    run_button_->setEnabled(true);
    cancel_button_->setEnabled(false);
    // Asked from outside to stop while nec2c ran: the run is cleaned up, now end as asked.
    if (end.signal != 0) nec::endBySignal(end.signal);
    return true;
}

bool ModelWindow::openMeasured(const QString& path) {
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    try {
        if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
        measured_ = nec::Measured{name.toStdString(), nec::readTouchstone(file.readAll().toStdString())};
    } catch (const std::exception& e) {
        openMessage(
            this, QMessageBox::Warning, windowTitle(),
            QStringLiteral("The measured file %1 was not opened: %2").arg(name, QString::fromStdString(e.what())),
            "measuredFailure");
        return false;
    }
    measuredName_->setText(name);
    return true;
}

QHBoxLayout* ModelWindow::measuredRow(QWidget* parent, const QString& none, std::function<void()> opened) {
    auto* row = new QHBoxLayout;
    measuredName_ = new QLabel(none, parent);
    measuredName_->setObjectName(QStringLiteral("measuredName"));
    auto* open = new QPushButton(QStringLiteral("&OPEN..."), parent);
    open->setObjectName(QStringLiteral("openMeasured"));
    row->addWidget(measuredName_, 1);
    row->addWidget(open);
    connect(open, &QPushButton::clicked, this, [this, opened = std::move(opened)] {
        const QString path =
            QFileDialog::getOpenFileName(this, QStringLiteral("OPEN A MEASURED FILE"), keptFolder("measuredFolder"),
                                         QStringLiteral("Touchstone (*.s1p *.S1P);;All files (*)"));
        if (path.isEmpty() || !openMeasured(path)) return;
        keepFolderOf("measuredFolder", path);
        if (opened) opened();
    });
    return row;
}

void ModelWindow::setModelMenu(const QList<QAction*>& commands) {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    bar->addMenu(QStringLiteral("&MODEL"))->addActions(commands);
    layout()->setMenuBar(bar);
}

void ModelWindow::closeByKey() {
    if (!run_) {
        close();
        return;
    }
    auto* ask = new QMessageBox(QMessageBox::Question, windowTitle(),
                                QStringLiteral("A model run is going. Cancel it and close the window?"),
                                QMessageBox::Yes | QMessageBox::No, this);
    ask->setObjectName(QStringLiteral("closeWhileRunning"));
    ask->setDefaultButton(QMessageBox::No);
    ask->setAttribute(Qt::WA_DeleteOnClose);
    connect(ask, &QMessageBox::finished, this, [this, ask] {
        if (ask->clickedButton() == ask->button(QMessageBox::Yes)) close();  // the close cancels the run
    });
    ask->open();
}

void ModelWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        closeByKey();
        return;
    }
    // Return reaches the window only when the focused control did not take it: a push button takes
    // it (returnClicks); from a setting it runs, never from the report or the table.
    const QWidget* focus = QApplication::focusWidget();
    const bool setting = focus && focus->window() == this &&
                         (qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QComboBox*>(focus) ||
                          qobject_cast<const QAbstractButton*>(focus) || qobject_cast<const QGroupBox*>(focus));
    if (plain && setting && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (run_button_->isEnabled()) run_button_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ModelWindow::closeEvent(QCloseEvent* event) {
    if (run_) {
        run_.reset();  // nec2c ended and its folder removed before the window goes
        run_button_->setEnabled(true);
        cancel_button_->setEnabled(false);
        progress_->setRange(0, 1);
        progress_->reset();
        setStatus(QStringLiteral("Cancelled when the window closed: nec2c was stopped."));
    }
    keepWindow(*this);
    event->accept();
}

}  // namespace brimalox
