#include "numtext/csv_text.h"

#include <algorithm>

namespace brimalox {

void appendCsvField(std::string& out, std::string_view field, CsvQuotes quotes) {
    // A plain loop: find_first_of with a set searches the set once per character.
    const bool needsQuotes = quotes == CsvQuotes::Always || std::any_of(field.begin(), field.end(), [](char c) {
                                 return c == ',' || c == '"' || c == '\r' || c == '\n';
                             });
    if (!needsQuotes) {
        out += field;
        return;
    }
    out += '"';
    for (const char ch : field) {
        if (ch == '"') out += '"';
        out += ch;
    }
    out += '"';
}

}  // namespace brimalox
