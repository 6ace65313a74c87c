#include "app/diagram.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QPointF>
#include <array>
#include <cmath>

namespace brimalox {
namespace {

// Corners of the top triangle; the bottom one is the same, kDrop pixels lower.
constexpr QPoint kBack{76, 5};
constexpr QPoint kRight{115, 25};
constexpr QPoint kFront{57, 38};
constexpr int kDrop = 156;
constexpr int kFeedGap = 8;  // the break in the middle of each vertical wire

QPoint below(QPoint top) { return top + QPoint(0, kDrop); }

// A vertical wire from a top corner to its bottom corner, broken at its middle for the feed point.
void drawEdge(QPainter& painter, QPoint top) {
    const int middle = top.y() + kDrop / 2;
    painter.drawLine(top, QPoint(top.x(), middle - kFeedGap / 2));
    painter.drawLine(QPoint(top.x(), middle + kFeedGap / 2), below(top));
}

void drawTriangle(QPainter& painter, QPoint a, QPoint b, QPoint c) {
    painter.drawLine(a, b);
    painter.drawLine(b, c);
    painter.drawLine(c, a);
}

// An open arrow head with its tip at `tip`, pointing away from `from`.
void drawArrowHead(QPainter& painter, QPointF tip, QPointF from) {
    constexpr double kLength = 5;
    constexpr double kSpread = 0.45;  // radians either side of the shaft
    const QLineF shaft(tip, from);
    const double angle = std::atan2(shaft.dy(), shaft.dx());
    for (double side : {-kSpread, kSpread}) {
        const QPointF end = tip + QPointF(std::cos(angle + side), std::sin(angle + side)) * kLength;
        painter.drawLine(QLineF(tip, end));
    }
}

void drawDimension(QPainter& painter, QPointF a, QPointF b) {
    painter.drawLine(QLineF(a, b));
    drawArrowHead(painter, a, b);
    drawArrowHead(painter, b, a);
}

// The word on a white patch, so it reads across the line it labels.
void drawWord(QPainter& painter, QPointF centre, const QString& word) {
    const QFontMetrics metrics = painter.fontMetrics();
    QRectF box(0, 0, metrics.horizontalAdvance(word) + 2, metrics.height());
    box.moveCenter(centre);
    painter.fillRect(box, Qt::white);
    painter.drawText(box, Qt::AlignCenter, word);
}

void drawHeight(QPainter& painter) {
    constexpr int x = 22;
    const QPoint top = kFront;
    const QPoint bottom = below(kFront);
    painter.drawLine(QPoint(x - 4, top.y()), QPoint(top.x() - 4, top.y()));
    painter.drawLine(QPoint(x - 4, bottom.y()), QPoint(bottom.x() - 4, bottom.y()));
    drawDimension(painter, QPointF(x, top.y()), QPointF(x, bottom.y()));
    drawWord(painter, QPointF(x, (top.y() + bottom.y()) / 2.0), QStringLiteral("HEIGHT"));
}

// Parallel to the front bottom wire, a little below it.
void drawSide(QPainter& painter) {
    const QPointF left = below(kFront);
    const QPointF right = below(kRight);
    const QPointF offset(0, 14);
    painter.drawLine(QLineF(left + QPointF(0, 3), left + offset + QPointF(0, 4)));
    painter.drawLine(QLineF(right + QPointF(0, 3), right + offset + QPointF(0, 4)));
    drawDimension(painter, left + offset, right + offset);
    const QPointF middle = (left + right) / 2 + offset;
    drawWord(painter, middle + QPointF(0, 12), QStringLiteral("SIDE"));
}

// Two short lines from the word to the feed gap of the right-hand wire.
void drawGap(QPainter& painter) {
    const QPoint gap(kRight.x(), kRight.y() + kDrop / 2);
    const QPointF word(147, gap.y());
    drawWord(painter, word, QStringLiteral("GAP"));
    painter.drawLine(QLineF(QPointF(word.x() - 12, gap.y() - 7), QPointF(gap.x() + 3, gap.y() - 2)));
    painter.drawLine(QLineF(QPointF(word.x() - 12, gap.y() + 7), QPointF(gap.x() + 3, gap.y() + 2)));
}

}  // namespace

QImage drawDiagram() {
    QImage image(kDiagramWidth, kDiagramHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));

    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);  // crisp black text, like the wires
    font.setPixelSize(9);
    painter.setFont(font);

    drawTriangle(painter, kBack, kRight, kFront);
    drawTriangle(painter, below(kBack), below(kRight), below(kFront));
    for (QPoint corner : {kBack, kRight, kFront}) drawEdge(painter, corner);
    drawHeight(painter);
    drawSide(painter);
    drawGap(painter);
    return image;
}

}  // namespace brimalox
