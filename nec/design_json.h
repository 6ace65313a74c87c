#pragma once
// The design as `design --format json` gives it, for every JSON report that names its design.

#include <nlohmann/json.hpp>

#include "nec/design_texts.h"

namespace brimalox::nec {

nlohmann::ordered_json designJson(const DesignTexts& design);

}  // namespace brimalox::nec
