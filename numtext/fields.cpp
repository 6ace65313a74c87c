#include "numtext/fields.h"

namespace brimalox {

namespace {
using namespace std::string_view_literals;

// Fourteen blanks before "by", seventeen after: the title is laid out with blanks.
constexpr std::string_view kTitle = "BRIMALOX ANTENNA              by                 QZ9ZZQ"sv;

constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {Field::Text1, "Text1", "INPUT FREQUENCY IN MHZ", false, "label", "INPUT FREQUENCY IN MHZ"},
    {Field::Text2, "Text2", "146.00", true, "frequency field", "Frequency in MHz"},
    {Field::Text3, "Text3", "RECOMMENDED MINIMUM WIRE/TUBE", false, "label", "RECOMMENDED MINIMUM WIRE/TUBE"},
    {Field::Text4, "Text4", "14", true, "AWG field", "Wire gauge, AWG"},
    {Field::Text5, "Text5", "AWG", false, "label", "AWG"},
    {Field::Text6, "Text6", ".064", true, "inch field", "Conductor diameter in inches"},
    {Field::Text7, "Text7", "INCH", false, "label", "INCH"},
    {Field::Text8, "Text8", "1.626", true, "millimetre field", "Conductor diameter in millimetres"},
    {Field::Text9, "Text9", "MM", false, "label", "MM"},
    {Field::Text10, "Text10", "HEIGHT", false, "label", "HEIGHT"},
    {Field::Text11, "Text11", "00.00", true, "height field (inches)", "Height in inches"},
    {Field::Text12, "Text12", "IN", false, "label", "IN"},
    {Field::Text13, "Text13", "00.00", true, "height field (millimetres)", "Height in millimetres"},
    {Field::Text14, "Text14", "MM", false, "label", "MM"},
    {Field::Text15, "Text15", "SIDE", false, "label", "SIDE"},
    {Field::Text16, "Text16", "00.00", true, "side field (inches)", "Side in inches"},
    {Field::Text17, "Text17", "00.00", true, "side field (millimetres)", "Side in millimetres"},
    {Field::Text18, "Text18", "GAP", false, "label", "GAP"},
    {Field::Text19, "Text19", "00.00", true, "gap field (inches)", "Gap in inches"},
    {Field::Text20, "Text20", "00.00", true, "gap field (millimetres)", "Gap in millimetres"},
    {Field::Text21, "Text21", "300 OHM SERIES MATCH LENGHT\r\n", false, "label", "300 OHM SERIES MATCH LENGHT"},
    {Field::Text22, "Text22", "00.00", true, "series match field (inches)", "300 ohm series match length in inches"},
    {Field::Text23, "Text23", "00.00", true, "series match field (millimetres)", "300 ohm series match length in millimetres"},
    {Field::Text24, "Text24", kTitle, false, "title", "BRIMALOX ANTENNA by QZ9ZZQ"},
}};
}  // namespace

const std::array<FieldInfo, kFieldCount>& fieldTable() { return kFields; }

const FieldInfo& fieldInfo(Field field) { return kFields[static_cast<std::size_t>(field) - 1]; }

const FieldInfo* fieldByName(std::string_view name) {
    for (const FieldInfo& info : kFields)
        if (info.name == name) return &info;
    return nullptr;
}

std::string_view optionName(Option option) {
    return option == Option::Option1 ? "Option1" : "Option2";
}

}  // namespace brimalox
