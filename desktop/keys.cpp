#include "desktop/keys.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QRadioButton>

namespace brimalox {
namespace {

class ReturnClicks : public QObject {
public:
    explicit ReturnClicks(QAbstractButton* button) : QObject(button), button_(button) {
        setObjectName(QStringLiteral("returnClicks"));
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != button_ || event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        if (button_->isEnabled()) button_->click();
        return true;  // not on to the window: it would take Return for its own run button
    }

private:
    QAbstractButton* button_;
};

}  // namespace

void returnClicks(QAbstractButton* button) {
    // Named, as a class without moc cannot be found by its type.
    if (!button->findChild<QObject*>(QStringLiteral("returnClicks"), Qt::FindDirectChildrenOnly))
        new ReturnClicks(button);
}

void keyboardButtons(QWidget* root) {
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!(button->focusPolicy() & Qt::TabFocus)) button->setFocusPolicy(Qt::StrongFocus);
        // A tick or an option is a setting: Return there is the window's (a model window runs).
        if (!qobject_cast<QCheckBox*>(button) && !qobject_cast<QRadioButton*>(button)) returnClicks(button);
    }
}

}  // namespace brimalox
