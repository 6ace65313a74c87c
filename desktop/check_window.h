#pragma once
// CHECK THE DESIGN: the model check of the design the main window shows, in a window of its own that
// is not modal. The settings as the command line's simulate takes them, RUN and CANCEL, the progress
// of the run, and what simulate gives: its report word for word, its charts drawn from the same SVG,
// the sweep as a table, and its files saved.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/road.h"
#include "nec/native/runner.h"
#include "nec/nec.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSvgWidget;
class QTableWidget;
class QTabWidget;

namespace brimalox {

class EngineRun;
struct SavedFile {
    const char* label;  // "SWR CHART"
    const char* suffix;
    std::string (*text)(const nec::Result&);  // empty when this check has none
};
class ModelSettings;
struct RunEnd;

class CheckWindow : public QWidget {
public:
    // design: what the main window shows at the moment RUN is clicked.
    explicit CheckWindow(std::function<DesignTexts()> design);
    ~CheckWindow() override;

    void present();
    void run();
    void cancel();
    bool running() const { return run_ != nullptr; }
    // Reads a measured Touchstone file; a broken one is named by line and reason and changes nothing.
    bool openMeasured(const QString& path);

    // The last finished check, if any.
    const std::optional<nec::Result>& result() const { return result_; }
    QString reportText() const;
    QString status() const;
    QLineEdit* setting(const char* name) const;
    QComboBox* groundBox() const;

    // The engine's program; nec2c on PATH unless a test says otherwise.
    void setEngine(nec::RunOptions options) { engine_ = std::move(options); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildSettings();
    QWidget* buildResults();
    void finished(RunEnd end, std::optional<nec::Result> result);
    void showResult(const nec::Result& result);
    void clearResults();
    void setStatus(const QString& text);
    void save(const SavedFile& saved);
    void sayEngineMissing();

    std::function<DesignTexts()> design_;
    nec::RunOptions engine_;
    std::unique_ptr<EngineRun> run_;
    std::optional<nec::Result> result_;
    std::optional<nec::Measured> measured_;

    ModelSettings* model_ = nullptr;
    QLineEdit *from_ = nullptr, *to_ = nullptr, *step_ = nullptr, *patternAt_ = nullptr, *heights_ = nullptr;
    QLabel* measuredName_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton *run_button_ = nullptr, *cancel_button_ = nullptr, *save_button_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QSvgWidget *swr_ = nullptr, *pattern_ = nullptr, *heightsChart_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace brimalox
