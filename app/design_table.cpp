#include "app/design_table.h"

#include <array>
#include <utility>

namespace brimalox {

namespace {

// After the frequency and the sides, ACCEPT's recommendation: the conductor fields as ACCEPT left them.
constexpr std::array<std::pair<std::string_view, std::string DesignResult::*>, 3> kRecommended{{
    {"recommended_awg", &DesignResult::recommendedAwg},
    {"recommended_inch", &DesignResult::recommendedInch},
    {"recommended_mm", &DesignResult::recommendedMm},
}};
constexpr std::size_t kColumns = 2 + kRecommended.size() + kValueFields.size() - 1;

}  // namespace

const std::vector<Column>& designColumns() {
    static const std::vector<Column> columns = [] {
        const ValueField& frequency = kValueFields[0];
        std::vector<Column> c{{frequency.key, frequency.caption, frequency.unit}, {"sides", "SIDES", ""}};
        // The recommendation is in the conductor fields, which follow the frequency in the same order.
        for (std::size_t i = 0; i < kRecommended.size(); ++i)
            c.push_back({kRecommended[i].first, i == 0 ? "RECOMMENDED MINIMUM" : "", kValueFields[1 + i].unit});
        // A group's caption heads its first column only.
        for (std::size_t i = 1; i < kValueFields.size(); ++i) {
            const ValueField& v = kValueFields[i];
            c.push_back({v.key, kValueFields[i - 1].caption != v.caption ? v.caption : "", v.unit});
        }
        return c;
    }();
    return columns;
}

void designCells(const DesignResult& r, int sides, std::vector<std::string>& cells) {
    cells.resize(kColumns);
    std::size_t i = 0;
    cells[i++] = r.frequency;
    cells[i++].assign(1, sides == 4 ? '4' : '3');
    for (const auto& [key, text] : kRecommended)
        cells[i++] = r.*text;
    for (std::size_t v = 1; v < kValueFields.size(); ++v)
        cells[i++] = r.*kValueFields[v].text;
}

std::vector<std::string> designCells(const DesignResult& result, int sides) {
    std::vector<std::string> cells;
    designCells(result, sides, cells);
    return cells;
}

}  // namespace brimalox
