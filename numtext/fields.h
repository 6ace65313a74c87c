#pragma once
// Every text box of the main window: its control name, start-up text, and what it is, in words for
// messages and screen readers. The window, the headless form and the messages all use this table.

#include <array>
#include <string_view>

#include "numtext/form.h"

namespace brimalox {

struct FieldInfo {
    Field field;
    std::string_view name;         // "Text2"
    std::string_view defaultText;  // what the box shows at start
    bool valueField;               // read or written by a handler (else a fixed caption)
    std::string_view role;         // "frequency field": names the field in a failure message
    std::string_view accessibleName;  // "Frequency in MHz"
};

inline constexpr int kFieldCount = 24;

const std::array<FieldInfo, kFieldCount>& fieldTable();
const FieldInfo& fieldInfo(Field field);
// Text1 .. Text24 by control name; nullptr when there is no such text box.
const FieldInfo* fieldByName(std::string_view name);

std::string_view optionName(Option option);  // "Option1"

}  // namespace brimalox
