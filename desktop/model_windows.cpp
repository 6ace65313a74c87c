#include "desktop/model_windows.h"

#include <QDate>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <optional>

#include "desktop/check_window.h"
#include "desktop/cover_window.h"
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

class Windows : public ModelWindows {
public:
    explicit Windows(ModelHost host) : host_(std::move(host)) {}

    void openCheck() override {
        if (!check_) check_ = std::make_unique<CheckWindow>(host_.shown);
        check_->present();
    }
    void openTrim() override {
        if (!trim_) trim_ = std::make_unique<TrimWindow>(host_.shown);
        trim_->present();
    }
    void openCover() override {
        if (!cover_) cover_ = std::make_unique<CoverWindow>(host_.use);
        cover_->present();
    }

    void openBuildSheet() override {
        const Sheet sheet = current();
        if (!sheet.printable(host_.window)) return;
        previewSheet(host_.window, QStringLiteral("BUILD SHEET"),
                     [sheet](sheet::Paper paper) { return sheet.page(paper).svg; });
    }

    void printBuildSheet() override {
        const Sheet sheet = current();
        if (!sheet.printable(host_.window)) return;
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        setPaper(*printer, sheet::Paper::A4);
        auto* dialog = new QPrintDialog(printer.get(), host_.window);
        dialog->setObjectName(QStringLiteral("printBuildSheet"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QDialog::accepted, dialog,
                         [printer, sheet] { paintSheet(*printer, sheet.page(paperOf(*printer)).svg); });
        dialog->open();
    }

    void closeAll() override {
        if (check_) check_->close();
        if (cover_) cover_->close();
        if (trim_) trim_->close();
    }

    CheckWindow* check() const override { return check_.get(); }
    CoverWindow* cover() const override { return cover_.get(); }
    TrimWindow* trim() const override { return trim_.get(); }

private:
    // The sheet of the design shown now, with the last check's figures while they are of it.
    struct Sheet {
        DesignTexts shown;
        std::string date;
        std::optional<sheet::ModelFigures> model;
        sheet::SheetAdditions feed;
        SheetPage page(sheet::Paper paper) const { return sheetOf(shown, paper, date, model, {}, feed); }
        // False, having said why, for a design the sheet refuses.
        bool printable(QWidget* parent) const {
            const SheetPage first = page(sheet::Paper::A4);
            if (!first.svg.empty()) return true;
            QMessageBox::warning(parent, parent->windowTitle(), qstr(first.problem));
            return false;
        }
    };
    Sheet current() const {
        const DesignTexts shown = host_.shown();
        std::optional<sheet::ModelFigures> model = checkedFigures(check_.get(), shown);
        sheet::SheetAdditions feed = checkedFeed(check_.get(), model);
        return {shown, QDate::currentDate().toString(Qt::ISODate).toStdString(), std::move(model), std::move(feed)};
    }

    ModelHost host_;
    std::unique_ptr<CheckWindow> check_;  // windows of their own, owned here so quitting ends their runs
    std::unique_ptr<CoverWindow> cover_;
    std::unique_ptr<TrimWindow> trim_;
};

}  // namespace

std::unique_ptr<ModelWindows> makeModelWindows(const ModelHost& host) { return std::make_unique<Windows>(host); }

}  // namespace brimalox
