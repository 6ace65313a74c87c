#pragma once
// The program's window: the menu bar, and under it Form1's client area exactly as it stands alone.
// The windows the menus open (the check, the build sheet) are made when first asked for, so the
// start-up makes nothing more than the calculator did.

#include <QMainWindow>
#include <memory>

class QAction;
class QMessageBox;

namespace brimalox {

class CheckWindow;
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

    void openCheck();
    void openBuildSheet();
    void printBuildSheet();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // False, with a message saying what to do first, while no COMPUTE has filled the window.
    bool haveDesign(const QString& command);

    Form1* form_ = nullptr;
    std::unique_ptr<CheckWindow> check_;  // a window of its own, owned here so quitting ends its run
    QMessageBox* about_ = nullptr;
};

}  // namespace brimalox
