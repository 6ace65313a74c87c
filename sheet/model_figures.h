#pragma once
// A model check's figures for the build sheet, taken from the check's result: the one reading the
// command line's sheet --model and the page's sheet after its check share.

#include <optional>
#include <string>
#include <variant>

#include "nec/nec.h"
#include "sheet/build_sheet.h"

namespace brimalox::sheet {

// The SWR at the design frequency (the sweep's point nearest it), the lowest SWR, the stretches
// below 2:1, and the maximum gain and take-off angle of the pattern at the design frequency. Throws
// NecError when the model gave no sweep or no pattern.
ModelFigures modelFigures(const nec::Result& result);
// The feed a check was asked for, for the sheet's list of pieces.
FeedFigures feedFigures(const nec::Feed& feed);

// Why the model check refuses the design as no design at all (a frequency that is not positive
// gives negative lengths), in the check's words; nothing when the check takes it or refuses it only
// as beyond what NEC-2 models faithfully, which can still be built. A sheet of such a design would
// be a cut list of negative lengths.
std::optional<std::string> refusedDesign(const DesignTexts& design);

// The sheet of what a window shows: the recommended minimum is what ACCEPT proposes for the
// frequency field, everything else the fields' texts as they stand. Or why there is none, in the
// words a window says it with.
std::variant<BuildSheet, std::string> shownSheet(const DesignTexts& shown, std::string date,
                                                 std::optional<ModelFigures> model, std::string remark = {},
                                                 const SheetAdditions& additions = {});

// What the sheet of a trimmed design (nec::trimmedDesign) says of the trim.
std::string trimRemark(const nec::Trim& trim);

}  // namespace brimalox::sheet
