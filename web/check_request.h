#pragma once
// The check's request as the page sends it (the window's texts, the settings as typed, a measured
// file), read once for every call of the page's module that needs the design and its settings.

#include <nlohmann/json.hpp>

#include "nec/request.h"

namespace brimalox::web {

nec::Request checkRequestOf(const nlohmann::json& in);

}  // namespace brimalox::web
