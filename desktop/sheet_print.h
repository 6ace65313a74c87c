#pragma once
// The build sheet of the design the main window shows, drawn from the very SVG page the command
// line's sheet writes, onto a printer at its own resolution, in a print preview, or saved as the
// command line saves it.

#include <functional>
#include <optional>
#include <string>

#include "app/road.h"
#include "desktop/design_file.h"
#include "sheet/build_sheet.h"
#include "sheet/sheet_svg.h"

class QPrinter;
class QString;
class QWidget;

namespace brimalox {

class CheckWindow;

struct SheetPage {
    std::string svg;      // empty when there is no sheet
    std::string problem;  // then why, in words
    // The cut list as CSV and the whole sheet as JSON, as brimalox-cli sheet --format csv and json
    // write them: the same on either paper.
    std::string cutListCsv, json;
};
SheetPage sheetOf(const DesignTexts& shown, sheet::Paper paper, const std::string& date,
                  const std::optional<sheet::ModelFigures>& model, const std::string& remark = {},
                  const sheet::SheetAdditions& additions = {});

// The sheet of the design shown on a date, with the figures and the feed of the last check while
// that check is of the design shown: taken once, so every paper of one preview shows the same.
struct CheckedSheet {
    DesignTexts shown;
    std::string date;
    std::optional<sheet::ModelFigures> model;
    sheet::SheetAdditions feed;
    SheetPage page(sheet::Paper paper) const { return sheetOf(shown, paper, date, model, {}, feed); }
};
CheckedSheet checkedSheet(const CheckWindow* check, const DesignTexts& shown, const std::string& date);

// A4 unless the printer is set to Letter.
sheet::Paper paperOf(const QPrinter& printer);
// Sets the printer to the paper, its whole sheet printable: the SVG page has its own margins.
void setPaper(QPrinter& printer, sheet::Paper paper);
// Draws the SVG page over the whole paper; printing to a PDF file writes the command line's PDF
// instead, whose text stays text. False, with the reason, when that file cannot be written.
bool paintSheet(QPrinter& printer, const std::string& svg, QString* why = nullptr);
// Writes the page as brimalox-cli sheet --format pdf writes it (its text stays text). False, with
// the reason, when the PDF cannot be made or the file cannot be written.
bool writeSheetPdf(const QString& path, const std::string& svg, sheet::Paper paper, QString* why = nullptr);

// The sheet on a paper, its page empty when there is none.
using SheetPages = std::function<SheetPage(sheet::Paper)>;
// A print preview of the pages, not modal, with the paper, SAVE AS PDF and SVG, the cut list as CSV
// and the sheet as JSON in its tool bar, each with its key; the files are offered as stem plus
// ".pdf", ".svg", ".csv" or ".json".
void previewSheet(QWidget* parent, const QString& title, const QString& stem, const SheetPages& page);

}  // namespace brimalox
