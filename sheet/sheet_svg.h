#pragma once
// The build sheet as one printable SVG page, black on white, in millimetres: the page of the browser
// prints it and the command line writes it (and renders it to PDF), so both draw the same sheet.

#include <string>
#include <string_view>
#include <vector>

#include "sheet/build_sheet.h"

namespace brimalox::sheet {

enum class Paper { A4, Letter };

struct PaperSize {
    double widthMm, heightMm;
    double widthPt, heightPt;  // PostScript points, for a PDF page
};

PaperSize paperSize(Paper paper);

std::string sheetSvg(const BuildSheet& sheet, Paper paper);

// Words broken into lines of at most `width` characters (a longer word stands alone).
std::vector<std::string> wrapped(std::string_view text, std::size_t width);

// The width of a line of the sheet's text, estimated: capitals and digits of Liberation Sans are
// about 0.65 em wide on average. The layout keeps every line within the page by this estimate.
double textWidth(std::string_view text, double fontSize);

}  // namespace brimalox::sheet
