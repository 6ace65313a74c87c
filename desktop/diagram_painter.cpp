#include "desktop/diagram_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "app/layout.h"

namespace brimalox {
namespace {

QPointF point(DiagramPoint p) { return {p.x, p.y}; }

void drawWord(QPainter& painter, QPointF centre, const QString& word) {
    const QFontMetrics metrics = painter.fontMetrics();
    QRectF box(0, 0, metrics.horizontalAdvance(word) + 2, metrics.height());
    box.moveCenter(centre);
    painter.fillRect(box, Qt::white);
    painter.drawText(box, Qt::AlignCenter, word);
}

}  // namespace

QImage drawDiagram(qreal pixelRatio) {
    QImage image(QSize(kDiagramWidth, kDiagramHeight) * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));

    QFont font;
    QStringList faces;
    for (std::string_view face : kFontFaces)
        faces << QString::fromLatin1(face.data(), static_cast<qsizetype>(face.size()));
    font.setFamilies(faces);
    font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);  // crisp black text, like the wires
    font.setPixelSize(static_cast<int>(kDiagramWordPixels));
    painter.setFont(font);

    for (const DiagramPrimitive& p : diagramPrimitives()) {
        if (p.kind == DiagramPrimitive::Kind::Line)
            painter.drawLine(QLineF(point(p.a), point(p.b)));
        else
            drawWord(painter, point(p.a), QString::fromLatin1(p.word.data(), static_cast<qsizetype>(p.word.size())));
    }
    return image;
}

DiagramLabel::DiagramLabel(QWidget* parent) : QLabel(parent) {
    setPixmap(QPixmap::fromImage(drawDiagram(devicePixelRatioF())));
}

void DiagramLabel::paintEvent(QPaintEvent* event) {
    if (pixmap().devicePixelRatio() != devicePixelRatioF())
        setPixmap(QPixmap::fromImage(drawDiagram(devicePixelRatioF())));
    QLabel::paintEvent(event);
}

}  // namespace brimalox
