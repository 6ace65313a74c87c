#include "wiresize/gauge_table.h"

namespace brimalox {

std::int32_t gaugeForDiameter(double inches) {
    if (inches < kLowerTableBound || inches >= kUpperTableBound) return kOutOfRangeCode;
    // Between the lower bound and the thinnest row, the nearest gauge is still the thinnest one.
    std::int32_t code = kGaugeTable.front().code;
    for (const GaugeRow& row : kGaugeTable)
        if (inches >= row.inches) code = row.code;
    return code;
}

std::optional<double> diameterForGauge(double gauge) {
    for (const GaugeRow& row : kGaugeTable)
        if (gauge == static_cast<double>(row.code)) return row.inches;
    return std::nullopt;
}

std::string gaugeName(std::int32_t code) {
    switch (code) {
    case 9009: return "00";
    case 90009: return "000";
    case 900009: return "0000";
    default: return std::to_string(code);
    }
}

}  // namespace brimalox
