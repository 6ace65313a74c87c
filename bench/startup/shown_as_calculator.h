#pragma once
// The yardsticks are shown as the calculator's window is: its caption and its fixed client area.
#include <QApplication>
#include <QWidget>

inline int showAsTheCalculator(QWidget& window) {
    window.setWindowTitle(QStringLiteral("QZ9ZZQ BX"));
    window.setFixedSize(535, 402);
    window.show();
    return QApplication::exec();
}
