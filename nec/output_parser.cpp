#include <fast_float/fast_float.h>

#include "nec/output_parser.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <string>

#include "nec/error.h"

namespace brimalox::nec {
namespace {

// Reads numbers one after another from a table row. nec2c's columns can touch when a value is
// negative ("1.2E+01-3.4E+00"), so numbers are taken by their syntax, not split on blanks.
class Row {
public:
    explicit Row(std::string_view line) : line_(line) {}

    bool number(double& value) {
        skipBlanks();
        const char* first = line_.data() + pos_;
        const auto [end, error] = fast_float::from_chars(first, line_.data() + line_.size(), value);
        // from_chars also reads "inf" and "nan", which would pass on into every SWR and gain.
        if (error != std::errc() || !std::isfinite(value)) return false;
        pos_ += static_cast<std::size_t>(end - first);
        return true;
    }
    bool integer(int& value) {
        double number = 0;
        // Range first: converting a double outside int's range is undefined, and no tag or segment
        // number is that large.
        if (!this->number(number) || !(std::fabs(number) <= std::numeric_limits<int>::max()) ||
            number != std::trunc(number))
            return false;
        value = static_cast<int>(number);
        return true;
    }
    // Skips a word of letters (the polarisation's sense, which a linear wave may leave blank).
    void word() {
        skipBlanks();
        while (pos_ < line_.size() && std::isalpha(static_cast<unsigned char>(line_[pos_])))
            ++pos_;
    }
    bool startsWithNumber() const {
        Row probe = *this;
        double ignored = 0;
        return probe.number(ignored);
    }

private:
    void skipBlanks() {
        while (pos_ < line_.size() && (line_[pos_] == ' ' || line_[pos_] == '\t' || line_[pos_] == '\r'))
            ++pos_;
    }
    std::string_view line_;
    std::size_t pos_ = 0;
};

class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        auto end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        ++number_;
        return true;
    }
    int number() const { return number_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

[[noreturn]] void unreadable(const Lines& lines, const std::string& what) {
    throw NecError("cannot read nec2c's output at line " + std::to_string(lines.number()) + ": " + what);
}

bool blank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

// Calls row() for each line of the table that follows a heading: header lines are skipped up to
// the first row that starts with a number, and the table ends at the next blank line.
template <typename OnRow>
void readTable(Lines& lines, OnRow row) {
    std::string_view line;
    bool started = false;
    while (lines.next(line)) {
        if (Row(line).startsWithNumber()) {
            started = true;
            row(line);
        } else if (started && blank(line)) {
            return;
        } else if (started) {
            unreadable(lines, "a table row that is not numbers");
        }
    }
}

}  // namespace

std::vector<FrequencyRun> parseNecOutput(std::string_view text) {
    std::vector<FrequencyRun> results;
    auto current = [&](const Lines& lines) -> FrequencyRun& {
        if (results.empty()) unreadable(lines, "a result table before any frequency");
        return results.back();
    };

    Lines lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (const auto at = line.find("FREQUENCY :"); at != std::string_view::npos) {
            FrequencyRun result;
            if (!Row(line.substr(at + 11)).number(result.mhz)) unreadable(lines, "a frequency that is not a number");
            results.push_back(result);
        } else if (line.find("ANTENNA INPUT PARAMETERS") != std::string_view::npos) {
            FrequencyRun& result = current(lines);
            readTable(lines, [&](std::string_view rowText) {
                Row row(rowText);
                FeedImpedance feed;
                double ignored = 0, r = 0, x = 0;
                const bool ok = row.integer(feed.tag) && row.integer(feed.segment) && row.number(ignored) &&
                                row.number(ignored) && row.number(ignored) && row.number(ignored) && row.number(r) &&
                                row.number(x);
                if (!ok) unreadable(lines, "an impedance row with missing numbers");
                feed.ohms = {r, x};
                result.feeds.push_back(feed);
            });
        } else if (line.find("RADIATION PATTERNS") != std::string_view::npos) {
            FrequencyRun& result = current(lines);
            const bool first = result.pattern.empty();
            if (!first && !result.finePattern.empty())
                unreadable(lines, "more than two pattern tables at one frequency");
            std::vector<PatternPoint>& table = first ? result.pattern : result.finePattern;
            readTable(lines, [&](std::string_view rowText) {
                Row row(rowText);
                PatternPoint point;
                if (!(row.number(point.thetaDeg) && row.number(point.phiDeg) && row.number(point.verticalDbi) &&
                      row.number(point.horizontalDbi) && row.number(point.totalDbi)))
                    unreadable(lines, "a pattern row with missing numbers");
                // Axial ratio, tilt, sense, then the two fields' magnitudes and phases.
                double ignored = 0, eTheta = 0, ePhi = 0;
                if (row.number(ignored) && row.number(ignored)) {
                    row.word();
                    if (row.number(eTheta) && row.number(ignored) && row.number(ePhi)) {
                        point.eThetaVm = eTheta;
                        point.ePhiVm = ePhi;
                    }
                }
                table.push_back(point);
            });
            if (table.empty()) unreadable(lines, "a pattern table without rows");
        } else if (const auto at = line.find("AVERAGE POWER GAIN:"); at != std::string_view::npos) {
            double value = 0;
            if (!Row(line.substr(at + 19)).number(value)) unreadable(lines, "an average gain that is not a number");
            FrequencyRun& result = current(lines);
            if (!result.averageGain) result.averageGain = value;
        } else if (const auto at = line.find("INPUT POWER"); at != std::string_view::npos) {
            const auto equals = line.find('=', at);
            double value = 0;
            if (equals == std::string_view::npos || !Row(line.substr(equals + 1)).number(value))
                unreadable(lines, "an input power that is not a number");
            current(lines).inputPowerW = value;
        }
    }
    bool anyImpedance = false;
    for (const FrequencyRun& result : results)
        anyImpedance = anyImpedance || !result.feeds.empty();
    if (!anyImpedance) throw NecError("nec2c's output holds no impedances");
    return results;
}

}  // namespace brimalox::nec
