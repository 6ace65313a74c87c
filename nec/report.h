#pragma once
// The simulation's results for people (text), spreadsheets (CSV: the sweep table only) and
// programs (JSON).

#include <string>

#include "nec/analysis.h"
#include "nec/design_texts.h"

namespace brimalox::nec {

enum class ReportFormat { Text, Csv, Json };

std::string formatReport(const Analysis& analysis, const DesignTexts& design, ReportFormat format);

// "BRIMALOX THREE SIDED for 146.00 MHz, conductor 1.626 mm": heads the report and the chart.
std::string title(const DesignTexts& design);

// "123.4 +j56.7" / "12.3 -j4.5" ohms.
std::string impedanceText(std::complex<double> ohms);

}  // namespace brimalox::nec
