#include "sheet/cut_list.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>

#include <fmt/compile.h>
#include <fmt/format.h>

#include "numtext/numtext.h"

namespace brimalox::sheet {

namespace {

// The decimal places a field text is written to: "9.67" 2, "421.2329" 4, "1.5E-05" 6, "1E+07" 0.
int decimalPlaces(std::string_view text) {
    const std::size_t e = text.find_first_of("eEdD");
    const std::string_view mantissa = text.substr(0, e);
    int exponent = 0;
    if (e != std::string_view::npos) {
        const Parsed<double> parsed = parseDouble(std::string("1") + std::string(text.substr(e)));
        if (parsed.ok()) exponent = static_cast<int>(std::lround(std::log10(parsed.value)));
    }
    const std::size_t point = mantissa.find('.');
    int fraction = 0;
    if (point != std::string_view::npos)
        for (std::size_t i = point + 1; i < mantissa.size() && mantissa[i] >= '0' && mantissa[i] <= '9'; ++i)
            ++fraction;
    return std::clamp(fraction - exponent, 0, 17);
}

// A value known to have at most `places` decimals, written with exactly those it needs.
std::string exactText(double value, int places) {
    std::string text = fmt::format(FMT_COMPILE("{:.{}f}"), value, places);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

struct Row {
    std::string_view label;  // the row's label on the window
    const std::string* mm;
    const std::string* inch;
    double mmValue = 0, inchValue = 0;
};

std::optional<std::string> readRow(Row& row) {
    for (auto [text, unit, value] :
         {std::tuple{row.mm, "MM", &row.mmValue}, std::tuple{row.inch, "IN", &row.inchValue}}) {
        const Parsed<double> parsed = parseDouble(*text);
        if (!parsed.ok() || !std::isfinite(parsed.value))
            return fmt::format(
                FMT_COMPILE("the {} field in {} holds \"{}\", which is not a number: compute the design first"),
                row.label, unit, *text);
        *value = parsed.value;
    }
    return std::nullopt;
}

Length shown(const Row& row) { return {*row.mm, *row.inch, tapeText(row.inchValue), {}}; }

}  // namespace

std::string roundedDecimal(std::string_view fixed, int places) {
    std::string text(fixed);
    const std::size_t point = text.find('.');
    if (point != std::string::npos && text.size() - point - 1 > static_cast<std::size_t>(places)) {
        const bool up = text[point + 1 + static_cast<std::size_t>(places)] >= '5';
        text.resize(point + 1 + static_cast<std::size_t>(places));
        if (up) {
            // Carry from the last kept digit, over the point, possibly into a new leading digit.
            std::size_t i = text.size();
            bool carry = true;
            while (carry && i-- > 0) {
                if (text[i] == '.') continue;
                if (text[i] < '0' || text[i] > '9') break;
                if (text[i] == '9') {
                    text[i] = '0';
                } else {
                    ++text[i];
                    carry = false;
                }
            }
            if (carry) text.insert(text[0] == '-' ? 1 : 0, 1, '1');
        }
    }
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0" || text.empty()) text = "0";
    return text;
}

std::string tapeText(double inches) {
    const double sixteenths = std::abs(inches) * 16;
    if (!std::isfinite(sixteenths) || sixteenths > 1e15) return {};
    const long long n = std::llround(sixteenths);
    const long long feet = n / 192, inchesPart = n % 192 / 16;
    long long numerator = n % 16, denominator = 16;
    const long long common = std::gcd(numerator, denominator);
    numerator /= common;
    denominator /= common;
    std::string text = inches < 0 && n > 0 ? "-" : "";
    if (feet > 0) text += fmt::format(FMT_COMPILE("{} ft "), feet);
    if (inchesPart > 0 || numerator == 0) text += fmt::format(FMT_COMPILE("{}"), inchesPart);
    if (numerator > 0) text += fmt::format(FMT_COMPILE("{}{}/{}"), inchesPart > 0 ? " " : "", numerator, denominator);
    return text + " in";
}

std::variant<CutList, std::string> makeCutList(const DesignResult& d, int sides) {
    Row height{"HEIGHT", &d.heightMm, &d.heightInch};
    Row side{"SIDE", &d.sideMm, &d.sideInch};
    Row gap{"GAP", &d.gapMm, &d.gapInch};
    Row match{"300 OHM SERIES MATCH LENGHT", &d.matchMm, &d.matchInch};
    for (Row* row : {&height, &side, &gap, &match})
        if (auto problem = readRow(*row)) return *problem;
    for (const Row* row : {&height, &side, &gap})
        if (row->mmValue == 0)
            return fmt::format(FMT_COMPILE("the {} field shows {}: there is nothing to cut; compute the design first"),
                               row->label, *row->mm);

    CutList list;
    list.sides = sides == 4 ? 4 : 3;
    const int n = list.sides;
    list.height = shown(height);
    list.side = shown(side);
    list.gap = shown(gap);
    list.match = shown(match);

    // The texts have few decimals, so these sums are exact once written to the decimals they can
    // have: a half has one more than its terms, a sum of multiples no more than its terms.
    {
        const int mmPlaces = std::max(decimalPlaces(d.heightMm), decimalPlaces(d.gapMm)) + 1;
        const int inchPlaces = std::max(decimalPlaces(d.heightInch), decimalPlaces(d.gapInch)) + 1;
        const double inch = (height.inchValue - gap.inchValue) / 2;
        list.halfVertical = {exactText((height.mmValue - gap.mmValue) / 2, mmPlaces),
                             roundedDecimal(exactText(inch, inchPlaces), 3), tapeText(inch), "(height - gap) / 2"};
    }
    {
        const int mmPlaces = std::max({decimalPlaces(d.heightMm), decimalPlaces(d.gapMm), decimalPlaces(d.sideMm)});
        const int inchPlaces =
            std::max({decimalPlaces(d.heightInch), decimalPlaces(d.gapInch), decimalPlaces(d.sideInch)});
        const double inch = 2 * n * side.inchValue + n * (height.inchValue - gap.inchValue);
        list.total = {exactText(2 * n * side.mmValue + n * (height.mmValue - gap.mmValue), mmPlaces),
                      roundedDecimal(exactText(inch, inchPlaces), 3), tapeText(inch),
                      fmt::format(FMT_COMPILE("{} x side + {} x (height - gap) / 2"), 2 * n, 2 * n)};
    }

    list.pieces = {
        {"SIDES", 2 * n, list.side, fmt::format(FMT_COMPILE("{} at the top and {} at the bottom"), n, n), "", "", {}},
        {"VERTICAL HALVES", 2 * n, list.halfVertical, "above and below each gap", "", "", {}},
        {"FEED GAPS", n, list.gap, "one in the middle of each vertical", "", "", {}},
        {"300 OHM SERIES MATCH", n, list.match, "300 ohm ladder line, one for each gap", "", "", {}},
    };
    return list;
}

void addJointAllowance(CutList& cuts, double mm) {
    if (!(mm > 0)) return;
    const std::string allowance = fmt::format(FMT_COMPILE("{}"), mm);
    const auto added = [&](const Length& l, int joints) {
        const Parsed<double> designMm = parseDouble(l.mm), designInch = parseDouble(l.inch);
        const double inch = designInch.value + joints * mm / 25.4;
        return Length{exactText(designMm.value + joints * mm, std::max(decimalPlaces(l.mm), decimalPlaces(allowance))),
                      roundedDecimal(fmt::format(FMT_COMPILE("{:.9f}"), inch), 3), tapeText(inch),
                      "design " + l.mm + " mm (" + l.inch + " in) + " +
                          (joints == 1 ? "" : std::to_string(joints) + " x ") + allowance};
    };
    int pieces = 0;
    for (CutPiece& piece : cuts.pieces) {
        if (&piece == &cuts.pieces[2]) continue;  // the feed gaps: a space, not a piece
        piece.cut = added(piece.length, 1);
        if (&piece != &cuts.pieces[3]) pieces += piece.count;  // wire; the series match is line
    }
    cuts.totalCut = added(cuts.total, pieces);
}

std::vector<CutRow> cutRows(const CutList& cuts) {
    std::vector<CutRow> rows;
    auto noted = [](std::string note, const std::string& more) { return more.empty() ? note : note + "; " + more; };
    auto cutOf = [](const Length& l) { return l.mm.empty() ? nullptr : &l; };
    for (const CutPiece& piece : cuts.pieces)
        rows.push_back({piece.name, std::to_string(piece.count), &piece.length,
                        noted(noted(piece.note, piece.insulated), piece.trim), cutOf(piece.cut)});
    rows.push_back({"TOTAL CONDUCTOR", "", &cuts.total,
                    noted("the sides and the vertical halves end to end", cuts.totalInsulated), cutOf(cuts.totalCut)});
    return rows;
}

}  // namespace brimalox::sheet
