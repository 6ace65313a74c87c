#pragma once
// Keys the windows share: Return on a focused button clicks it, as Space does; and every button of
// an added window reaches the focus by Tab, tool bars' buttons too, which Qt leaves out of the order.

class QAbstractButton;
class QWidget;

namespace brimalox {

// Return or Enter on the focused button clicks it, once, and goes no further.
void returnClicks(QAbstractButton* button);

// Every button under root, as it stands now, takes the focus by Tab and by click, and the push and
// tool buttons click on Return. Buttons made later (a tool bar's, on an action added after) need another call.
void keyboardButtons(QWidget* root);

}  // namespace brimalox
