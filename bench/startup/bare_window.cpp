// The yardstick for the calculator's start-up: an empty Qt Widgets window with the same client
// area (535 x 402 pixels) and caption, shown the same way, with nothing in it.
#include "shown_as_calculator.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    return showAsTheCalculator(window);
}
