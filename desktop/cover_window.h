#pragma once
// COVER BANDS: the search for the design that covers given bands best, as brimalox-cli cover makes
// it, in a window of its own: the bands, the form, the SWR allowed, the conductors, the feed line and
// ground; SEARCH and CANCEL; the runs done and the best so far; the report word for word, the
// winner's SWR over the bands; and USE THIS DESIGN, which does in the main window what the report
// says to type and click.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/road.h"
#include "nec/nec.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSvgWidget;

namespace brimalox {

class EngineRun;
class ModelSettings;
struct RunEnd;

class CoverWindow : public QWidget {
public:
    // use: types a design into the main window and clicks through it.
    explicit CoverWindow(std::function<void(const DesignRequest&)> use);
    ~CoverWindow() override;

    void present();
    void search();
    void cancel();
    bool running() const { return run_ != nullptr; }
    void useWinner();

    const std::optional<nec::CoverResult>& result() const { return result_; }
    QString reportText() const;
    QString status() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void finished(const RunEnd& end, std::optional<nec::CoverResult> result);
    void setStatus(const QString& text);

    std::function<void(const DesignRequest&)> use_;
    std::unique_ptr<EngineRun> run_;
    std::optional<nec::CoverResult> result_;

    std::vector<QCheckBox*> bandBoxes_;
    QLineEdit *bands_ = nullptr, *maxSwr_ = nullptr, *conductors_ = nullptr;
    QComboBox* sides_ = nullptr;
    ModelSettings* model_ = nullptr;
    QPushButton *search_ = nullptr, *cancel_ = nullptr, *use_button_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QSvgWidget* chart_ = nullptr;
};

}  // namespace brimalox
