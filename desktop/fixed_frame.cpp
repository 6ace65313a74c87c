#include "desktop/fixed_frame.h"

#include <xcb/xcb.h>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace brimalox {
namespace {

// Qt's X11 window always offers the resize function in its Motif hints, whatever its flags, and
// window managers then offer to resize and maximise a window of fixed size. These are the hints
// that offer only moving, minimising and closing.
void writeMotifHints(QWidget* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    constexpr std::uint32_t kFunctions = 1u << 0, kDecorations = 1u << 1;
    constexpr std::uint32_t kMove = 1u << 2, kMinimise = 1u << 3, kClose = 1u << 5;
    constexpr std::uint32_t kBorder = 1u << 1, kTitle = 1u << 3, kMenu = 1u << 4, kMinimiseButton = 1u << 5;
    const std::array<std::uint32_t, 5> hints{kFunctions | kDecorations, kMove | kMinimise | kClose,
                                             kBorder | kTitle | kMenu | kMinimiseButton, 0, 0};
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
    if (!atom) return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()), atom->atom,
                        atom->atom, 32, hints.size(), hints.data());
    xcb_flush(connection);
    std::free(atom);
}

class FixedFrame : public QObject {
public:
    explicit FixedFrame(QWidget* window) : QObject(window), window_(window) {
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) return false;
        if (event->type() == QEvent::Show) writeMotifHints(window_);
        if (event->type() == QEvent::Resize && window_->size() != window_->minimumSize()) restoreSoon();
        return false;
    }

private:
    // Once, a moment later; a window manager that insists on another size twice in a row keeps it
    // rather than being fought.
    void restoreSoon() {
        if (restoring_.isValid() && restoring_.elapsed() < 1000) return;
        restoring_.start();
        QTimer::singleShot(0, this, [window = QPointer<QWidget>(window_)] {
            if (window) window->resize(window->minimumSize());
        });
    }

    QWidget* window_;
    QElapsedTimer restoring_;
};

}  // namespace

void keepFixedFrame(QWidget* window) { new FixedFrame(window); }

}  // namespace brimalox
