#include "desktop/sheet_print.h"

#include <QAction>
#include <QFileDialog>
#include <QKeySequence>
#include <QMessageBox>
#include <QPageSize>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QToolBar>
#include <memory>

#include "desktop/check_window.h"
#include "desktop/kept_settings.h"
#include "desktop/keys.h"
#include "sheet/model_figures.h"
#include "sheet/sheet_pdf.h"
#include "sheet/sheet_text.h"

namespace brimalox {
namespace {

bool writeFile(const QString& path, const std::string& bytes, QString* why) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), static_cast<qint64>(bytes.size())) >= 0 &&
        file.commit())
        return true;
    if (why) *why = file.errorString();
    return false;
}

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

}  // namespace

SheetPage sheetOf(const DesignTexts& shown, sheet::Paper paper, const std::string& date,
                  const std::optional<sheet::ModelFigures>& model, const std::string& remark,
                  const sheet::SheetAdditions& additions) {
    auto made = sheet::shownSheet(shown, date, model, remark, additions);
    if (auto* problem = std::get_if<std::string>(&made)) return SheetPage{{}, std::move(*problem), {}, {}};
    const auto& built = std::get<sheet::BuildSheet>(made);
    return SheetPage{sheet::sheetSvg(built, paper), {}, sheet::cutListCsv(built), sheet::sheetJson(built)};
}

CheckedSheet checkedSheet(const CheckWindow* check, const DesignTexts& shown, const std::string& date) {
    std::optional<sheet::ModelFigures> model = checkedFigures(check, shown);
    sheet::SheetAdditions feed = checkedFeed(check, model);
    return {shown, date, std::move(model), std::move(feed)};
}

sheet::Paper paperOf(const QPrinter& printer) {
    return printer.pageLayout().pageSize().id() == QPageSize::Letter ? sheet::Paper::Letter : sheet::Paper::A4;
}

void setPaper(QPrinter& printer, sheet::Paper paper) {
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(paper == sheet::Paper::Letter ? QPageSize::Letter : QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

bool paintSheet(QPrinter& printer, const std::string& svg, QString* why) {
    // Qt's PDF of an SVG is outlines without text; a preview's pages are drawn by another engine.
    const bool toPdfFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
                           printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Pdf;
    if (toPdfFile) return writeSheetPdf(printer.outputFileName(), svg, paperOf(printer), why);
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    QPainter painter(&printer);
    renderer.render(&painter, printer.paperRect(QPrinter::DevicePixel));
    return true;
}

bool writeSheetPdf(const QString& path, const std::string& svg, sheet::Paper paper, QString* why) {
    std::string pdf;
    try {
        pdf = sheet::svgToPdf(svg, paper);
    } catch (const std::exception& e) {
        if (why) *why = QString::fromStdString(e.what());
        return false;
    }
    return writeFile(path, pdf, why);
}

void previewSheet(QWidget* parent, const QString& title, const QString& stem, const SheetPages& page) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    setPaper(*printer, sheet::Paper::A4);
    auto* preview = new QPrintPreviewDialog(printer.get(), parent);
    preview->setObjectName(QStringLiteral("buildSheet"));
    preview->setWindowTitle(title);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(preview, &QPrintPreviewDialog::paintRequested, preview, [page, preview, title](QPrinter* target) {
        QString why;
        if (!paintSheet(*target, page(paperOf(*target)).svg, &why))
            QMessageBox::warning(preview, title,
                                 QStringLiteral("Not printed to %1: %2").arg(target->outputFileName(), why));
    });

    // The paper and the two files, first in the dialog's tool bar, where they stay in sight.
    if (auto* tools = preview->findChild<QToolBar*>()) {
        QAction* first = tools->actions().value(0);
        const auto add = [tools, first, preview](const QString& text, const QKeySequence& keys, auto&& onTriggered) {
            auto* action = new QAction(text, preview);
            action->setShortcut(keys);
            action->setToolTip(QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText)));
            QObject::connect(action, &QAction::triggered, preview, onTriggered);
            tools->insertAction(first, action);
        };
        auto* view = preview->findChild<QPrintPreviewWidget*>();
        struct PaperKey {
            const char* text;
            sheet::Paper paper;
            QKeyCombination keys;
        };
        for (const auto& [text, paper, keys] : {PaperKey{"A4", sheet::Paper::A4, Qt::ALT | Qt::Key_A},
                                                PaperKey{"LETTER", sheet::Paper::Letter, Qt::ALT | Qt::Key_L}})
            add(QString::fromLatin1(text), QKeySequence(keys), [printer, paper, view] {
                setPaper(*printer, paper);
                if (view) view->updatePreview();
            });
        // write(path, the sheet on the paper chosen, that paper, why) for each kind of file.
        const auto save = [preview, printer, page, title, stem](const char* suffix, auto write) {
            const QString kind = QString::fromLatin1(suffix).toUpper();
            return [=] {
                const QString path = QFileDialog::getSaveFileName(
                    preview, QStringLiteral("SAVE THE %1 AS %2").arg(title, kind),
                    stem + QStringLiteral(".") + QString::fromLatin1(suffix),
                    kind + QStringLiteral(" (*.") + QString::fromLatin1(suffix) + QStringLiteral(")"));
                QString why;
                if (!path.isEmpty() && !write(path, page(paperOf(*printer)), paperOf(*printer), &why))
                    QMessageBox::warning(preview, title, QStringLiteral("Not saved: %1: %2").arg(path, why));
            };
        };
        using Write = bool (*)(const QString&, const SheetPage&, sheet::Paper, QString*);
        struct SaveKey {
            const char* text;
            const char* suffix;
            QKeySequence keys;
            Write write;
        };
        const SaveKey saves[] = {
            {"SAVE AS PDF...", "pdf", QKeySequence::Save,
             [](const QString& path, const SheetPage& sheet, sheet::Paper paper, QString* why) {
                 return writeSheetPdf(path, sheet.svg, paper, why);
             }},
            {"SAVE AS SVG...", "svg", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
             [](const QString& path, const SheetPage& sheet, sheet::Paper, QString* why) {
                 return writeFile(path, sheet.svg, why);
             }},
            {"SAVE THE CUT LIST AS CSV...", "csv", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
             [](const QString& path, const SheetPage& sheet, sheet::Paper, QString* why) {
                 return writeFile(path, sheet.cutListCsv, why);
             }},
            {"SAVE AS JSON...", "json", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J),
             [](const QString& path, const SheetPage& sheet, sheet::Paper, QString* why) {
                 return writeFile(path, sheet.json, why);
             }},
        };
        for (const SaveKey& s : saves)
            add(QString::fromLatin1(s.text), s.keys, save(s.suffix, s.write));
        tools->insertSeparator(first);
    }
    keyboardButtons(preview);  // the tool bar's buttons too, which Qt leaves out of the Tab order
    restorePlace(*preview);
    QObject::connect(preview, &QDialog::finished, preview, [preview] { keepPlace(*preview); });
    preview->open();
}

}  // namespace brimalox
