#include "desktop/check_window.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "desktop/chart_view.h"
#include "desktop/design_file.h"
#include "desktop/model_settings.h"
#include "desktop/report_view.h"
#include "desktop/text_boxes.h"
#include "nec/native/side_by_side.h"
#include "nec/report/check_outputs.h"
#include "nec/report/report.h"

namespace brimalox {
namespace {

// Ctrl+Tab and Ctrl+Shift+Tab to the next and the previous cell, row after row: Tab itself leaves
// the table, as from any other control.
class CellsByCtrlTab : public QObject {
public:
    explicit CellsByCtrlTab(QTableWidget* table) : QObject(table), table_(table) { table->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != table_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool forward = key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier;
        const bool back =
            key->key() == Qt::Key_Backtab && key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        const int cells = table_->rowCount() * table_->columnCount();
        if ((!forward && !back) || cells == 0) return false;
        const int at = std::max(0, table_->currentRow()) * table_->columnCount() + std::max(0, table_->currentColumn());
        const int next = (at + (forward ? 1 : cells - 1)) % cells;
        table_->setCurrentCell(next / table_->columnCount(), next % table_->columnCount());
        return true;
    }

private:
    QTableWidget* table_;
};

// The sweep table's widest rows: a FOUR SIDED check through a feed system (four gaps, the line SWR,
// the junction, the rig), 172 characters as simulate prints them, 120 with their padding taken in.
constexpr int kWidestRowColumns = 122;

}  // namespace

CheckWindow::CheckWindow(std::function<DesignTexts()> design)
    : ModelWindow("check", QStringLiteral("CHECK THE DESIGN")), design_(std::move(design)) {
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settingsArea(buildSettings()));
    layout->addLayout(buildRunRow());
    layout->addWidget(statusLine(this));
    layout->addWidget(buildResults(), 1);
    // Wide enough for a sweep's rows, SWR and rig columns and all.
    fitOnScreen(QSize(std::max(820, widthForColumns(kWidestRowColumns)), 760));
}

CheckWindow::~CheckWindow() = default;

QWidget* CheckWindow::buildSettings() {
    auto* box = new QWidget(this);
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    model_ = new ModelSettings(box);
    form->addRow(model_);

    // The sweep in one row, each box after its caption; the pattern's settings a row each.
    std::vector<std::pair<QString, QLineEdit*>> sweep;
    for (const nec::SettingField& field : nec::kSettingFields) {
        if (field.group == nec::SettingGroup::Sweep) sweep.push_back({qstr(field.windowLabel), settingBox(box, field)});
        if (field.group != nec::SettingGroup::Pattern) continue;
        QLineEdit* setting = settingBox(box, field);
        if (field.kind == nec::SettingKind::List)
            patternAt_ = setting;  // split into its frequencies
        else
            typed_.push_back(setting);
        form->addRow(qstr(field.windowLabel), setting);
    }
    for (const auto& [caption, setting] : sweep)
        typed_.push_back(setting);
    form->insertRow(1, sweep.front().first, settingsInRow(box, sweep.front().second, {sweep.begin() + 1, sweep.end()}));

    auto* measured = measuredRow(box, QStringLiteral("none (open one, or drop it on this window)"));
    auto* clear = new QPushButton(QStringLiteral("C&LEAR"), box);
    measured->addWidget(clear);
    form->addRow(QStringLiteral("MEASURED (.S1P)"), measured);
    connect(clear, &QPushButton::clicked, this, [this] {
        measured_.reset();
        measuredName_->setText(QStringLiteral("none"));
    });
    return box;
}

