#pragma once
// COVER BANDS: the search for the design that covers given bands best, as brimalox-cli cover makes
// it, in a window of its own: the bands, the form, the SWR allowed, the conductors, the feed line and
// ground; SEARCH and CANCEL; the runs done and the best so far; the report word for word, the
// winner's SWR over the bands; USE THIS DESIGN, which does in the main window what the report
// says to type and click; and SAVE, the report as brimalox-cli cover writes it (text, CSV or JSON).

#include <functional>
#include <memory>
#include <optional>

#include "app/road.h"
#include "desktop/model_window.h"
#include "nec/nec.h"
#include "nec/report/report.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace brimalox {

class ChartView;
class ModelSettings;

class CoverWindow : public ModelWindow {
public:
    // use: types a design into the main window and clicks through it.
    explicit CoverWindow(std::function<void(const DesignRequest&)> use);
    ~CoverWindow() override;

    void search();
    void useWinner();
    // Asks where, then writes the search's report in the format (what `cover --format` prints).
    void save(nec::ReportFormat format);

    const std::optional<nec::CoverResult>& result() const { return result_; }

private:
    void finished(const RunEnd& end, std::optional<nec::CoverResult> result);

    std::function<void(const DesignRequest&)> use_;
    std::optional<nec::CoverResult> result_;

    std::vector<QCheckBox*> bandBoxes_;
    QLineEdit *bands_ = nullptr, *maxSwr_ = nullptr, *conductors_ = nullptr;
    QComboBox* sides_ = nullptr;
    ModelSettings* model_ = nullptr;
    QPushButton *use_button_ = nullptr, *save_button_ = nullptr;
    ChartView* chart_ = nullptr;
};

}  // namespace brimalox
