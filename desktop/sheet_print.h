#pragma once
// The build sheet of the design the main window shows, drawn from the very SVG page the command
// line's sheet writes, onto a printer at its own resolution (a PDF file is a printer too).

#include <optional>
#include <string>

#include "app/road.h"
#include "sheet/build_sheet.h"
#include "sheet/sheet_svg.h"

class QPrinter;
class QString;
class QWidget;

namespace brimalox {

// The sheet of what the window shows: the recommended minimum is what ACCEPT proposes for the
// frequency field, everything else the fields' texts as they stand.
struct SheetPage {
    std::string svg;      // empty when there is no sheet
    std::string problem;  // then why, in words
};
SheetPage sheetOf(const DesignTexts& shown, sheet::Paper paper, const std::string& date,
                  const std::optional<sheet::ModelFigures>& model);

// A4 unless the printer is set to Letter.
sheet::Paper paperOf(const QPrinter& printer);
// Sets the printer to the paper, its whole sheet printable: the SVG page has its own margins.
void setPaper(QPrinter& printer, sheet::Paper paper);
// Draws the SVG page over the whole paper.
void paintSheet(QPrinter& printer, const std::string& svg);
// Writes the page as a one-page PDF; false when the file cannot be written. Qt SVG draws the sheet's
// text as outlines, so the PDF prints as the preview shows but holds no text to select or search,
// unlike brimalox-cli sheet --format pdf's (librsvg and cairo).
bool writeSheetPdf(const QString& path, const std::string& svg, sheet::Paper paper);

}  // namespace brimalox
