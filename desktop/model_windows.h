#pragma once
// The windows the FILE and MODEL menus open (the check, the trim, the band search, the build sheet)
// and what only they need: nec2c runs, Qt SVG and printing. The program keeps them in a module of
// their own and loads it when one is first asked for, so that starting the calculator loads none of
// those libraries.

#include <QList>
#include <QString>
#include <functional>
#include <memory>

#include "app/road.h"

class QAction;
class QWidget;

namespace brimalox {

class AnalyserWindow;
class CheckWindow;
class CoverWindow;
class TrimWindow;

// What the windows need of the program: its main window (the parent of dialogs), the design the
// calculator shows, and a way to type a found design into it.
struct ModelHost {
    QWidget* window = nullptr;
    std::function<DesignTexts()> shown;
    std::function<void(const DesignRequest&)> use;
    QList<QAction*> modelCommands;  // the MODEL menu, over each model window too
};

class ModelWindows {
public:
    virtual ~ModelWindows() = default;
    virtual void openCheck() = 0;
    virtual void openTrim() = 0;
    virtual void openCover() = 0;
    virtual void openAnalyser() = 0;
    virtual void openBuildSheet() = 0;
    virtual void printBuildSheet() = 0;
    // Closes every window, ending its run: no nec2c and no temporary folder are left.
    virtual void closeAll() = 0;
    // Each window once its command has made it, else nullptr.
    virtual CheckWindow* check() const = 0;
    virtual CoverWindow* cover() const = 0;
    virtual TrimWindow* trim() const = 0;
    virtual AnalyserWindow* analyser() const = 0;
};

using ModelWindowsMaker = std::function<std::unique_ptr<ModelWindows>(const ModelHost&)>;

// The windows themselves, for a program (or a test) linked with them.
std::unique_ptr<ModelWindows> makeModelWindows(const ModelHost& host);

// Loads the module beside the program (or where it is installed) and makes the windows from it;
// throws std::runtime_error saying what is missing when it cannot.
std::unique_ptr<ModelWindows> loadModelWindows(const ModelHost& host);

}  // namespace brimalox
