#pragma once
// The text boxes as the handlers know them: control name and the words a failure message uses for
// the field. How each box looks and what it shows at start is the window's business (app/layout.h).

#include <array>
#include <string_view>

#include "numtext/form.h"

namespace brimalox {

struct FieldInfo {
    Field field;
    std::string_view name;  // "Text2"
    std::string_view role;  // "frequency field": names the field in a failure message
};

inline constexpr int kFieldCount = 24;

// In field order: Text1 first.
inline constexpr std::array<FieldInfo, kFieldCount> kFieldInfo{{
    {Field::Text1, "Text1", "label"},
    {Field::Text2, "Text2", "frequency field"},
    {Field::Text3, "Text3", "label"},
    {Field::Text4, "Text4", "AWG field"},
    {Field::Text5, "Text5", "label"},
    {Field::Text6, "Text6", "inch field"},
    {Field::Text7, "Text7", "label"},
    {Field::Text8, "Text8", "millimetre field"},
    {Field::Text9, "Text9", "label"},
    {Field::Text10, "Text10", "label"},
    {Field::Text11, "Text11", "height field (inches)"},
    {Field::Text12, "Text12", "label"},
    {Field::Text13, "Text13", "height field (millimetres)"},
    {Field::Text14, "Text14", "label"},
    {Field::Text15, "Text15", "label"},
    {Field::Text16, "Text16", "side field (inches)"},
    {Field::Text17, "Text17", "side field (millimetres)"},
    {Field::Text18, "Text18", "label"},
    {Field::Text19, "Text19", "gap field (inches)"},
    {Field::Text20, "Text20", "gap field (millimetres)"},
    {Field::Text21, "Text21", "label"},
    {Field::Text22, "Text22", "series match field (inches)"},
    {Field::Text23, "Text23", "series match field (millimetres)"},
    {Field::Text24, "Text24", "title"},
}};

constexpr const FieldInfo& fieldInfo(Field field) { return kFieldInfo[static_cast<std::size_t>(field) - 1]; }
inline const std::array<FieldInfo, kFieldCount>& fieldTable() { return kFieldInfo; }
// Text1 .. Text24 by control name; nullptr when there is no such text box.
const FieldInfo* fieldByName(std::string_view name);

std::string_view optionName(Option option);  // "Option1"

}  // namespace brimalox
