#pragma once
// CHECK THE DESIGN: the model check of the design the main window shows, in a window of its own that
// is not modal. The settings as the command line's simulate takes them, RUN and CANCEL, the progress
// of the run, and what simulate gives: its report word for word, its charts drawn from the same SVG,
// the sweep as a table, and its files saved.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/road.h"
#include "desktop/model_window.h"
#include "nec/native/runner.h"
#include "nec/nec.h"
#include "nec/report/check_outputs.h"

class QAction;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace brimalox {

class ChartView;
class ModelSettings;

class CheckWindow : public ModelWindow {
public:
    // design: what the main window shows at the moment RUN is clicked.
    explicit CheckWindow(std::function<DesignTexts()> design);
    ~CheckWindow() override;

    void run();

    // The last finished check, if any.
    const std::optional<nec::Result>& result() const { return result_; }
    QLineEdit* setting(const char* name) const;
    QComboBox* groundBox() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildSettings();
    QHBoxLayout* buildRunRow();
    QWidget* buildResults();
    void finished(RunEnd end, std::optional<nec::Result> result);
    void showResult(const nec::Result& result);
    void save(const nec::CheckOutput& saved);

    std::function<DesignTexts()> design_;
    std::optional<nec::Result> result_;

    ModelSettings* model_ = nullptr;
    QLineEdit* patternAt_ = nullptr;
    std::vector<QLineEdit*> typed_;  // the sweep and the height sweep, each as its setting keeps it
    QPushButton* save_button_ = nullptr;
    std::vector<QAction*> saveActions_;  // one for each saved file, off where the check has none
    QTabWidget* tabs_ = nullptr;
    ChartView *swr_ = nullptr, *pattern_ = nullptr, *heightsChart_ = nullptr;
    QTableWidget* table_ = nullptr;
};

}  // namespace brimalox
