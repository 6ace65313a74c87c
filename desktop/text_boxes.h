#pragma once
// The text boxes of the windows: single-line boxes are QLineEdits, the multi-line ones are
// QPlainTextEdits. Both are read and written whole, as the handlers see a field. And the message
// boxes the windows say things in.

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "app/layout.h"

namespace brimalox {

QString qstr(std::string_view text);
QColor qcolour(Rgb rgb);
Qt::Alignment qalign(Align align);

// A font of the given size, weight and slant in the windows' face, or its metric twin.
QFont qfont(const FontSpec& style);
// The windows' own font, for buttons, option buttons and the notes.
QFont windowFont();

// The box a text-box row of the layout describes, with its look, colours, font and name; its text
// and place are left to the caller.
QWidget* makeTextBox(const Control& box, QWidget* parent);

// A box's text as the user sees it. The multi-line box holds CR LF line ends, as an edit control
// does; the single-line boxes hold no line ends at all.
QString boxText(const QWidget* box);
void setBoxText(QWidget* box, const QString& text);

// A message over parent's window, window-modal and not waited for: the window works on once OK is
// pressed, and the box deletes itself then. Returned open, for a caller to hear its end.
QMessageBox* openMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                         const char* name);
// An information box that stays beside the window (non-modal): made at the first call and kept in
// box, then brought to the front at each.
void showKeptBox(QMessageBox*& box, QWidget* parent, const QString& title, const QString& text, const char* name);

}  // namespace brimalox
