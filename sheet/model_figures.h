#pragma once
// A model check's figures for the build sheet, taken from the check's result: the one reading the
// command line's sheet --model and the page's sheet after its check share.

#include "nec/nec.h"
#include "sheet/build_sheet.h"

namespace brimalox::sheet {

// The SWR at the design frequency (the sweep's point nearest it), the lowest SWR, the stretches
// below 2:1, and the maximum gain and take-off angle of the pattern at the design frequency. Throws
// NecError when the model gave no sweep or no pattern.
ModelFigures modelFigures(const nec::Result& result);

}  // namespace brimalox::sheet
