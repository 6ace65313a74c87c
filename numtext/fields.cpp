#include "numtext/fields.h"

namespace brimalox {

const FieldInfo* fieldByName(std::string_view name) {
    for (const FieldInfo& info : kFieldInfo)
        if (info.name == name) return &info;
    return nullptr;
}

std::string_view optionName(Option option) { return option == Option::Option1 ? "Option1" : "Option2"; }

}  // namespace brimalox
