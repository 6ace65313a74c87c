#pragma once
// The notes window: a top-level window of its own, owned by no other, with one editable box that
// shows the design notes.

#include <QWidget>

class QPlainTextEdit;

namespace brimalox {

class NotesWindow : public QWidget {
public:
    NotesWindow();

    // Opens the window, or brings it to the front and activates it when it is already open. A window
    // that was closed opens with the notes text afresh: what was typed into it is gone.
    void present();

    QPlainTextEdit* notesBox() const { return box_; }

private:
    QPlainTextEdit* box_ = nullptr;
};

}  // namespace brimalox
