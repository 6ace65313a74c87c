#include "desktop/form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/layout.h"
#include "app/website_text.h"
#include "desktop/diagram_painter.h"
#include "desktop/fixed_frame.h"
#include "desktop/keys.h"
#include "desktop/notes_window.h"
#include "desktop/text_boxes.h"
#include "numtext/fields.h"

namespace brimalox {
namespace {

std::size_t slot(Field field) { return static_cast<std::size_t>(field) - 1; }

// Qt takes a plain top-level QWidget for a client area, which AT-SPI calls a "filler"; a screen
// reader should meet both windows as windows named by their captions, as it meets a QMainWindow.
QAccessibleInterface* accessibleWindow(const QString&, QObject* object) {
    // Under the menu bar the client area is a part of the window, as Qt has it by default.
    if (auto* form = dynamic_cast<Form1*>(object); form && form->isWindow())
        return new QAccessibleWidget(form, QAccessible::Window);
    if (auto* notes = dynamic_cast<NotesWindow*>(object)) return new QAccessibleWidget(notes, QAccessible::Window);
    return nullptr;
}

QRect pixelRect(const Rect& twips) {
    return {pixels(twips.left), pixels(twips.top), pixels(twips.width), pixels(twips.height)};
}

QString caption() { return qstr(mainWindow().caption); }

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    [[maybe_unused]] static const bool accessibleInstalled = (QAccessible::installFactory(accessibleWindow), true);
    const WindowSpec& desc = mainWindow();
    setObjectName(qstr(desc.name));
    setWindowTitle(caption());
    setFixedSize(pixels(desc.clientWidth), pixels(desc.clientHeight));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, qcolour(desc.background));
    setPalette(palette);
    setFont(windowFont());  // what the buttons and option buttons show; each text box has its own

    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const Control& c : controls()) {
        QWidget* widget = build(c);
        if (c.tab >= 0) tabOrder.emplace_back(c.tab, widget);
    }
    std::sort(tabOrder.begin(), tabOrder.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    // The first key typed goes where a user starts, the frequency, and replaces its default text
    // as it would in a box entered with Tab, rather than being put in front of "146.00".
    QWidget* first = findChild<QWidget*>(qstr(desc.initialFocus));
    first->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(first)) edit->selectAll();
    if (isWindow()) keepFixedFrame(this);
}

Form1::~Form1() = default;

QWidget* Form1::build(const Control& c) {
    switch (c.kind) {
    case ControlKind::TextBox:
    case ControlKind::MultiLineTextBox: return buildTextBox(c);
    case ControlKind::PushButton: return buildButton(c);
    case ControlKind::OptionButton: return buildOption(c);
    case ControlKind::PictureBox: return buildPicture(c);
    case ControlKind::Line: return buildLine(c);
    }
    return nullptr;
}

QWidget* Form1::buildTextBox(const Control& c) {
    QWidget* box = makeTextBox(c, this);
    box->setGeometry(pixelRect(c.place));
    setBoxText(box, qstr(c.text));
    boxes_[slot(*c.field)] = box;
    return box;
}

QWidget* Form1::buildButton(const Control& c) {
    auto* button = new QPushButton(qstr(c.text), this);
    button->setObjectName(qstr(c.name));
    button->setGeometry(pixelRect(c.place));
    button->setAutoDefault(false);
    returnClicks(button);  // Return clicks the focused button, as on the platform the window comes from
    button->setAccessibleName(qstr(c.accessibleName));
    button->setAccessibleDescription(qstr(c.accessibleDescription));
    connect(button, &QPushButton::clicked, this, [this, which = *c.button] { click(which); });
    return button;
}

// The two option buttons are one exclusive group, as option buttons are on every desktop: screen
// readers announce them as radio buttons, Tab enters the group at its selected button (the first
// while none is selected) and the arrow keys move within it.
QWidget* Form1::buildOption(const Control& c) {
    auto* option = new QRadioButton(qstr(c.text), this);
    option->setObjectName(qstr(c.name));
    option->setGeometry(pixelRect(c.place));
    options_[static_cast<std::size_t>(*c.option)] = option;
    return option;
}

QWidget* Form1::buildPicture(const Control& c) {
    auto* picture = new DiagramLabel(this);
    picture->setObjectName(qstr(c.name));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setLineWidth(kPictureEdgePixels);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setGeometry(pixelRect(c.place));
    picture->setFocusPolicy(Qt::StrongFocus);  // a stop in the Tab order, like every control but the line
    picture->setAccessibleName(qstr(c.accessibleName));
    picture->setAccessibleDescription(qstr(c.accessibleDescription));
    return picture;
}

QWidget* Form1::buildLine(const Control& c) {
    auto* line = new QFrame(this);
    line->setObjectName(qstr(c.name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(pixels(c.place.left), pixels(c.place.top), pixels(c.place.width), 1);
    return line;
}

std::string Form1::text(Field field) const { return boxText(boxes_[slot(field)]).toStdString(); }

void Form1::setText(Field field, std::string_view text) { setBoxText(boxes_[slot(field)], qstr(text)); }

bool Form1::selected(Option option) const { return options_[static_cast<std::size_t>(option)]->isChecked(); }

void Form1::showNotes() {
    if (!notes_) notes_ = std::make_unique<NotesWindow>();
    notes_->present();
}

void Form1::showWebsite() { showKeptBox(website_, this, qstr(websiteCaption()), qstr(websiteText()), "website"); }

bool Form1::pressButton(Button button) {
    const ClickOutcome outcome = press(button, *this, mod1_);
    if (!outcome.ok()) {
        showFailure(outcome);
        return false;
    }
    if (button == Button::Command4) computed_ = true;
    return true;
}

void Form1::choose(Option option) { options_[static_cast<std::size_t>(option)]->click(); }

DesignTexts Form1::shownDesign() const { return brimalox::shownDesign(*this); }

FormState Form1::state() const {
    FormState state;
    for (const FieldInfo& info : fieldTable())
        state.texts[slot(info.field)] = text(info.field);
    for (std::size_t i = 0; i < options_.size(); ++i)
        state.selected[i] = options_[i]->isChecked();
    state.computed = computed_;
    return state;
}

void Form1::restore(const FormState& state) {
    for (const FieldInfo& info : fieldTable())
        setText(info.field, state.texts[slot(info.field)]);
    for (std::size_t i = 0; i < options_.size(); ++i) {
        options_[i]->setAutoExclusive(false);  // an exclusive group cannot go back to none selected
        options_[i]->setChecked(state.selected[i]);
        options_[i]->setAutoExclusive(true);
    }
    computed_ = state.computed;
}

// Window-modal and not waited for: the click has ended, the window works on once OK is pressed.
void Form1::showFailure(const ClickOutcome& outcome) {
    const QPointer<QWidget> before(QApplication::focusWidget());
    QMessageBox* box = openMessage(this, QMessageBox::Warning, caption(), qstr(outcome.message()), "failure");
    // Keys go back where they went before the click once the message is dismissed.
    connect(box, &QDialog::finished, this, [this, before] {
        activateWindow();
        if (before && before->window() == this) before->setFocus(Qt::OtherFocusReason);
    });
}

}  // namespace brimalox
