#pragma once
// Text inside CSV (RFC 4180): a field quoted, its quotes doubled, where it would otherwise break the
// row. Every CSV the program writes goes through here.

#include <string>
#include <string_view>

namespace brimalox {

enum class CsvQuotes { WhereNeeded, Always };

// Appends the field; WhereNeeded quotes it only when it holds a comma, quote, CR or LF.
void appendCsvField(std::string& out, std::string_view field, CsvQuotes quotes = CsvQuotes::WhereNeeded);

}  // namespace brimalox
