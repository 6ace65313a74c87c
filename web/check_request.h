#pragma once
// The check's request as the page sends it (the window's texts, the settings as typed, a measured
// file), read once for every call of the page's module that needs the design and its settings.

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "app/road.h"
#include "nec/request.h"

namespace brimalox::web {

// The text under key as the page sent it; "" when it sent none.
std::string jsonText(const nlohmann::json& object, const char* key);
// The feed system as the check's form sends it: {"line", "loss", "section", "balun", "coax", "rigZ0",
// "at"} under "feed", each empty when not typed.
nec::FeedSettings feedSettingsOf(const nlohmann::json& settings);
nec::Request checkRequestOf(const nlohmann::json& in);

// A conductor's unit in the page's words: "awg", "inch", "mm", and "recommended" for none.
const char* unitName(ConductorUnit unit);
// The unit a word names; ConductorUnit::None for any other word.
ConductorUnit unitNamed(std::string_view word);

}  // namespace brimalox::web
