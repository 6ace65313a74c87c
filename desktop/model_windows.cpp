#include "desktop/model_windows.h"

#include <QDate>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <optional>

#include "desktop/analyser_window.h"
#include "desktop/check_window.h"
#include "desktop/cover_window.h"
#include "desktop/sheet_print.h"
#include "desktop/text_boxes.h"
#include "desktop/trim_window.h"

namespace brimalox {
namespace {

class Windows : public ModelWindows {
public:
    explicit Windows(ModelHost host) : host_(std::move(host)) {}

    void openCheck() override {
        if (!check_) check_ = menued(std::make_unique<CheckWindow>(host_.shown));
        check_->present();
    }
    void openTrim() override {
        if (!trim_) trim_ = menued(std::make_unique<TrimWindow>(host_.shown));
        trim_->present();
    }
    void openCover() override {
        if (!cover_) cover_ = menued(std::make_unique<CoverWindow>(host_.use));
        cover_->present();
    }

    void openAnalyser() override {
        if (!analyser_)
            analyser_ = menued(std::make_unique<AnalyserWindow>(host_.shown, [this](const nec::Measured& sweep) {
                openTrim();
                trim_->useMeasured(sweep);
            }));
        analyser_->present();
    }

    void openBuildSheet() override {
        const CheckedSheet sheet = current();
        if (!printable(sheet)) return;
        previewSheet(host_.window, QStringLiteral("BUILD SHEET"),
                     designFileStem(sheet.shown) + QStringLiteral("-sheet"),
                     [sheet](sheet::Paper paper) { return sheet.page(paper); });
    }

    void printBuildSheet() override {
        const CheckedSheet sheet = current();
        if (!printable(sheet)) return;
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        setPaper(*printer, sheet::Paper::A4);
        printer->setDocName(designFileStem(sheet.shown) + QStringLiteral("-sheet"));
        auto* dialog = new QPrintDialog(printer.get(), host_.window);
        dialog->setObjectName(QStringLiteral("printBuildSheet"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QWidget* window = host_.window;
        QObject::connect(dialog, &QDialog::accepted, window, [printer, sheet, window] {
            QString why;
            if (!paintSheet(*printer, sheet.page(paperOf(*printer)).svg, &why))
                QMessageBox::warning(window, window->windowTitle(),
                                     QStringLiteral("Not printed to %1: %2").arg(printer->outputFileName(), why));
        });
        dialog->open();
    }

    void closeAll() override {
        if (check_) check_->close();
        if (cover_) cover_->close();
        if (trim_) trim_->close();
        if (analyser_) analyser_->close();
    }

    CheckWindow* check() const override { return check_.get(); }
    CoverWindow* cover() const override { return cover_.get(); }
    TrimWindow* trim() const override { return trim_.get(); }
    AnalyserWindow* analyser() const override { return analyser_.get(); }

private:
    template <class Window>
    std::unique_ptr<Window> menued(std::unique_ptr<Window> window) const {
        if (!host_.modelCommands.isEmpty()) window->setModelMenu(host_.modelCommands);
        return window;
    }
    CheckedSheet current() const {
        return checkedSheet(check_.get(), host_.shown(), QDate::currentDate().toString(Qt::ISODate).toStdString());
    }
    // False, having said why, for a design the sheet refuses.
    bool printable(const CheckedSheet& sheet) const {
        const SheetPage first = sheet.page(sheet::Paper::A4);
        if (!first.svg.empty()) return true;
        QMessageBox::warning(host_.window, host_.window->windowTitle(), qstr(first.problem));
        return false;
    }

    ModelHost host_;
    std::unique_ptr<CheckWindow> check_;  // windows of their own, owned here so quitting ends their runs
    std::unique_ptr<CoverWindow> cover_;
    std::unique_ptr<TrimWindow> trim_;
    std::unique_ptr<AnalyserWindow> analyser_;
};

}  // namespace

std::unique_ptr<ModelWindows> makeModelWindows(const ModelHost& host) { return std::make_unique<Windows>(host); }

}  // namespace brimalox
