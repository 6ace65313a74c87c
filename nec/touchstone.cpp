#include <fast_float/fast_float.h>

#include "nec/touchstone.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "nec/deck.h"
#include "nec/error.h"
#include "numtext/figures.h"

namespace brimalox::nec {
namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos])))
            ++pos;
        std::size_t end = pos;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])))
            ++end;
        if (end > pos) out.push_back(line.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

bool number(std::string_view word, double& value) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const auto [end, error] = fast_float::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size() && std::isfinite(value);
}

// A word of the file as a message quotes it: long ones are cut, so the message stays readable.
std::string shownWord(std::string_view word) {
    constexpr std::size_t kLongest = 24;
    return "\"" + std::string(word.substr(0, kLongest)) + (word.size() > kLongest ? "...\"" : "\"");
}

[[noreturn]] void bad(int line, const std::string& what) {
    throw NecError("Touchstone line " + std::to_string(line) + ": " + what);
}

}  // namespace

Touchstone readTouchstone(std::string_view text) {
    Touchstone file;
    double unitMhz = 1000;  // GHz unless the option line says otherwise
    char parameter = 's';
    std::string format = "ma";
    bool options = false;
    int lineNumber = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (const auto bang = line.find('!'); bang != std::string_view::npos) line = line.substr(0, bang);
        const std::vector<std::string_view> parts = words(line);
        if (parts.empty()) {
            if (end == text.size()) break;
            continue;
        }
        if (parts.front().front() == '[')
            bad(lineNumber,
                "a Touchstone 2 keyword (" + shownWord(parts.front()) + "); export the file as Touchstone 1 (.s1p)");
        if (parts.front().front() == '#') {
            if (options) continue;  // only the first option line counts
            options = true;
            std::vector<std::string> fields;
            if (parts.front().size() > 1) fields.push_back(lower(parts.front().substr(1)));
            for (std::size_t i = 1; i < parts.size(); ++i)
                fields.push_back(lower(parts[i]));
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const std::string& f = fields[i];
                if (f == "hz")
                    unitMhz = 1e-6;
                else if (f == "khz")
                    unitMhz = 1e-3;
                else if (f == "mhz")
                    unitMhz = 1;
                else if (f == "ghz")
                    unitMhz = 1000;
                else if (f == "s" || f == "z" || f == "y")
                    parameter = f[0];
                else if (f == "h" || f == "g")
                    bad(lineNumber, "the option line gives " + f +
                                        "-parameters, which a one-port file does not hold; S, Z or Y are read");
                else if (f == "ri" || f == "ma" || f == "db")
                    format = f;
                else if (f == "r") {
                    double r = 0;
                    if (i + 1 >= fields.size() || !number(fields[i + 1], r) || !(r > 0))
                        bad(lineNumber, "R on the option line needs a positive reference resistance in ohms");
                    file.referenceOhms = r;
                    ++i;
                } else {
                    bad(lineNumber, "the option line has " + shownWord(f) +
                                        ", which is none of Hz, kHz, MHz, GHz, S, Z, Y, RI, MA, DB or R");
                }
            }
            continue;
        }
        if (!options) bad(lineNumber, "data before the option line (# unit parameter format R ohms)");
        if (parts.size() != 3)
            bad(lineNumber, std::to_string(parts.size()) +
                                " numbers where a one-port line has 3 (frequency and a pair)" +
                                (parts.size() == 9 ? "; this looks like a two-port (.s2p) file" : ""));
        double values[3];
        for (int i = 0; i < 3; ++i)
            if (!number(parts[i], values[i])) bad(lineNumber, shownWord(parts[i]) + " is not a number");
        const double mhz = values[0] * unitMhz;
        if (!(mhz > 0)) bad(lineNumber, "the frequency " + shownWord(parts[0]) + " is not positive");
        if (!std::isfinite(mhz)) bad(lineNumber, "the frequency " + shownWord(parts[0]) + " is too large to compute");
        if (!file.mhz.empty() && !(mhz > file.mhz.back()))
            bad(lineNumber,
                "the frequency " + shownWord(parts[0]) + " is not above the one before it; frequencies must increase");
        std::complex<double> pair;
        if (format == "ri") {
            pair = {values[1], values[2]};
        } else {
            const double magnitude = format == "db" ? std::pow(10.0, values[1] / 20) : values[1];
            pair = std::polar(magnitude, values[2] * std::numbers::pi / 180);
        }
        const double r = file.referenceOhms;
        std::complex<double> z;
        if (parameter == 's') {
            if (pair == std::complex<double>(1, 0))
                bad(lineNumber, "S11 = 1 is an open circuit: no impedance to compare");
            z = r * quotient(1.0 + pair, 1.0 - pair);
        } else if (parameter == 'z') {
            z = pair * r;  // version 1 files hold Z normalised to R
        } else {
            if (pair == std::complex<double>(0, 0))
                bad(lineNumber, "Y = 0 is an open circuit: no impedance to compare");
            z = r * quotient(1.0, pair);  // and Y normalised to 1 / R
        }
        // A magnitude near the largest double overflows on the way to ohms.
        if (!std::isfinite(z.real()) || !std::isfinite(z.imag()))
            bad(lineNumber,
                "the pair " + shownWord(parts[1]) + " " + shownWord(parts[2]) + " gives no finite impedance");
        file.mhz.push_back(mhz);
        file.ohms.push_back(z);
        if (end == text.size()) break;
    }
    if (file.mhz.empty()) throw NecError("the Touchstone file holds no data lines");
    return file;
}

MeasuredSwr measuredSwr(const Touchstone& file, double z0) {
    MeasuredSwr out;
    for (std::size_t i = 0; i < file.mhz.size(); ++i)
        out.points.push_back({file.mhz[i], swr(file.ohms[i], z0)});
    return out;
}

MeasuredSummary summarise(const MeasuredSwr& measured, const std::string& file, double designMhz) {
    std::vector<SweepRow> rows;
    for (const auto& [mhz, value] : measured.points)
        rows.push_back({mhz, {}, value});
    const Analysis ranges = rangesOf(std::move(rows), 0, designMhz);
    MeasuredSummary summary;
    summary.file = file;
    summary.lowestSwr = ranges.lowestSwr;
    summary.lowestMhz = ranges.lowestMhz;
    summary.stretches = ranges.stretches;
    return summary;
}

std::string referenceNote(const Touchstone& file, double z0) {
    if (file.referenceOhms == z0) return {};
    return "the file was taken against " + numberText(file.referenceOhms, 7) + " ohms; its SWR here is against " +
           numberText(z0, 7) + " ohms, converted from its impedances";
}

std::string writeTouchstone(const Analysis& analysis, double z0, const std::string& title, Plane plane) {
    const std::string where = analysis.planes.empty() || plane == Plane::Gap
                                  ? std::string("gap 1")
                                  : std::string("the ") + planeName(plane) + " through the feed";
    std::string text =
        "! " + title + "\n! simulated by nec2c; reflection coefficient at " + where + " with every gap driven\n";
    text += "# MHz S RI R " + exactText(z0) + "\n";
    for (std::size_t i = 0; i < analysis.rows.size(); ++i) {
        const SweepRow& row = analysis.rows[i];
        const std::complex<double> z = ohmsAt(analysis, i, plane);
        const std::complex<double> gamma = reflection(z, z0);
        text += exactText(row.mhz) + " " + exactText(gamma.real()) + " " + exactText(gamma.imag()) + "\n";
    }
    return text;
}

}  // namespace brimalox::nec
