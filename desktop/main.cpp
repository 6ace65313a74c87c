// Start-up: the main window with its default texts, and nothing else runs until a click.
#include <QApplication>

#include "desktop/main_window.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);  // the command line means nothing to the calculator
    brimalox::deferMenuBarArrow();
    brimalox::MainWindow window;
    window.show();
    return QApplication::exec();
}
