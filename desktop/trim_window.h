#pragma once
// TRIM: what the built antenna measured laid on the model's SWR, and how much to cut from (or add to)
// each piece, as brimalox-cli trim says it, in a window of its own. The design is the one the main
// window shows when TRIM is clicked.

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "app/road.h"
#include "nec/nec.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace brimalox {

class EngineRun;
class ModelSettings;
struct RunEnd;

class TrimWindow : public QWidget {
public:
    explicit TrimWindow(std::function<DesignTexts()> design);
    ~TrimWindow() override;

    void present();
    void trim();
    void cancel();
    bool running() const { return run_ != nullptr; }
    // Reads the analyser's file to trim by; a broken one is named by line and reason, nothing changes.
    bool openMeasured(const QString& path);

    QString reportText() const;
    QString status() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void finished(const RunEnd& end, std::optional<nec::Trim> result);
    void setStatus(const QString& text);

    std::function<DesignTexts()> design_;
    std::unique_ptr<EngineRun> run_;
    std::optional<nec::Measured> measured_;

    QRadioButton *byEdges_ = nullptr, *byDip_ = nullptr, *byFile_ = nullptr;
    QLineEdit *low_ = nullptr, *high_ = nullptr, *dip_ = nullptr;
    QLabel* fileName_ = nullptr;
    ModelSettings* model_ = nullptr;
    QPushButton *trim_button_ = nullptr, *cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
};

}  // namespace brimalox
