#pragma once
// What every JSON report of the model shares: the design as `design --format json` gives it, the
// head naming the model, and a stretch of frequencies.

#include <nlohmann/json.hpp>

#include "nec/analysis.h"
#include "nec/deck.h"
#include "nec/design_texts.h"
#include "nec/feed.h"

namespace brimalox::nec {

nlohmann::ordered_json designJson(const DesignTexts& design);

// generator, design, z0_ohms, ground and height_m, in that order.
// z0 is the reference of the SWR at `plane` ("gap", "junction" or "rig"), which the JSON names.
nlohmann::ordered_json reportHead(const DesignTexts& design, double z0, const Ground& ground,
                                  const char* plane = "gap");

nlohmann::json stretchJson(const Below2& stretch);

// The lowest SWR, under "lowest" in every JSON report alike: {"mhz": M, "swr": S, null when infinite}.
// The keys each report had before it (lowest_swr, lowest_mhz, lowest_swr_mhz) stay beside it,
// as they were, for scripts written against earlier versions.
nlohmann::json lowestJson(double mhz, double swr);

// The feed as described, with the plane its SWR is taken at.
nlohmann::json feedJson(const Feed& feed);

}  // namespace brimalox::nec
