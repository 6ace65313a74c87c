#pragma once
// The main window's client area: the fields, buttons, option buttons and diagram at their places. It
// implements the form the handlers work on and forwards each click to its button's handler; it
// computes nothing. Made without a parent it is a window of its own; the program puts it under a
// menu bar (MainWindow).

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "app/buttons.h"
#include "app/layout.h"
#include "app/road.h"
#include "numtext/form.h"
#include "numtext/mod1.h"

class QMessageBox;
class QRadioButton;

namespace brimalox {

class NotesWindow;

// What the window shows that a click can change: every box's text, the option selected, and
// whether a COMPUTE went through.
struct FormState {
    std::array<std::string, kFieldCount> texts;
    std::array<bool, 2> selected{};
    bool computed = false;
    bool operator==(const FormState&) const = default;
};

class Form1 : public QWidget, public Form {
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    std::string text(Field field) const override;
    void setText(Field field, std::string_view text) override;
    bool selected(Option option) const override;
    void showNotes() override;
    void showWebsite() override;

    // The notes window once NOTES has created it, else nullptr.
    NotesWindow* notesWindow() const { return notes_.get(); }
    // The website window once WEBSITE has created it, else nullptr.
    QMessageBox* websiteWindow() const { return website_; }

    // Clicks a button as the user does, message and all; true when the click went through.
    bool pressButton(Button button);
    // Selects an option button as a click on it does.
    void choose(Option option);
    // Whether a COMPUTE has gone through since the window opened: the window then shows a design.
    bool designComputed() const { return computed_; }
    // The design as the value fields show it now, of the form selected (sides 0 when neither is).
    DesignTexts shownDesign() const;
    FormState state() const;
    // Shows a state again, as it was: texts, option (none selected, too) and computed or not.
    void restore(const FormState& state);

private:
    QWidget* build(const Control& control);
    QWidget* buildTextBox(const Control& control);
    QWidget* buildButton(const Control& control);
    QWidget* buildOption(const Control& control);
    QWidget* buildPicture(const Control& control);
    QWidget* buildLine(const Control& control);
    void click(Button button) { pressButton(button); }
    void showFailure(const ClickOutcome& outcome);

    Mod1 mod1_;
    std::array<QWidget*, kFieldCount> boxes_{};
    std::array<QRadioButton*, 2> options_{};
    std::unique_ptr<NotesWindow> notes_;  // a window of its own: no parent, so it outlives our close
    QMessageBox* website_ = nullptr;
    bool computed_ = false;
};

}  // namespace brimalox
