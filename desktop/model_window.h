#pragma once
// What the model windows (the check, the trim, the band search) share: a run of the engine on a
// thread of its own, so the windows answer while nec2c runs, with CANCEL ending nec2c at once; the
// run button, CANCEL, progress bar, status line and report; and an analyser's file read.

#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "nec/native/runner.h"
#include "nec/nec.h"

class QAction;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace brimalox {

class ReportView;

struct RunEnd {
    std::string failure;     // why the job threw, in the engine's words; empty when it returned
    bool cancelled = false;  // stopped by cancel()
    int signal = 0;          // stopped by a signal from outside this program
};

class EngineRun {
public:
    // job(engine) runs on the run's thread, `engine` being the options given with this run's cancel
    // (it keeps its own results); done() is called on that thread once, last.
    EngineRun(nec::RunOptions engine, std::function<void(const nec::RunOptions&)> job,
              std::function<void(RunEnd)> done);
    // Cancels a run still going and waits for its end: nec2c and its folder are gone on return.
    ~EngineRun();
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    void cancel() { cancel_->store(true); }
    // Waits for the thread (after done() was called, the wait is a moment).
    void finish();
    // One model run at a time in the program: the band search alone keeps every core busy.
    static bool anyRunning();

private:
    void work();

    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    nec::RunOptions engine_;
    std::function<void(const nec::RunOptions&)> job_;
    std::function<void(RunEnd)> done_;
    std::thread thread_;
    static std::atomic<int> running_;
};

// job(engine) on a run's thread; its result (none when it threw or was stopped) goes to the window's
// finish(end, result) on the window's thread, unless the window is gone by then.
template <class Result, class Window, class Finish, class Job>
std::unique_ptr<EngineRun> startRun(Window* window, Finish finish, nec::RunOptions engine, Job job) {
    QPointer<Window> self(window);
    auto result = std::make_shared<std::optional<Result>>();
    auto done = [self, finish, result](RunEnd end) {
        QMetaObject::invokeMethod(
            self,
            [self, finish, result, end = std::move(end)] {
                if (Window* w = self.data()) (w->*finish)(end, std::move(*result));
            },
            Qt::QueuedConnection);
    };
    return std::make_unique<EngineRun>(
        std::move(engine), [result, job = std::move(job)](const nec::RunOptions& run) mutable { *result = job(run); },
        done);
}

class ModelWindow : public QWidget {
public:
    ~ModelWindow() override;

    // Shows the window in front; says so when nec2c is not installed.
    void present();
    void cancel();
    bool running() const { return run_ != nullptr; }
    QString reportText() const;
    QString status() const;
    // The engine's program; nec2c on PATH unless a test says otherwise.
    void setEngine(nec::RunOptions options) { engine_ = std::move(options); }
    // Reads an analyser's Touchstone file; a broken one is named by line and reason in a message and
    // changes nothing.
    bool openMeasured(const QString& path);
    // The program's MODEL menu over the window, so its commands are at hand here too.
    void setModelMenu(const QList<QAction*>& commands);
    // Escape's close: at once, or while a run is going after asking (then the run is cancelled).
    void closeByKey();

protected:
    ModelWindow(const char* name, const QString& title);

    // The run button (its text with the & of its key), CANCEL and the progress bar, in a row.
    QHBoxLayout* runRow(QWidget* parent, const QString& runText, const char* runName);
    QLabel* statusLine(QWidget* parent);
    // The report as the command line prints it, laid out for the box's width (ReportView), never
    // fewer than a dozen lines high.
    ReportView* reportBox(QWidget* parent);
    // The settings, scrolling once the window is too short for them all (FEED SYSTEM open), so the
    // report below keeps its lines.
    QScrollArea* settingsArea(QWidget* settings);
    // Scrolls the report to its first line that holds start: what the user needs first.
    void showReportFrom(const QString& start);
    // The window's width that shows lines of the report of this many characters unwrapped.
    int widthForColumns(int columns) const;
    void setStatus(const QString& text);
    // Asks where to save text, offering `name` in the folder the last save went to, and writes it
    // whole or not at all; the status says which, and why not.
    void saveText(const QString& title, const QString& name, const std::string& text);
    // The size the window is laid out for, or the screen's available area where that is smaller.
    void fitOnScreen(QSize size);

    // False, and said, while this window or another runs the engine.
    bool mayStart();
    // Starts job(engine) with the run button off and CANCEL on; finish(end, result) gets its end.
    template <class Result, class Window, class Finish, class Job>
    void start(Window* self, Finish finish, const QString& saying, Job job) {
        beginRun(saying);
        run_ = startRun<Result>(self, finish, engine_, std::move(job));
    }
    void beginRun(const QString& saying);
    // The buttons as before the run; ends the process when a signal from outside asked it to. False
    // when the window no longer waits for a run (it was closed meanwhile).
    bool endRun(const RunEnd& end);

    // The measured file's name (`none` until one is open) and OPEN..., which calls opened() once a
    // file is read.
    QHBoxLayout* measuredRow(QWidget* parent, const QString& none, std::function<void()> opened = {});

    void closeEvent(QCloseEvent* event) override;
    // Escape closes; Return in the settings runs, as the run button does.
    void keyPressEvent(QKeyEvent* event) override;

    nec::RunOptions engine_;
    std::unique_ptr<EngineRun> run_;
    std::optional<nec::Measured> measured_;
    QLabel* measuredName_ = nullptr;
    QPushButton *run_button_ = nullptr, *cancel_button_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    ReportView* report_ = nullptr;
    bool prepared_ = false;  // the keys set up and the kept settings put back, at the first present()
};

// What a window says when asked to run while another model run is going.
inline constexpr const char* kAnotherRunGoing =
    "Another model run is going in this program: wait for it or cancel it first.";
// What a window says when its run was cancelled and it keeps what it showed.
inline constexpr const char* kCancelledKeeping = "Cancelled: nec2c was stopped; what was shown before stays.";

}  // namespace brimalox
