#pragma once
// A form for handler tests: starts with the window's start-up texts, logs every field read, field
// write and option read in order, and can be told to fail one access the way a broken control would.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "numtext/failure.h"
#include "numtext/fields.h"
#include "numtext/form.h"
#include "numtext/memory_form.h"

namespace brimalox::testing {

class RecordingForm : public Form {
public:
    struct Access {
        enum class Kind { Read, Write, Option } kind;
        std::string control;  // "Text2", "Option1"
        std::string text;     // what was written (writes only)
    };

    std::string text(Field field) const override {
        const std::string name(fieldInfo(field).name);
        record({Access::Kind::Read, name, {}});
        return texts_.text(field);
    }
    void setText(Field field, std::string_view text) override {
        const std::string name(fieldInfo(field).name);
        record({Access::Kind::Write, name, std::string(text)});
        texts_.setText(field, text);
    }
    bool selected(Option option) const override {
        record({Access::Kind::Option, std::string(optionName(option)), {}});
        return texts_.selected(option);
    }
    void showNotes() override { texts_.showNotes(); }
    void showWebsite() override { texts_.showWebsite(); }

    // Test set-up; not logged.
    void put(Field field, std::string_view text) { texts_.setText(field, text); }
    void select(Option option) { texts_.select(option); }
    std::string peek(Field field) const { return texts_.text(field); }
    const MemoryForm& memory() const { return texts_; }

    // The occurrence-th access (1-based) to this control throws a field access failure; the
    // attempted access is logged, the field keeps its text.
    void failAccess(std::string control, int occurrence = 1) {
        failControl_ = std::move(control);
        failOccurrence_ = occurrence;
    }

    const std::vector<Access>& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // The controls touched, in order, for comparing with an expected sequence.
    std::vector<std::string> controls() const {
        std::vector<std::string> names;
        for (const Access& access : log_) names.push_back(access.control);
        return names;
    }
    std::vector<std::string> written() const {
        std::vector<std::string> names;
        for (const Access& access : log_)
            if (access.kind == Access::Kind::Write) names.push_back(access.control);
        return names;
    }

private:
    void record(Access access) const {
        const bool fail = failControl_ && access.control == *failControl_ && --failOccurrence_ == 0;
        const std::string control = access.control;
        log_.push_back(std::move(access));
        if (fail)
            throw ClickFailure(FailureFamily::FieldAccess, FailureKind::FieldAccess,
                               "accessing " + control);
    }

    MemoryForm texts_;
    mutable std::vector<Access> log_;
    std::optional<std::string> failControl_;
    mutable int failOccurrence_ = 0;
};

}  // namespace brimalox::testing
