#pragma once
// The text boxes of the main window: single-line boxes are QLineEdits, the one multi-line label is a
// frameless QPlainTextEdit. Both are read and written whole, as the handlers see a field.

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace brimalox {

// How a text box looks; the window's layout table gives one per box.
enum class BoxLook {
    Title,  // blue on light cyan, centred, no border
    Label,  // blue on the window background, no border
    Unit,   // black on the window background, no border
    Value,  // coloured text on the default background, default border, centred
};

struct BoxStyle {
    BoxLook look;
    QColor textColour;       // invalid: the default text colour
    Qt::Alignment alignment;
    double pointSize;
    bool italic = false;
    bool multiLine = false;
};

inline constexpr QRgb kWindowBackground = 0xFFE0C0;
inline constexpr QRgb kTitleBackground = 0xC0FFFF;

// The face every text box asks for: the classic dialog face where installed, else its metric twin.
QFont boxFont(double pointSize, bool italic);
// The windows' own font, for buttons, option buttons and the notes: the same face, small, regular.
QFont windowFont();

QWidget* makeTextBox(const BoxStyle& style, QWidget* parent);

// A box's text as the user sees it. The multi-line box holds CR LF line ends, as an edit control
// does; the single-line boxes hold no line ends at all.
QString boxText(const QWidget* box);
void setBoxText(QWidget* box, const QString& text);

}  // namespace brimalox
