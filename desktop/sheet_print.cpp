#include "desktop/sheet_print.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QSvgRenderer>

#include "numtext/form.h"

namespace brimalox {

SheetPage sheetOf(const DesignTexts& shown, sheet::Paper paper, const std::string& date,
                  const std::optional<sheet::ModelFigures>& model) {
    if (shown.sides != 3 && shown.sides != 4)
        return SheetPage{{}, "Select THREE SIDED or FOUR SIDED and click COMPUTE first: the sheet is of one form."};
    DesignResult design = runDesign({shown.frequency, shown.sides, {}});
    if (design.failure && design.failure->button == Button::Command7)
        return SheetPage{
            {}, "The frequency field holds no frequency that ACCEPT takes, so there is no recommended minimum."};
    design.failure.reset();
    for (const ValueField& value : kValueFields)  // what the window shows, the frequency as ACCEPT read it
        if (value.field != Field::Text2) design.*value.text = shown.*value.text;
    auto made = sheet::makeBuildSheet(design, shown.sides, date, model);
    if (const auto* problem = std::get_if<std::string>(&made))
        return SheetPage{{}, "No build sheet: " + *problem + "."};
    return SheetPage{sheet::sheetSvg(std::get<sheet::BuildSheet>(made), paper), {}};
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

void paintSheet(QPrinter& printer, const std::string& svg) {
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    QPainter painter(&printer);
    renderer.render(&painter, printer.paperRect(QPrinter::DevicePixel));
}

bool writeSheetPdf(const QString& path, const std::string& svg, sheet::Paper paper) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setCreator(QStringLiteral("BRIMALOX calculator"));
    setPaper(printer, paper);
    paintSheet(printer, svg);
    return QFile::exists(path);
}

}  // namespace brimalox
