#include "app/memory_form.h"

#include "app/layout.h"

namespace brimalox {

namespace {
std::size_t indexOf(Field field) { return static_cast<std::size_t>(field) - 1; }
}  // namespace

MemoryForm::MemoryForm() {
    for (const Control& box : textBoxes())
        texts_[indexOf(*box.field)] = box.text;
}

std::string MemoryForm::text(Field field) const { return texts_[indexOf(field)]; }

void MemoryForm::setText(Field field, std::string_view text) { texts_[indexOf(field)] = text; }

bool MemoryForm::selected(Option option) const { return option == Option::Option1 ? option1_ : option2_; }

void MemoryForm::select(Option option) {
    option1_ = option == Option::Option1;
    option2_ = option == Option::Option2;
}

}  // namespace brimalox
