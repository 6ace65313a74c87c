#include "app/road.h"

#include <fast_float/fast_float.h>
#include <fmt/format.h>

#include <cmath>
#include <system_error>

#include "app/memory_form.h"
#include "numtext/mod1.h"

namespace brimalox {

const ValueField* valueField(Field field) {
    for (const ValueField& value : kValueFields)
        if (value.field == field) return &value;
    return nullptr;
}

Field conductorField(ConductorUnit unit) {
    switch (unit) {
    case ConductorUnit::Awg: return Field::Text4;
    case ConductorUnit::Inch: return Field::Text6;
    case ConductorUnit::Millimetre:
    case ConductorUnit::None: break;
    }
    return Field::Text8;
}

Button conductorButton(ConductorUnit unit) {
    switch (unit) {
    case ConductorUnit::Awg: return Button::Command1;
    case ConductorUnit::Inch: return Button::Command2;
    case ConductorUnit::Millimetre:
    case ConductorUnit::None: break;
    }
    return Button::Command3;
}

namespace {

// Reads every value field once the design has ended, successfully or not (the frequency as typed).
void collectResults(const Form& form, DesignResult& result) {
    for (const ValueField& value : kValueFields)
        if (value.field != Field::Text2) result.*value.text = form.text(value.field);
}

bool click(Button button, Form& form, Mod1& shared, DesignResult& result) {
    ClickOutcome outcome = press(button, form, shared);
    if (outcome.ok()) return true;
    result.failure = std::move(outcome);
    return false;
}

// ACCEPT, the CHANGE of the conductor's field, the option, COMPUTE, up to the first failed click.
template <class Select>
DesignResult road(const DesignRequest& request, int sides, Form& form, Mod1& shared, Select&& select) {
    DesignResult result;
    result.sides = sides;
    result.frequency = request.frequencyText;

    form.setText(Field::Text2, request.frequencyText);
    const bool accepted = click(Button::Command7, form, shared, result);
    result.recommendedMm = form.text(Field::Text8);
    result.recommendedInch = form.text(Field::Text6);
    result.recommendedAwg = form.text(Field::Text4);

    bool ok = accepted;
    if (ok && request.conductor.unit != ConductorUnit::None) {
        form.setText(conductorField(request.conductor.unit), request.conductor.text);
        ok = click(conductorButton(request.conductor.unit), form, shared, result);
    }
    if (ok) {
        select(sides == 4   ? std::optional(Option::Option2)
               : sides == 3 ? std::optional(Option::Option1)
                            : std::nullopt);
        click(Button::Command4, form, shared, result);
    }
    collectResults(form, result);
    return result;
}

}  // namespace

DesignResult runDesign(const DesignRequest& request) {
    // A copy of a start-up form reuses the storage of the previous design's texts: a sweep of a
    // million designs then allocates nothing for the form.
    static const MemoryForm startup;
    thread_local MemoryForm form;
    form = startup;
    Mod1 shared;
    return road(request, request.sides == 4 ? 4 : 3, form, shared,
                [](std::optional<Option> option) { form.select(*option); });
}

DesignResult runDesign(const DesignRequest& request, Form& form, Mod1& shared,
                       const std::function<void(std::optional<Option>)>& select) {
    const int sides = request.sides == 3 || request.sides == 4 ? request.sides : 0;
    return road(request, sides, form, shared, select);
}

DesignTexts shownDesign(const Form& form) {
    DesignTexts design;
    design.sides = form.selected(Option::Option1) ? 3 : form.selected(Option::Option2) ? 4 : 0;
    for (const ValueField& value : kValueFields)
        design.*value.text = form.text(value.field);
    return design;
}

std::string fileStem(const DesignTexts& design) {
    const std::string sides = std::to_string(design.sides) + "sided";
    std::string_view text = design.frequency;
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    if (text.size() > 1 && text.front() == '+') text.remove_prefix(1);
    double mhz = 0;
    const auto [end, error] = fast_float::from_chars(text.data(), text.data() + text.size(), mhz);
    // Only a number makes the name: a text the window refused would not be a name every system takes.
    const bool number = !text.empty() && error == std::errc() && end == text.data() + text.size() && std::isfinite(mhz);
    return number && mhz > 0 ? fmt::format("{:.15g}MHz-", mhz) + sides : "design-" + sides;
}

}  // namespace brimalox
