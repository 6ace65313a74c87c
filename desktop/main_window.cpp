#include "desktop/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProxyStyle>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>

#include "desktop/design_file.h"
#include "desktop/fixed_frame.h"
#include "desktop/form1.h"
#include "desktop/kept_settings.h"
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
    // Where the window was last, while that is on a screen; its size and texts are always its own.
    const QPoint kept = keptSettings()->value(QStringLiteral("MainWindow/position")).toPoint();
    if (!kept.isNull() && QGuiApplication::screenAt(kept)) move(kept);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&FILE"));
    saveDesign_ =
        file->addAction(QStringLiteral("&SAVE DESIGN..."), QKeySequence::Save, this, [this] { saveDesign(); });
    file->addAction(QStringLiteral("&OPEN DESIGN..."), QKeySequence::Open, this, [this] { openDesign(); });
    QMenu* recent = file->addMenu(QStringLiteral("&RECENT DESIGNS"));
    recent->setObjectName(QStringLiteral("recentDesigns"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecent(recent); });
    file->addSeparator();
    file->addAction(QStringLiteral("&BUILD SHEET..."), QKeySequence(Qt::CTRL | Qt::Key_B), this,
                    [this] { openBuildSheet(); });
    file->addAction(QStringLiteral("&PRINT BUILD SHEET..."), QKeySequence::Print, this, [this] { printBuildSheet(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&QUIT"), QKeySequence::Quit, this, [this] { close(); });

    QMenu* model = menuBar()->addMenu(QStringLiteral("&MODEL"));
    model->addAction(QStringLiteral("&CHECK THE DESIGN..."), QKeySequence(Qt::Key_F5), this, [this] { openCheck(); });
    model->addAction(QStringLiteral("&TRIM..."), QKeySequence(Qt::Key_F6), this, [this] { openTrim(); });
    model->addAction(QStringLiteral("C&OVER BANDS..."), QKeySequence(Qt::Key_F7), this, [this] { openCover(); });
    model->addAction(QStringLiteral("&MEASURE WITH THE ANALYSER..."), QKeySequence(Qt::Key_F8), this,
                     [this] { openAnalyser(); });
    undoUse_ =
        model->addAction(QStringLiteral("&UNDO USE THIS DESIGN"), QKeySequence::Undo, this, [this] { undoUse(); });
    // Shown in the menu; the key itself is taken in eventFilter, before a text box's own undo.
    undoUse_->setShortcutContext(Qt::WidgetShortcut);
    undoUse_->setEnabled(false);
    modelCommands_ = model->actions();

    QMenu* help = menuBar()->addMenu(QStringLiteral("&HELP"));
    help->addAction(QStringLiteral("&NOTES"), QKeySequence::HelpContents, this, [this] { form_->showNotes(); });
    help->addAction(QStringLiteral("&ABOUT"), this, [this] {
        if (about_) about_->setText(aboutText());  // nec2c may have been installed meanwhile
        showKeptBox(about_, this, QStringLiteral("ABOUT"), aboutText(), "about");
    });

    // What a click of the window changes is seen after the click's own handler (connected first).
    for (QPushButton* button : form_->findChildren<QPushButton*>())
        connect(button, &QPushButton::clicked, this, [this] { updateCommands(); });
    updateCommands();
}

void MainWindow::updateCommands() {
    saveDesign_->setEnabled(form_->designComputed());
    if (QMenu* recent = menuBar()->findChild<QMenu*>(QStringLiteral("recentDesigns")))
        recent->setEnabled(!recentDesigns().isEmpty());
}

QStringList MainWindow::recentDesigns() const {
    return keptSettings()->value(QStringLiteral("recentDesigns")).toStringList();
}

namespace {

constexpr int kRecentDesigns = 8;

void addRecent(const QString& path) {
    const auto settings = keptSettings();
    QStringList recent = settings->value(QStringLiteral("recentDesigns")).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    settings->setValue(QStringLiteral("recentDesigns"), recent.mid(0, kRecentDesigns));
}

}  // namespace

void MainWindow::fillRecent(QMenu* menu) {
    menu->clear();
    int number = 0;
    for (const QString& path : recentDesigns())
        menu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(QFileInfo(path).fileName()), this,
                        [this, path] { openDesignFrom(path); })
            ->setToolTip(path);
}

void MainWindow::saveDesign() {
    if (!form_->designComputed()) return;
    const QString stem = designFileStem(form_->shownDesign());
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("SAVE THE DESIGN"),
                                                      QDir(keptFolder("designFolder")).filePath(stem + ".json"),
                                                      QStringLiteral("Designs (*.json)"));
    if (!path.isEmpty()) saveDesignTo(path);
}

