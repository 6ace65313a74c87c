#pragma once
// The wire gauge table as a user reads it: the gauge as AWG writes it, the code to type into the AWG
// field, and the inch and millimetre texts that CHANGE below the AWG field writes for that code.

#include <string>
#include <vector>

#include "cli/output.h"

namespace brimalox::cli {

struct GaugeListing {
    std::string awg;   // "0000", "000", "00", "0", "1" .. "40"
    std::string code;  // what to type: "900009", "90009", "9009", "0", "1" .. "40"
    std::string inch;  // the inch field after CHANGE
    std::string mm;    // the millimetre field after CHANGE
};

// Thickest first, as wire tables are usually printed.
std::vector<GaugeListing> gaugeListings();

const std::vector<Column>& gaugeColumns();

}  // namespace brimalox::cli
