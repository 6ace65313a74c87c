// Where the calculator's start-up time goes: builds the window (or the bare one), shows it, waits
// until it is exposed and painted, and prints the time of each phase. Run under callgrind or perf
// to see the functions behind a phase.  usage: brimalox_startup_probe form1|bare
#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <cstdio>
#include <cstring>
#include <memory>

#include "desktop/form1.h"

int main(int argc, char* argv[]) {
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    const qint64 appDone = clock.nsecsElapsed();

    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->setWindowTitle(QStringLiteral("QZ9ZZQ BX"));
        window->setFixedSize(535, 402);
    } else {
        window = std::make_unique<brimalox::Form1>();
    }
    const qint64 built = clock.nsecsElapsed();
    window->show();
    const qint64 shown = clock.nsecsElapsed();
    while (!window->windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 exposed = clock.nsecsElapsed();
    window->repaint();  // the first paint has normally run already; this flushes whatever is left
    QApplication::processEvents();
    const qint64 painted = clock.nsecsElapsed();

    std::printf("%-6s QApplication %6.1f ms  build %6.1f ms  show %6.1f ms  exposed %6.1f ms  painted %6.1f ms\n",
                bare ? "bare" : "form1", appDone / 1e6, (built - appDone) / 1e6, (shown - built) / 1e6,
                (exposed - shown) / 1e6, (painted - exposed) / 1e6);
    return 0;
}
