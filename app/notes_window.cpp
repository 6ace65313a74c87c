#include "app/notes_window.h"

#include <QPalette>
#include <QPlainTextEdit>

#include "app/notes_text.h"
#include "app/text_boxes.h"

namespace brimalox {

NotesWindow::NotesWindow() : box_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("no"));
    setWindowTitle(QStringLiteral("NOTES"));
    setFixedSize(514, 225);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(kWindowBackground));
    setPalette(palette);
    setFont(windowFont());

    box_->setObjectName(QStringLiteral("Text1"));
    box_->setGeometry(8, 8, 497, 209);
    box_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box_->setAccessibleName(QStringLiteral("Design notes"));
    setBoxText(box_, QString::fromStdString(notesText()));
}

void NotesWindow::present() {
    if (!isVisible()) {
        setBoxText(box_, QString::fromStdString(notesText()));
        box_->moveCursor(QTextCursor::Start);  // the notes read from their first line
        show();
    } else if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

}  // namespace brimalox
