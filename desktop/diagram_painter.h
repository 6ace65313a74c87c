#pragma once
// The antenna diagram painted with Qt from the core's primitives.

#include <QImage>
#include <QLabel>

#include "app/diagram.h"

namespace brimalox {

// The diagram at its logical size of 170 x 233, in pixelRatio device pixels to each logical pixel.
QImage drawDiagram(qreal pixelRatio = 1);

// The picture box's contents: the diagram at the screen's pixel ratio, painted afresh when the
// window moves to a screen with another ratio, so the lines stay as sharp as the text around them.
class DiagramLabel : public QLabel {
public:
    explicit DiagramLabel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace brimalox
