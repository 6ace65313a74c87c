// The clicks: any texts in the 24 fields, any option state and any sequence of the seven buttons
// on the headless form. Every click ends, a failure is one of the typed kinds, a click writes only
// the fields its handler writes, and replaying the same actions from a script gives the same form.
#include <array>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/buttons.h"
#include "app/memory_form.h"
#include "cli/replay.h"
#include "fuzz/fuzz_check.h"
#include "numtext/fields.h"

namespace {

using namespace brimalox;
using brimalox::fuzz::require;
using brimalox::fuzz::shown;

// A form that remembers which fields a click wrote, even with the text they already held.
class WatchedForm : public MemoryForm {
public:
    void setText(Field field, std::string_view text) override {
        written.insert(field);
        MemoryForm::setText(field, text);
    }
    std::set<Field> written;
};

// What each button's handler may write: the wire fields for ACCEPT and CHANGE, the dimension fields
// for COMPUTE, nothing for the two window buttons.
std::set<Field> mayWrite(Button button) {
    switch (button) {
    case Button::Command1: return {Field::Text6, Field::Text8};
    case Button::Command2: return {Field::Text4, Field::Text8};
    case Button::Command3: return {Field::Text4, Field::Text6};
    case Button::Command4:
        return {Field::Text11, Field::Text13, Field::Text16, Field::Text17,
                Field::Text19, Field::Text20, Field::Text22, Field::Text23};
    case Button::Command5:
    case Button::Command6: break;
    case Button::Command7: return {Field::Text4, Field::Text6, Field::Text8};
    }
    return {};
}

bool typedPair(FailureFamily family, FailureKind kind) {
    switch (family) {
    case FailureFamily::Conversion: return kind == FailureKind::TypeMismatch || kind == FailureKind::Overflow;
    case FailureFamily::FloatingPoint:
        return kind == FailureKind::Overflow || kind == FailureKind::DivisionByZero ||
               kind == FailureKind::InvalidOperation;
    case FailureFamily::FieldAccess: return kind == FailureKind::FieldAccess;
    }
    return false;
}

std::array<std::string, kFieldCount> texts(const Form& form) {
    std::array<std::string, kFieldCount> all;
    for (int i = 0; i < kFieldCount; ++i)
        all[i] = form.text(static_cast<Field>(i + 1));
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes bytes(data, size);
    WatchedForm form;
    Mod1 shared;
    std::vector<ClickOutcome> outcomes;
    std::string script;
    bool scriptable = true;  // a script line cannot hold a line feed, nor end in a carriage return
    int actions = 0;

    while (!bytes.empty() && actions++ < 4096) {
        switch (bytes.byte() % 3) {
        case 0: {
            const Field field = static_cast<Field>(bytes.byte() % kFieldCount + 1);
            const std::string text = bytes.text();
            form.setText(field, text);
            script += "set " + std::string(fieldInfo(field).name) + " " + text + "\n";
            scriptable = scriptable && text.find('\n') == std::string::npos && (text.empty() || text.back() != '\r');
            break;
        }
        case 1: {
            const Option option = bytes.byte() % 2 ? Option::Option2 : Option::Option1;
            form.select(option);
            script += "select " + std::string(optionName(option)) + "\n";
            break;
        }
        default: {
            const Button button = static_cast<Button>(bytes.byte() % 7 + 1);
            const auto before = texts(form);
            const int notes = form.notesShown(), website = form.websiteShown();
            form.written.clear();
            ClickOutcome outcome = press(button, form, shared);
            script += "click " + std::string(buttonName(button)) + "\n";

            const std::string story = std::string(buttonName(button)) + " after:\n" + shown(script);
            const std::set<Field> allowed = mayWrite(button);
            for (const Field field : form.written)
                require(allowed.count(field) == 1, "a click wrote a field its handler does not write",
                        std::string(fieldInfo(field).name) + " by " + story);
            const auto after = texts(form);
            for (int i = 0; i < kFieldCount; ++i)
                require(after[i] == before[i] || form.written.count(static_cast<Field>(i + 1)) == 1,
                        "a field changed without being written", story);
            require(form.notesShown() == notes + (button == Button::Command6 ? 1 : 0), "notes window count", story);
            require(form.websiteShown() == website + (button == Button::Command5 ? 1 : 0), "website count", story);

            if (const auto& failure = outcome.failure) {
                require(typedPair(failure->family(), failure->kind()), "a failure of no known kind", story);
                require(!failure->where().empty(), "a failure that names no step", story);
                const std::string message = outcome.message();
                require(message.find(failure->words().heading) != std::string::npos,
                        "the message does not name the family", story);
                require(failure->family() == FailureFamily::FieldAccess ||
                            message.find(outcome.kind()) != std::string::npos,
                        "the message does not name the kind", story);
            }
            outcomes.push_back(std::move(outcome));
            break;
        }
        }
    }

    if (!scriptable) return 0;
    cli::Replay replay;
    std::istringstream in(script);
    const auto error = replay.run(in);
    require(!error, "the replay reader refused a script of valid actions", shown(script));
    require(texts(replay.form()) == texts(form), "replaying gives other field texts", shown(script));
    require(replay.form().selected(Option::Option1) == form.selected(Option::Option1) &&
                replay.form().selected(Option::Option2) == form.selected(Option::Option2),
            "replaying gives another option state", shown(script));
    require(replay.clicks().size() == outcomes.size(), "replaying gives another number of clicks", shown(script));
    for (std::size_t i = 0; i < outcomes.size(); ++i)
        require(replay.clicks()[i].button == outcomes[i].button &&
                    replay.clicks()[i].family() == outcomes[i].family() &&
                    replay.clicks()[i].kind() == outcomes[i].kind(),
                "replaying gives another click outcome", shown(script));
    return 0;
}
