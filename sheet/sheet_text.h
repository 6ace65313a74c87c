#pragma once
// The build sheet as plain text for a terminal: the same content as the page, in columns.

#include <string>

#include "sheet/build_sheet.h"

namespace brimalox::sheet {

std::string sheetText(const BuildSheet& sheet);

}  // namespace brimalox::sheet
