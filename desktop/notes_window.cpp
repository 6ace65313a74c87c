#include "desktop/notes_window.h"

#include <QPalette>
#include <QPlainTextEdit>

#include "app/layout.h"
#include "app/notes_text.h"
#include "desktop/fixed_frame.h"
#include "desktop/text_boxes.h"

namespace brimalox {

NotesWindow::NotesWindow() {
    const WindowSpec& desc = notesWindow();
    setObjectName(qstr(desc.name));
    setWindowTitle(qstr(desc.caption));
    setFixedSize(pixels(desc.clientWidth), pixels(desc.clientHeight));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, qcolour(desc.background));
    setPalette(palette);
    setFont(windowFont());

    const Control& box = brimalox::notesBox();
    box_ = static_cast<QPlainTextEdit*>(makeTextBox(box, this));
    box_->setGeometry(pixels(box.place.left), pixels(box.place.top), pixels(box.place.width), pixels(box.place.height));
    setBoxText(box_, QString::fromStdString(notesText()));
    keepFixedFrame(this);
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
