#pragma once
// Writing designs and tables as text (aligned, for people), CSV (RFC 4180) or JSON (RFC 8259).
// Rows are written as they come, through a buffer flushed in large blocks, so a sweep of millions of
// designs streams with flat memory.

#include <array>
#include <cstddef>
#include <exception>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/design_table.h"
#include "app/road.h"
#include "nec/report/report.h"
#include "numtext/csv_text.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace brimalox::cli {

// The model's reports and the command line's tables come in the same three formats.
using Format = nec::ReportFormat;

// --format, one of `names` typed in any case and kept as the names are written; every subcommand's.
CLI::Option* addFormatOption(CLI::App& command, std::string& format, const std::vector<std::string>& names,
                             const std::string& help);
// --format text, csv or json.
CLI::Option* addFormatOption(CLI::App& command, Format& format, const std::string& help);

// A table written row by row in one of the three formats. Text tables need their column widths
// before the first row: fit() the rows known in advance (all of them for a short list, the first and
// last of a sweep); a longer cell later just pushes its row out of line.
class TableWriter {
public:
    TableWriter(Format format, std::ostream& out, std::vector<Column> columns);
    ~TableWriter();
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    void fit(const std::vector<std::string>& cells);
    void row(const std::vector<std::string>& cells);
    // Closes the table (the JSON array, or a text table with no rows) and flushes.
    void finish();

private:
    void header();
    void flushIfFull();

    Format format_;
    std::ostream& out_;
    std::vector<Column> columns_;
    std::vector<std::size_t> widths_;
    std::string buffer_;
    std::size_t rows_ = 0;
    bool started_ = false;
    bool finished_ = false;
    int uncaughtAtStart_ = std::uncaught_exceptions();
};

// Text for a table cell or a message: control bytes become \xNN so they cannot break the layout.
std::string printable(std::string_view text);

}  // namespace brimalox::cli
