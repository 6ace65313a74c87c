#pragma once
// The program's window: the menu bar, and under it Form1's client area exactly as it stands alone.
// The windows the menus open (the check, the build sheet) are made when first asked for, so the
// start-up makes nothing more than the calculator did.

#include <QMainWindow>
#include <memory>

#include "app/road.h"

class QAction;
class QMessageBox;

namespace brimalox {

class CheckWindow;
class CoverWindow;
class TrimWindow;
class Form1;

class MainWindow : public QMainWindow {
public:
    MainWindow();
    ~MainWindow() override;

    Form1* form() const { return form_; }
    // The menu's commands, for the tests, by what they say: "CHECK THE DESIGN..." and so on.
    QAction* action(const QString& text) const;
    // The check window once CHECK THE DESIGN has made it, else nullptr.
    CheckWindow* checkWindow() const { return check_.get(); }

    // The cover window once COVER BANDS has made it, else nullptr.
    CoverWindow* coverWindow() const { return cover_.get(); }

    // The trim window once TRIM has made it, else nullptr.
    TrimWindow* trimWindow() const { return trim_.get(); }

    void openCheck();
    void openTrim();
    void openCover();
    // Does in the window what a user does for this design: types the frequency, ACCEPT, the conductor
    // and the CHANGE below it, the form, COMPUTE; a click that fails stops there with its message.
    void useDesign(const DesignRequest& design);
    void openBuildSheet();
    void printBuildSheet();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // False, with a message saying what to do first, while no COMPUTE has filled the window.
    bool haveDesign(const QString& command);

    Form1* form_ = nullptr;
    std::unique_ptr<CheckWindow> check_;  // windows of their own, owned here so quitting ends their runs
    std::unique_ptr<CoverWindow> cover_;
    std::unique_ptr<TrimWindow> trim_;
    QMessageBox* about_ = nullptr;
};

}  // namespace brimalox
