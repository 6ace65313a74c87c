#pragma once
// The window as the handlers see it: text boxes read and written whole, two option buttons, and the
// two windows that buttons can open. The Qt window and the headless form both implement it.
// A read or write that cannot be done throws ClickFailure (field access).

#include <string>
#include <string_view>

namespace brimalox {

enum class Field {
    Text1 = 1,
    Text2,
    Text3,
    Text4,
    Text5,
    Text6,
    Text7,
    Text8,
    Text9,
    Text10,
    Text11,
    Text12,
    Text13,
    Text14,
    Text15,
    Text16,
    Text17,
    Text18,
    Text19,
    Text20,
    Text21,
    Text22,
    Text23,
    Text24
};
enum class Option { Option1, Option2 };
// The seven push buttons, whose clicks run the handlers.
enum class Button { Command1 = 1, Command2, Command3, Command4, Command5, Command6, Command7 };

class Form {
public:
    virtual ~Form() = default;
    virtual std::string text(Field field) const = 0;
    virtual void setText(Field field, std::string_view text) = 0;
    virtual bool selected(Option option) const = 0;
    // Create the notes window once and show it without blocking.
    virtual void showNotes() = 0;
    // The website button's window: information about the program.
    virtual void showWebsite() = 0;
};

}  // namespace brimalox
