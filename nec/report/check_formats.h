#pragma once
// The check's report in each format, for formatReport(): one file each.

#include <string>

#include "nec/report/report.h"

namespace brimalox::nec {

std::string checkText(const Analysis& analysis, const ReportContext& context);
// The sweep table; with a height sweep, heightsCsv() is the CSV instead.
std::string checkCsv(const Analysis& analysis, const ReportContext& context);
std::string heightsCsv(const ReportContext& context);
std::string checkJson(const Analysis& analysis, const ReportContext& context);

}  // namespace brimalox::nec
