#pragma once
// MEASURE WITH THE ANALYSER: a NanoVNA-class analyser swept over the design's model frequencies, its
// sweep laid over the model's SWR and Smith chart at the plane the feed settings describe, and the
// trim's answer in one line, sweep after sweep; the sweep handed to TRIM or saved as the command
// line's measure saves it. The port is read on the run's thread, so the window answers while the
// analyser sweeps, and STOP ends a sweep within a moment.

#include <functional>
#include <optional>
#include <string>

#include "app/road.h"
#include "desktop/model_window.h"
#include "nec/nec.h"
#include "vna/analyser.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace brimalox {

class ChartView;
class ModelSettings;

class AnalyserWindow : public ModelWindow {
public:
    // design: what the main window shows when a sweep starts; useInTrim: gives TRIM the sweep.
    AnalyserWindow(std::function<DesignTexts()> design, std::function<void(const nec::Measured&)> useInTrim);
    ~AnalyserWindow() override;

    void sweepOnce();
    void sweepContinuously();
    void stop();
    // The ports there are, the analysers first; the one typed is kept.
    void listPorts();
    // Writes the last sweep as brimalox-cli measure writes it; false, and said, when it cannot.
    bool saveSweep(const QString& path);

    QComboBox* portBox() const { return port_; }
    QString answer() const;
    const std::optional<vna::Sweep>& sweep() const { return sweep_; }
    bool continuous() const { return continuous_; }

    // What a sweep gave: the sweep, or why there is none; the model with it, and the trim's answer.
    struct Swept {
        std::string failure;  // the port's or the analyser's, with the port's name; empty on a sweep
        std::optional<vna::Sweep> sweep;
        std::string port;
        std::optional<nec::Result> check;
        std::string modelFailure;
        std::string answer;  // the trim's one line, or why it is withheld
    };

private:
    void begin();
    void finished(const RunEnd& end, std::optional<Swept> result);

    std::function<DesignTexts()> design_;
    std::function<void(const nec::Measured&)> useInTrim_;
    std::optional<vna::Sweep> sweep_;
    std::string sweptPort_;
    bool continuous_ = false;

    ModelSettings* model_ = nullptr;
    QComboBox* port_ = nullptr;
    QPushButton *continuous_button_ = nullptr, *use_button_ = nullptr, *save_button_ = nullptr;
    QLabel* answer_ = nullptr;
    ChartView *swr_ = nullptr, *smith_ = nullptr;
};

}  // namespace brimalox
