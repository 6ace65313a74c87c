#include "desktop/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <memory>

#include "app/website_text.h"
#include "desktop/check_window.h"
#include "desktop/cover_window.h"
#include "desktop/fixed_frame.h"
#include "desktop/form1.h"
#include "desktop/sheet_print.h"
#include "desktop/text_boxes.h"
#include "desktop/trim_window.h"
#include "sheet/model_figures.h"

namespace brimalox {
namespace {

bool sameDesign(const DesignTexts& a, const DesignTexts& b) {
    if (a.sides != b.sides) return false;
    for (const ValueField& value : kValueFields)
        if (a.*value.text != b.*value.text) return false;
    return true;
}

}  // namespace

MainWindow::MainWindow() {
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
    model->addAction(QStringLiteral("&TRIM..."), this, [this] { openTrim(); });
    model->addAction(QStringLiteral("C&OVER BANDS..."), this, [this] { openCover(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&HELP"));
    help->addAction(QStringLiteral("&NOTES"), QKeySequence::HelpContents, this, [this] { form_->showNotes(); });
    help->addAction(QStringLiteral("&ABOUT"), this, [this] {
        if (!about_) {
            about_ = new QMessageBox(QMessageBox::Information, QStringLiteral("ABOUT"), qstr(websiteText()),
                                     QMessageBox::Ok, this);
            about_->setObjectName(QStringLiteral("about"));
            about_->setWindowModality(Qt::NonModal);
        }
        about_->show();
        about_->raise();
        about_->activateWindow();
    });
}

QAction* MainWindow::action(const QString& text) const {
    for (QAction* menu : menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (QString(item->text()).remove('&') == text) return item;
    return nullptr;
}

bool MainWindow::haveDesign(const QString& command) {
    if (form_->designComputed()) return true;
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(),
                                QStringLiteral("%1 needs a computed design. Type the frequency, click ACCEPT, select "
                                               "THREE SIDED or FOUR SIDED and click COMPUTE first.")
                                    .arg(command),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("needsDesign"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return false;
}

void MainWindow::openCheck() {
    if (!haveDesign(QStringLiteral("CHECK THE DESIGN"))) return;
    if (!check_) check_ = std::make_unique<CheckWindow>([form = form_] { return form->shownDesign(); });
    check_->present();
}

void MainWindow::openTrim() {
    if (!haveDesign(QStringLiteral("TRIM"))) return;
    if (!trim_) trim_ = std::make_unique<TrimWindow>([form = form_] { return form->shownDesign(); });
    trim_->present();
}

void MainWindow::openCover() {
    if (!cover_) cover_ = std::make_unique<CoverWindow>([this](const DesignRequest& d) { useDesign(d); });
    cover_->present();
}

void MainWindow::useDesign(const DesignRequest& d) {
    form_->setText(Field::Text2, d.frequencyText);
    if (!form_->pressButton(Button::Command7)) return;
    if (d.conductor.unit != ConductorUnit::None) {
        form_->setText(conductorField(d.conductor.unit), d.conductor.text);
        if (!form_->pressButton(conductorButton(d.conductor.unit))) return;
    }
    form_->choose(d.sides == 4 ? Option::Option2 : Option::Option1);
    form_->pressButton(Button::Command4);
    activateWindow();
    raise();
}

namespace {

// The figures of the last check, while the window still shows the design they are of.
std::optional<sheet::ModelFigures> checkedFigures(const CheckWindow* check, const DesignTexts& shown) {
    if (!check || !check->result() || !sameDesign(check->result()->design, shown)) return std::nullopt;
    try {
        return sheet::modelFigures(*check->result());
    } catch (const std::exception&) {  // a model that gave no sweep or pattern has no figures to print
        return std::nullopt;
    }
}

// The feed of that check, its pieces listed on the sheet as the command line's sheet with that feed.
sheet::SheetAdditions checkedFeed(const CheckWindow* check, const std::optional<sheet::ModelFigures>& figures) {
    sheet::SheetAdditions additions;
    if (figures && check->result()->feed) additions.feed = sheet::feedFigures(*check->result()->feed);
    return additions;
}

}  // namespace

void MainWindow::openBuildSheet() {
    if (!haveDesign(QStringLiteral("BUILD SHEET"))) return;
    const DesignTexts shown = form_->shownDesign();
    const std::string date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    const std::optional<sheet::ModelFigures> model = checkedFigures(check_.get(), shown);
    const sheet::SheetAdditions feed = checkedFeed(check_.get(), model);
    const SheetPage first = sheetOf(shown, sheet::Paper::A4, date, model, {}, feed);
    if (first.svg.empty()) {
        QMessageBox::warning(this, windowTitle(), qstr(first.problem));
        return;
    }
    previewSheet(this, QStringLiteral("BUILD SHEET"), [shown, date, model, feed](sheet::Paper paper) {
        return sheetOf(shown, paper, date, model, {}, feed).svg;
    });
}

void MainWindow::printBuildSheet() {
    if (!haveDesign(QStringLiteral("PRINT BUILD SHEET"))) return;
    const DesignTexts shown = form_->shownDesign();
    const std::string date = QDate::currentDate().toString(Qt::ISODate).toStdString();
    const std::optional<sheet::ModelFigures> model = checkedFigures(check_.get(), shown);
    const sheet::SheetAdditions feed = checkedFeed(check_.get(), model);
    if (const SheetPage page = sheetOf(shown, sheet::Paper::A4, date, model, {}, feed); page.svg.empty()) {
        QMessageBox::warning(this, windowTitle(), qstr(page.problem));
        return;
    }
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    setPaper(*printer, sheet::Paper::A4);
    auto* dialog = new QPrintDialog(printer.get(), this);
    dialog->setObjectName(QStringLiteral("printBuildSheet"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, dialog, [printer, shown, date, model, feed] {
        paintSheet(*printer, sheetOf(shown, paperOf(*printer), date, model, {}, feed).svg);
    });
    dialog->open();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Quitting ends a check that runs: its nec2c and temporary folder are gone before the program.
    if (check_) check_->close();
    if (cover_) cover_->close();
    if (trim_) trim_->close();
    event->accept();
    QApplication::quit();
}

}  // namespace brimalox
