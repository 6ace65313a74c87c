#pragma once
// The program's window: the menu bar, and under it Form1's client area exactly as it stands alone.
// The windows the menus open (the check, the build sheet) are loaded and made when first asked for,
// so the start-up makes and loads little more than the calculator alone did.

#include <QMainWindow>
#include <memory>
#include <optional>

#include "app/road.h"
#include "desktop/form1.h"
#include "desktop/model_windows.h"

class QAction;
class QMenu;
class QMessageBox;

namespace brimalox {

// Before the main window is made: Qt's menu bar asks the style for the arrow it shows when its menus
// do not fit, and Fusion reads that arrow from image files, which loads every image-format plug-in.
// The calculator's three menus always fit, so the arrow is looked up when something first draws it.
void deferMenuBarArrow();

class MainWindow : public QMainWindow {
public:
    // The windows of the FILE and MODEL menus come from `models` when one is first asked for.
    explicit MainWindow(ModelWindowsMaker models = loadModelWindows);
    ~MainWindow() override;

    Form1* form() const { return form_; }
    // The menu's commands, for the tests, by what they say: "CHECK THE DESIGN..." and so on.
    QAction* action(const QString& text) const;
    // The check window once CHECK THE DESIGN has made it, else nullptr.
    CheckWindow* checkWindow() const { return models_ ? models_->check() : nullptr; }
    // The cover window once COVER BANDS has made it, else nullptr.
    CoverWindow* coverWindow() const { return models_ ? models_->cover() : nullptr; }
    // The trim window once TRIM has made it, else nullptr.
    TrimWindow* trimWindow() const { return models_ ? models_->trim() : nullptr; }
    AnalyserWindow* analyserWindow() const { return models_ ? models_->analyser() : nullptr; }

    void openCheck();
    void openTrim();
    void openCover();
    void openAnalyser();
    // Does in the window what a user does for this design: types the frequency, ACCEPT, the conductor
    // and the CHANGE below it, the form, COMPUTE; a click that fails stops there with its message.
    void useDesign(const DesignRequest& design);
    // The window's texts as before the last USE THIS DESIGN; said and not done once a click or a
    // typed text has changed what that use left (the user's own work is not undone).
    void undoUse();
    // Whether Ctrl+Z now undoes USE THIS DESIGN: the window still shows what it left.
    bool useUndoable() const;
    void openBuildSheet();
    void printBuildSheet();
    // FILE > SAVE DESIGN: the typing of the design shown, to a file; false, having said why, when the
    // window shows no design that typing gives or the file cannot be written.
    bool saveDesignTo(const QString& path);
    // FILE > OPEN DESIGN: types and clicks the file's design as USE THIS DESIGN does; false, having
    // said why, for a file that cannot be read or is no design, and nothing in the window changes.
    bool openDesignFrom(const QString& path);
    QStringList recentDesigns() const;
    // The About box's text: the program, its version and licence, nec2c found or not, the manual.
    static QString aboutText();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    // The commands' enabled state after anything that changes what there is to save or undo.
    void updateCommands();
    void fillRecent(QMenu* menu);
    void saveDesign();
    void openDesign();
    // The menus' windows, made on the first call; nullptr, having told the user why, if they cannot be.
    ModelWindows* models();
    // The same for a command that works on the window's design: nullptr, with a message saying what to
    // do first, while no COMPUTE has filled the window.
    ModelWindows* modelsWithDesign(const QString& command);

    Form1* form_ = nullptr;
    ModelWindowsMaker makeModels_;
    std::unique_ptr<ModelWindows> models_;
    QMessageBox* about_ = nullptr;
    QList<QAction*> modelCommands_;
    QAction* undoUse_ = nullptr;
    QAction* saveDesign_ = nullptr;
    std::optional<FormState> beforeUse_, afterUse_;
    bool undoKey_ = false;  // eventFilter is installed
};

}  // namespace brimalox
