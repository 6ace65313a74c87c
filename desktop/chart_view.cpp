#include "desktop/chart_view.h"

#include <QPainter>
#include <QSvgRenderer>

namespace brimalox {

ChartView::ChartView(QWidget* parent, const char* name, const QString& label) : QSvgWidget(parent) {
    setObjectName(QString::fromLatin1(name));
    setAccessibleName(label);
}

void ChartView::setChart(const std::string& svg) {
    load(QByteArray::fromStdString(svg));
    update();
}

QRectF ChartView::chartRect() const {
    const QSizeF box = renderer()->viewBoxF().size();
    if (box.isEmpty()) return {};
    const QSizeF fitted = box.scaled(size(), Qt::KeepAspectRatio);
    return {QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted};
}

void ChartView::paintEvent(QPaintEvent*) {
    if (!renderer()->isValid()) return;
    const QRectF where = chartRect();
    QPainter painter(this);
    painter.fillRect(where, Qt::white);
    renderer()->render(&painter, where);
}

}  // namespace brimalox
