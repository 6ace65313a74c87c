#pragma once
// The main window without a screen: its start-up texts, two option buttons that clear each other, and a
// count of the windows the buttons asked for. The command line and the tests run the handlers on it.

#include <array>
#include <string>

#include "numtext/fields.h"
#include "numtext/form.h"

namespace brimalox {

class MemoryForm : public Form {
public:
    MemoryForm();

    std::string text(Field field) const override;
    void setText(Field field, std::string_view text) override;
    bool selected(Option option) const override;
    void showNotes() override { ++notesShown_; }
    void showWebsite() override { ++websiteShown_; }

    // What a user does with an option button: selecting one clears the other.
    void select(Option option);

    int notesShown() const { return notesShown_; }
    int websiteShown() const { return websiteShown_; }

private:
    std::array<std::string, kFieldCount> texts_;
    bool option1_ = false;
    bool option2_ = false;
    int notesShown_ = 0;
    int websiteShown_ = 0;
};

}  // namespace brimalox
