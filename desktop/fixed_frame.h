#pragma once
// Windows whose controls stand at fixed places: they offer to be moved, minimised and closed, never
// resized or maximised, and a size forced on them from outside is taken back.

class QWidget;

namespace brimalox {

void keepFixedFrame(QWidget* window);

}  // namespace brimalox
