#include "cli/gauges.h"

#include "app/buttons.h"
#include "app/memory_form.h"
#include "numtext/mod1.h"
#include "numtext/numtext.h"
#include "wiresize/gauge_table.h"

namespace brimalox::cli {

std::vector<GaugeListing> gaugeListings() {
    std::vector<GaugeListing> rows;
    rows.reserve(kGaugeTable.size());
    for (auto it = kGaugeTable.rbegin(); it != kGaugeTable.rend(); ++it) {
        MemoryForm form;
        Mod1 shared;
        const std::string code = integerToText(it->code);
        form.setText(Field::Text4, code);
        // The table's own codes always convert; a failure here would be a broken table.
        if (ClickOutcome outcome = press(Button::Command1, form, shared); !outcome.ok()) throw *outcome.failure;
        rows.push_back({gaugeName(it->code), code, form.text(Field::Text6), form.text(Field::Text8)});
    }
    return rows;
}

const std::vector<Column>& gaugeColumns() {
    static const std::vector<Column> columns{
        {"awg", "AWG", ""},
        {"code", "CODE", "to type"},
        {"inch", "DIAMETER", "inch"},
        {"mm", "", "mm"},
    };
    return columns;
}

}  // namespace brimalox::cli
