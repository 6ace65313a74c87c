// The second yardstick for the calculator's start-up: a window of the same size and caption that
// shows what the calculator shows at start (every default text and caption in its font, and the
// diagram) drawn with QPainter in its first paint, with no widgets at all. What it costs over the
// bare window is the cost of the text and the drawing themselves (fontconfig, the font faces,
// shaping, the diagram): a floor for any window that shows these things.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "app/buttons.h"
#include "app/diagram.h"
#include "app/text_boxes.h"
#include "numtext/fields.h"

namespace {

using namespace brimalox;

QFont fontOf(Field field) {
    if (field == Field::Text24) return boxFont(12, true);
    if (field == Field::Text7 || field == Field::Text21) return boxFont(8.25, false);
    return boxFont(9.75, false);
}

class TextsOnly : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(kWindowBackground));
        int slot = 0;
        // The places hardly matter to the cost, so the texts sit in a plain grid, cut at their cells.
        auto draw = [&](const QFont& font, const QString& text) {
            painter.setFont(font);
            painter.drawText(QRect(8 + slot % 3 * 110, 8 + slot / 3 * 28, 106, 26), Qt::AlignLeft | Qt::AlignVCenter,
                             text);
            ++slot;
        };
        for (int i = 1; i <= kFieldCount; ++i) {
            const auto field = static_cast<Field>(i);
            const std::string_view text = fieldInfo(field).defaultText;
            draw(fontOf(field), QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        }
        for (int i = 1; i <= 7; ++i) {
            const std::string_view caption = buttonCaption(static_cast<Button>(i));
            draw(windowFont(), QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
        }
        draw(windowFont(), QStringLiteral("THREE SIDED"));
        draw(windowFont(), QStringLiteral("FOUR SIDED"));
        painter.drawImage(350, 120, drawDiagram());
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    TextsOnly window;
    window.setWindowTitle(QStringLiteral("QZ9ZZQ BX"));
    window.setFixedSize(535, 402);
    window.show();
    return QApplication::exec();
}
