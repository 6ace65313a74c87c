#pragma once
// A chart of the model windows: an SVG drawn at its own proportions, on its own white ground.
// Qt's SVG renderer takes the charts' background, a rect of width and height "100%", as 100 by
// 100 user units, which left a white square in the corner and the rest of the chart unpainted.

#include <QtSvgWidgets/QSvgWidget>
#include <string>

namespace brimalox {

class ChartView : public QSvgWidget {
public:
    ChartView(QWidget* parent, const char* name, const QString& label);
    void setChart(const std::string& svg);
    // Where the chart is drawn: its view box, as large as fits, centred.
    QRectF chartRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace brimalox
