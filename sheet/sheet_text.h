#pragma once
// The build sheet as plain text for a terminal (the same content as the page, in columns), and for
// programs: the whole sheet as JSON, its cut list (with the feed's pieces) as CSV.

#include <string>

#include "sheet/build_sheet.h"

namespace brimalox::sheet {

std::string sheetText(const BuildSheet& sheet);
// The design as `design --format json` gives it, the cut list, the feed and the model's figures.
std::string sheetJson(const BuildSheet& sheet);
std::string cutListCsv(const BuildSheet& sheet);

}  // namespace brimalox::sheet
