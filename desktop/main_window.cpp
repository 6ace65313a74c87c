#include "desktop/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIconEngine>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProxyStyle>

#include "app/website_text.h"
#include "desktop/fixed_frame.h"
#include "desktop/form1.h"
#include "desktop/text_boxes.h"

namespace brimalox {
namespace {

// A style icon fetched from the style the first time it is drawn or measured.
class StyleIconOnDemand : public QIconEngine {
public:
    StyleIconOnDemand(const QStyle* style, QStyle::StandardPixmap which) : style_(style), which_(which) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }  // asking must not load it
    QIconEngine* clone() const override { return new StyleIconOnDemand(style_, which_); }

private:
    const QIcon& icon() {
        if (!loaded_) icon_ = style_->standardIcon(which_);
        loaded_ = true;
        return icon_;
    }
    const QStyle* style_;
    QStyle::StandardPixmap which_;
    QIcon icon_;
    bool loaded_ = false;
};

class MenuBarArrowOnDemand : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override {
        if (which != SP_ToolBarHorizontalExtensionButton) return QProxyStyle::standardIcon(which, option, widget);
        return QIcon(new StyleIconOnDemand(baseStyle(), which));
    }
};

}  // namespace

void deferMenuBarArrow() { QApplication::setStyle(new MenuBarArrowOnDemand); }

MainWindow::MainWindow(ModelWindowsMaker models) : makeModels_(std::move(models)) {
    form_ = new Form1(this);
    setCentralWidget(form_);
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(form_->windowTitle());
    buildMenus();
    // The client area keeps its fixed size; the window is that and the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    keepFixedFrame(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&FILE"));
    file->addAction(QStringLiteral("&BUILD SHEET..."), QKeySequence(Qt::CTRL | Qt::Key_B), this,
                    [this] { openBuildSheet(); });
    file->addAction(QStringLiteral("&PRINT BUILD SHEET..."), QKeySequence::Print, this, [this] { printBuildSheet(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&QUIT"), QKeySequence::Quit, this, [this] { close(); });

    QMenu* model = menuBar()->addMenu(QStringLiteral("&MODEL"));
    model->addAction(QStringLiteral("&CHECK THE DESIGN..."), QKeySequence(Qt::Key_F5), this, [this] { openCheck(); });
    model->addAction(QStringLiteral("&TRIM..."), QKeySequence(Qt::Key_F6), this, [this] { openTrim(); });
    model->addAction(QStringLiteral("C&OVER BANDS..."), QKeySequence(Qt::Key_F7), this, [this] { openCover(); });
    undoUse_ =
        model->addAction(QStringLiteral("&UNDO USE THIS DESIGN"), QKeySequence::Undo, this, [this] { undoUse(); });
    // Shown in the menu; the key itself is taken in eventFilter, before a text box's own undo.
    undoUse_->setShortcutContext(Qt::WidgetShortcut);
    undoUse_->setEnabled(false);
    modelCommands_ = model->actions();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&HELP"));
    help->addAction(QStringLiteral("&NOTES"), QKeySequence::HelpContents, this, [this] { form_->showNotes(); });
    help->addAction(QStringLiteral("&ABOUT"), this,
                    [this] { showKeptBox(about_, this, QStringLiteral("ABOUT"), qstr(websiteText()), "about"); });
}

QAction* MainWindow::action(const QString& text) const {
    for (QAction* menu : menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (QString(item->text()).remove('&') == text) return item;
    return nullptr;
}

ModelWindows* MainWindow::modelsWithDesign(const QString& command) {
    if (form_->designComputed()) return models();
    openMessage(this, QMessageBox::Information, windowTitle(),
                QStringLiteral("%1 needs a computed design. Type the frequency, click ACCEPT, select THREE SIDED or "
                               "FOUR SIDED and click COMPUTE first.")
                    .arg(command),
                "needsDesign");
    return nullptr;
}

ModelWindows* MainWindow::models() {
    if (models_) return models_.get();
    try {
        models_ = makeModels_({this, [form = form_] { return form->shownDesign(); },
                               [this](const DesignRequest& d) { useDesign(d); }, modelCommands_});
    } catch (const std::exception& e) {
        openMessage(this, QMessageBox::Warning, windowTitle(),
                    QStringLiteral("The check, trim, band search and build sheet could not be loaded (%1). Reinstall "
                                   "the brimalox package.")
                        .arg(QString::fromLocal8Bit(e.what())),
                    "modelsMissing");
    }
    return models_.get();
}

void MainWindow::openCheck() {
    if (ModelWindows* windows = modelsWithDesign(QStringLiteral("CHECK THE DESIGN"))) windows->openCheck();
}

void MainWindow::openTrim() {
    if (ModelWindows* windows = modelsWithDesign(QStringLiteral("TRIM"))) windows->openTrim();
}

void MainWindow::openCover() {
    if (ModelWindows* windows = models()) windows->openCover();
}

void MainWindow::useDesign(const DesignRequest& d) {
    const FormState before = form_->state();
    const auto done = [this, &before] {  // a use that failed half-way is undone as well
        beforeUse_ = before;
        afterUse_ = form_->state();
        undoUse_->setEnabled(true);
        if (!undoKey_) qApp->installEventFilter(this);
        undoKey_ = true;
    };
    form_->setText(Field::Text2, d.frequencyText);
    if (!form_->pressButton(Button::Command7)) return done();
    if (d.conductor.unit != ConductorUnit::None) {
        form_->setText(conductorField(d.conductor.unit), d.conductor.text);
        if (!form_->pressButton(conductorButton(d.conductor.unit))) return done();
    }
    form_->choose(d.sides == 4 ? Option::Option2 : Option::Option1);
    form_->pressButton(Button::Command4);
    done();
    activateWindow();
    raise();
}

bool MainWindow::useUndoable() const { return beforeUse_ && afterUse_ && form_->state() == *afterUse_; }

void MainWindow::undoUse() {
    if (!beforeUse_) return;
    if (useUndoable())
        form_->restore(*beforeUse_);
    else
        openMessage(this, QMessageBox::Information, windowTitle(),
                    QStringLiteral("Nothing undone: the window has changed since USE THIS DESIGN."), "undoUse");
    beforeUse_.reset();
    afterUse_.reset();
    undoUse_->setEnabled(false);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+Z right after USE THIS DESIGN, wherever the focus is, unless a box has typing of its own to
    // undo: the boxes USE typed into keep no undo of their own.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Undo) &&
        useUndoable()) {
        const auto* box = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
        if (!box || !box->isUndoAvailable()) {
            undoUse();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::openBuildSheet() {
    if (ModelWindows* windows = modelsWithDesign(QStringLiteral("BUILD SHEET"))) windows->openBuildSheet();
}

void MainWindow::printBuildSheet() {
    if (ModelWindows* windows = modelsWithDesign(QStringLiteral("PRINT BUILD SHEET"))) windows->printBuildSheet();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Quitting ends a check that runs: its nec2c and temporary folder are gone before the program.
    if (models_) models_->closeAll();
    event->accept();
    QApplication::quit();
}

}  // namespace brimalox