QHBoxLayout* CheckWindow::buildRunRow() {
    auto* buttons = runRow(this, QStringLiteral("&RUN"), "run");
    save_button_ = new QPushButton(QStringLiteral("&SAVE"), this);
    save_button_->setObjectName(QStringLiteral("save"));
    save_button_->setEnabled(false);
    auto* saves = new QMenu(save_button_);
    for (const nec::CheckOutput& file : nec::kCheckOutputs)
        saveActions_.push_back(
            saves->addAction(QStringLiteral("%1 (.%2)...").arg(qstr(file.windowLabel), qstr(file.suffix)), this,
                             [this, &file] { save(file); }));
    save_button_->setMenu(saves);
    progress_->setAccessibleName(QStringLiteral("frequencies done"));
    progress_->setFormat(QStringLiteral("%v of %m frequencies"));
    progress_->setTextVisible(true);
    buttons->addWidget(save_button_);
    connect(run_button_, &QPushButton::clicked, this, [this] { run(); });
    return buttons;
}

QWidget* CheckWindow::buildResults() {
    tabs_ = new QTabWidget(this);
    tabs_->addTab(reportBox(tabs_), QStringLiteral("REPORT"));
    swr_ = new ChartView(tabs_, "swrChart", QStringLiteral("SWR CHART"));
    tabs_->addTab(swr_, QStringLiteral("SWR"));
    pattern_ = new ChartView(tabs_, "patternChart", QStringLiteral("PATTERN CHART"));
    tabs_->addTab(pattern_, QStringLiteral("PATTERN"));
    heightsChart_ = new ChartView(tabs_, "heightsChart", QStringLiteral("HEIGHTS CHART"));
    tabs_->addTab(heightsChart_, QStringLiteral("HEIGHTS"));
    table_ = new QTableWidget(tabs_);
    table_->setObjectName(QStringLiteral("sweepTable"));
    table_->setAccessibleName(QStringLiteral("SWEEP"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->setTabKeyNavigation(false);  // Tab leaves the table; the arrow keys and Ctrl+Tab move in it
    new CellsByCtrlTab(table_);
    tabs_->addTab(table_, QStringLiteral("SWEEP"));
    return tabs_;
}

QComboBox* CheckWindow::groundBox() const { return model_->groundBox(); }
QLineEdit* CheckWindow::setting(const char* name) const { return findChild<QLineEdit*>(QString::fromLatin1(name)); }

void CheckWindow::run() {
    if (!mayStart()) return;
    nec::Request request;
    request.shown = design_();
    request.names = windowSettingNames();
    nec::Settings& s = request.settings;
    model_->fill(s);
    for (QLineEdit* box : typed_)
        *nec::settingText(s, *nec::settingField(box->objectName().toStdString())) = box->text().toStdString();
    for (const QString& mhz :
         patternAt_->text().split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts))
        s.patternAt.push_back(mhz.toStdString());
    request.measured = measured_;

    // The settings are read before nec2c starts, so a refusal costs no run and changes nothing shown.
    nec::Prepared prepared;
    try {
        prepared = nec::prepare(request);
    } catch (const std::invalid_argument& e) {
        setStatus(QStringLiteral("The check cannot run with these settings: %1").arg(qstr(e.what())));
        return;
    } catch (const std::exception& e) {
        setStatus(QStringLiteral("The design cannot be modelled: %1").arg(qstr(e.what())));
        return;
    }
    progress_->reset();  // no count until the run tells how many frequencies it asks for
    QPointer<CheckWindow> self(this);
    const nec::CheckProgress progress = [self](int done, int total) {
        QMetaObject::invokeMethod(
            self,
            [self, done, total] {
                if (!self || !self->run_) return;
                self->progress_->setRange(0, total);
                self->progress_->setValue(done);
            },
            Qt::QueuedConnection);
    };
    start<nec::Result>(this, &CheckWindow::finished, QStringLiteral("Running nec2c..."),
                       [prepared = std::move(prepared), progress](const nec::RunOptions& engine) {
                           const nec::EngineMaker engines = [engine] {
                               return std::make_unique<nec::Nec2cProgram>(engine);
                           };
                           return nec::runSideBySide(prepared, engines, nec::coreCount(), progress);
                       });
}

void CheckWindow::finished(RunEnd outcome, std::optional<nec::Result> result) {
    if (!endRun(outcome)) return;
    if (outcome.cancelled) {
        progress_->reset();
        setStatus(QString::fromLatin1(kCancelledKeeping));
        return;
    }
    if (!result) {
        setStatus(QStringLiteral("The check failed: %1").arg(qstr(outcome.failure)));
        return;
    }
    result_ = std::move(result);
    showResult(*result_);
}

void CheckWindow::showResult(const nec::Result& r) {
    report_->setReport(qstr(nec::report(r, nec::ReportFormat::Text)));
    QStringList said;
    for (const std::string& warning : r.warnings)
        said << QStringLiteral("Warning: %1").arg(qstr(warning));
    if (!r.analysis.failures.empty())
        said << QStringLiteral("The model failed: %1").arg(qstr(r.analysis.failures.front()));
    setStatus(said.isEmpty() ? QStringLiteral("Done.") : said.join('\n'));

    // A model that gave no result at any frequency has no sweep to draw or tabulate.
    const bool swept = !r.analysis.rows.empty();
    if (swept) swr_->setChart(nec::swrChart(r));
    tabs_->setTabEnabled(tabs_->indexOf(swr_), swept);
    if (!r.analysis.patterns.empty()) pattern_->setChart(nec::patternChart(r));
    tabs_->setTabEnabled(tabs_->indexOf(pattern_), !r.analysis.patterns.empty());
    const std::string heights = nec::heightsChart(r);
    if (!heights.empty()) heightsChart_->setChart(heights);
    tabs_->setTabEnabled(tabs_->indexOf(heightsChart_), !heights.empty());

    // The sweep's table as simulate --format csv writes it without a height sweep.
    const QStringList lines = swept ? qstr(nec::formatReport(r.analysis, r.design, nec::ReportFormat::Csv))
                                          .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                                    : QStringList();
    table_->clear();
    table_->setRowCount(lines.isEmpty() ? 0 : static_cast<int>(lines.size()) - 1);
    table_->setColumnCount(lines.isEmpty() ? 0 : static_cast<int>(lines.front().split(',').size()));
    if (!lines.isEmpty()) table_->setHorizontalHeaderLabels(lines.front().split(','));
    for (int row = 1; row < lines.size(); ++row) {
        const QStringList cells = lines[row].split(',');
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row - 1, column, item);
        }
    }
    table_->resizeColumnsToContents();
    save_button_->setEnabled(true);
    // A file the check has nothing for is not offered (no height sweep: no heights chart).
    for (std::size_t i = 0; i < nec::kCheckOutputs.size(); ++i) {
        bool has = false;
        try {
            has = !nec::kCheckOutputs[i].text(r).empty();
        } catch (const std::exception&) {  // a model that gave no pattern has no pattern chart
        }
        saveActions_[i]->setEnabled(has);
    }
}

void CheckWindow::save(const nec::CheckOutput& saved) {
    if (!result_) return;
    std::string text;
    try {
        text = saved.text(*result_);
    } catch (const std::exception& e) {  // a model that gave no pattern has no pattern chart
        setStatus(QStringLiteral("Nothing saved: %1").arg(qstr(e.what())));
        return;
    }
    const QString what = qstr(saved.windowLabel);
    const QString suffix = qstr(saved.suffix);
    if (text.empty()) {
        setStatus(QStringLiteral("Nothing saved: this check has no %1 (a height sweep draws the heights chart).")
                      .arg(what.toLower()));
        return;
    }
    saveText(QStringLiteral("SAVE THE ") + what,
             QStringLiteral("%1-%2.%3").arg(designFileStem(result_->design), qstr(saved.name), suffix), text);
}

void CheckWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CheckWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile()) {
        openMeasured(urls.front().toLocalFile());
        event->acceptProposedAction();
    }
}

}  // namespace brimalox
