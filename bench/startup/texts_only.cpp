// The second yardstick for the calculator's start-up: a window of the same size and caption that
// shows what the calculator shows at start (every default text and caption in its font, and the
// diagram) drawn with QPainter in its first paint, with no widgets at all. What it costs over the
// bare window is the cost of the text and the drawing themselves (fontconfig, the font faces,
// shaping, the diagram): a floor for any window that shows these things.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "app/layout.h"
#include "desktop/diagram_painter.h"
#include "desktop/text_boxes.h"
#include "shown_as_calculator.h"

namespace {

using namespace brimalox;

class TextsOnly : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), qcolour(mainWindow().background));
        int slot = 0;
        // The places hardly matter to the cost, so the texts sit in a plain grid, cut at their cells.
        auto draw = [&](const QFont& font, const QString& text) {
            painter.setFont(font);
            painter.drawText(QRect(8 + slot % 3 * 110, 8 + slot / 3 * 28, 106, 26), Qt::AlignLeft | Qt::AlignVCenter,
                             text);
            ++slot;
        };
        for (const Control& c : controls())
            if (!c.text.empty()) draw(c.font ? qfont(*c.font) : windowFont(), qstr(c.text));
        painter.drawImage(350, 120, drawDiagram());
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    TextsOnly window;
    return showAsTheCalculator(window);
}