void MainWindow::openDesign() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("OPEN A DESIGN"), keptFolder("designFolder"),
                                                      QStringLiteral("Designs (*.json);;All files (*)"));
    if (!path.isEmpty()) openDesignFrom(path);
}

bool MainWindow::saveDesignTo(const QString& path) {
    const std::optional<DesignRequest> typed = typedRequest(form_->shownDesign());
    if (!form_->designComputed() || !typed) {
        openMessage(this, QMessageBox::Warning, windowTitle(),
                    QStringLiteral("Not saved: the window shows no design that typing its frequency, a conductor "
                                   "and the form gives. Click ACCEPT, CHANGE if you typed a conductor, and COMPUTE "
                                   "again first."),
                    "designNotSaved");
        return false;
    }
    const QByteArray json = designJson(*typed);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
        openMessage(this, QMessageBox::Warning, windowTitle(),
                    QStringLiteral("Not saved: %1: %2").arg(path, file.errorString()), "designNotSaved");
        return false;
    }
    keepFolderOf("designFolder", path);
    addRecent(path);
    updateCommands();
    return true;
}

bool MainWindow::openDesignFrom(const QString& path) {
    DesignRequest design;
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
        design = designFromJson(file.readAll());
    } catch (const std::exception& e) {
        openMessage(this, QMessageBox::Warning, windowTitle(),
                    QStringLiteral("The design %1 was not opened: %2").arg(QFileInfo(path).fileName(), qstr(e.what())),
                    "designNotOpened");
        return false;
    }
    keepFolderOf("designFolder", path);
    addRecent(path);
    useDesign(design);
    return true;
}

QString MainWindow::aboutText() {
    QString nec2c;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("nec2c"));
    if (program.isEmpty()) {
        nec2c = QStringLiteral(
            "nec2c: not installed. The MODEL menu's check, trim and band search need it: "
            "\"sudo apt install nec2c\" (Debian package nec2c).");
    } else {
        QProcess version;  // nec2c -v prints "nec2c 1.3" and ends at once
        version.start(program, {QStringLiteral("-v")});
        const bool answered = version.waitForFinished(3000);
        const QString said = QString::fromLocal8Bit(version.readAllStandardOutput()).trimmed();
        if (!answered) version.kill();
        nec2c = answered && !said.isEmpty() ? QStringLiteral("nec2c: %1, at %2.").arg(said, program)
                                            : QStringLiteral("nec2c: at %1; its version did not answer.").arg(program);
    }
    return QStringLiteral(
               "BRIMALOX %1\n%2\n\nLicence: MIT (its text: share/doc/brimalox/copyright where the program is installed).\n"
               "%3\nManual: \"man brimalox\", and \"man brimalox-cli\" for the command line.")
        .arg(QStringLiteral(BRIMALOX_VERSION), QStringLiteral("Design calculator for the BRIMALOX antenna."), nec2c);
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

void MainWindow::openAnalyser() {
    if (ModelWindows* windows = modelsWithDesign(QStringLiteral("MEASURE WITH THE ANALYSER"))) windows->openAnalyser();
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
    updateCommands();
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
    updateCommands();
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
    keptSettings()->setValue(QStringLiteral("MainWindow/position"), pos());
    event->accept();
    QApplication::quit();
}

}  // namespace brimalox
