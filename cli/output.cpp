#include "cli/output.h"

#include <algorithm>
#include <array>
#include <exception>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace brimalox::cli {

namespace {

constexpr std::size_t kFlushAt = 1 << 16;

const char* const kHex = "0123456789ABCDEF";

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

void appendPadded(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    if (text.size() < width) out.append(width - text.size(), ' ');
}

}  // namespace

CLI::Option* addFormatOption(CLI::App& command, std::string& format, const std::vector<std::string>& names,
                             const std::string& help) {
    return command.add_option("--format", format, help)
        ->transform(CLI::IsMember(names, CLI::ignore_case))
        ->type_name("FORMAT");
}

CLI::Option* addFormatOption(CLI::App& command, Format& format, const std::string& help) {
    static const std::vector<std::string> names{"text", "csv", "json"};
    return command
        .add_option_function<std::string>(
            "--format",
            [&format](const std::string& name) {
                format = name == "csv" ? Format::Csv : name == "json" ? Format::Json : Format::Text;
            },
            help)
        ->transform(CLI::IsMember(names, CLI::ignore_case))
        ->type_name("FORMAT");
}

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isControl(c)) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

TableWriter::TableWriter(Format format, std::ostream& out, std::vector<Column> columns)
    : format_(format), out_(out), columns_(std::move(columns)), widths_(columns_.size(), 0) {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        widths_[i] = columns_[i].unit.size();
    // A group heading must fit over its columns: widen the group's last column where it does not.
    for (std::size_t first = 0; first < columns_.size();) {
        std::size_t last = first;
        while (last + 1 < columns_.size() && columns_[last + 1].group.empty())
            ++last;
        std::size_t span = 0;
        for (std::size_t i = first; i <= last; ++i)
            span += widths_[i] + (i > first ? 2 : 0);
        if (columns_[first].group.size() > span) widths_[last] += columns_[first].group.size() - span;
        first = last + 1;
    }
    buffer_.reserve(kFlushAt + 4096);
}

TableWriter::~TableWriter() {
    // Not while an exception leaves the table: writing to a stream that has just failed can throw
    // again, and a second exception during unwinding ends the program.
    if (!finished_ && std::uncaught_exceptions() == uncaughtAtStart_) finish();
}

void TableWriter::fit(const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size() && i < widths_.size(); ++i)
        widths_[i] = std::max(widths_[i], printable(cells[i]).size());
}

void TableWriter::header() {
    started_ = true;
    switch (format_) {
    case Format::Text: {
        std::string groups, units;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const bool lastColumn = i + 1 == columns_.size();
            const std::size_t width = lastColumn ? 0 : widths_[i] + 2;
            if (!columns_[i].group.empty()) {
                // The group heading spans its columns; pad to where the next group starts.
                std::size_t span = 0;
                std::size_t j = i;
                do {
                    span += widths_[j] + 2;
                    ++j;
                } while (j < columns_.size() && columns_[j].group.empty());
                appendPadded(groups, columns_[i].group, j == columns_.size() ? 0 : span);
            }
            appendPadded(units, columns_[i].unit, width);
        }
        while (!groups.empty() && groups.back() == ' ')
            groups.pop_back();
        while (!units.empty() && units.back() == ' ')
            units.pop_back();
        buffer_ += groups + '\n' + units + '\n';
        break;
    }
    case Format::Csv:
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (i > 0) buffer_ += ',';
            appendCsvField(buffer_, columns_[i].key);
        }
        buffer_ += "\r\n";
        break;
    case Format::Json: buffer_ += '['; break;
    }
}

void TableWriter::row(const std::vector<std::string>& cells) {
    if (!started_) header();
    switch (format_) {
    case Format::Text: {
        const std::size_t start = buffer_.size();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const bool plain = std::none_of(cells[i].begin(), cells[i].end(),
                                            [](char c) { return isControl(static_cast<unsigned char>(c)); });
            const std::size_t width = i + 1 == cells.size() ? 0 : widths_[i] + 2;
            appendPadded(buffer_, plain ? std::string_view(cells[i]) : std::string_view(printable(cells[i])), width);
        }
        while (buffer_.size() > start && buffer_.back() == ' ')
            buffer_.pop_back();
        buffer_ += '\n';
        break;
    }
    case Format::Csv:
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) buffer_ += ',';
            appendCsvField(buffer_, cells[i]);
        }
        buffer_ += "\r\n";
        break;
    case Format::Json: {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i)
            object[std::string(columns_[i].key)] = cells[i];
        buffer_ += rows_ == 0 ? "\n  " : ",\n  ";
        buffer_ += object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        break;
    }
    }
    ++rows_;
    flushIfFull();
}

void TableWriter::finish() {
    finished_ = true;
    if (format_ == Format::Json) {
        if (!started_) header();
        buffer_ += rows_ == 0 ? "]\n" : "\n]\n";
    } else if (!started_ && format_ == Format::Csv) {
        header();  // an empty CSV still names its columns
    }
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    out_.flush();
    buffer_.clear();
}

void TableWriter::flushIfFull() {
    if (buffer_.size() < kFlushAt) return;
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

}  // namespace brimalox::cli
