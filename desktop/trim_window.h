#pragma once
// TRIM: what the built antenna measured laid on the model's SWR, and how much to cut from (or add to)
// each piece, as brimalox-cli trim says it, in a window of its own; and the build sheet of the trimmed
// design. The design is the one the main window shows when TRIM is clicked.

#include <functional>
#include <optional>

#include "app/road.h"
#include "desktop/model_window.h"
#include "nec/nec.h"
#include "sheet/build_sheet.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace brimalox {

class ModelSettings;

class TrimWindow : public ModelWindow {
public:
    explicit TrimWindow(std::function<DesignTexts()> design);
    ~TrimWindow() override;

    void trim();
    // Takes an analyser's sweep as its measured file, chosen as the measurement.
    void useMeasured(const nec::Measured& measured);
    // The build sheet of the last trim's design, in a print preview.
    void openTrimmedSheet();
    const std::optional<nec::Trim>& result() const { return result_; }
    // The model check of the trimmed design, for its sheet (none when it failed).
    const std::optional<sheet::ModelFigures>& trimmedCheck() const { return trimmedCheck_; }

    // A trim and the model check of the design it gives.
    struct TrimRun {
        nec::Trim trim;
        std::optional<sheet::ModelFigures> check;
    };

private:
    void finished(const RunEnd& end, std::optional<TrimRun> result);

    std::function<DesignTexts()> design_;
    std::optional<nec::Trim> result_;
    std::optional<sheet::ModelFigures> trimmedCheck_;

    QRadioButton *byEdges_ = nullptr, *byDip_ = nullptr, *byFile_ = nullptr;
    QLineEdit *low_ = nullptr, *high_ = nullptr, *dip_ = nullptr, *builtSide_ = nullptr, *builtHeight_ = nullptr;
    ModelSettings* model_ = nullptr;
    QPushButton* sheet_button_ = nullptr;
};

}  // namespace brimalox
