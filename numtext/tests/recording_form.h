#pragma once
// A form for handler tests: starts with the window's start-up texts, logs every field read, field
// write and option read in order, and can be told to fail one access the way a broken control would.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/memory_form.h"
#include "numtext/failure.h"
#include "numtext/fields.h"
#include "numtext/form.h"
#include "numtext/mod1.h"

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
        for (const Access& access : log_)
            names.push_back(access.control);
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
        if (fail) throw ClickFailure(FailureFamily::FieldAccess, FailureKind::FieldAccess, "accessing " + control);
    }

    MemoryForm texts_;
    mutable std::vector<Access> log_;
    std::optional<std::string> failControl_;
    mutable int failOccurrence_ = 0;
};

inline std::vector<std::string> allTexts(const Form& form) {
    std::vector<std::string> texts;
    for (int i = 1; i <= kFieldCount; ++i)
        texts.push_back(form.text(static_cast<Field>(i)));
    return texts;
}

// Lets each access of a clean click fail in turn (a broken control): the click must stop at that
// access with a field access failure, keep every write made before it and make none after it.
// `prepare` sets up a fresh form and returns the shared values to start from.
template <typename Prepare, typename Click>
void expectEachFailedAccessStopsTheClick(Prepare prepare, Click click) {
    RecordingForm clean;
    Mod1 cleanShared = prepare(clean);
    click(clean, cleanShared);
    const std::vector<RecordingForm::Access> accesses = clean.log();
    ASSERT_FALSE(accesses.empty());
    std::map<std::string, int> seen;
    for (std::size_t k = 0; k < accesses.size(); ++k) {
        RecordingForm form;
        Mod1 shared = prepare(form);
        MemoryForm expected = form.memory();
        for (std::size_t i = 0; i < k; ++i)
            if (accesses[i].kind == RecordingForm::Access::Kind::Write)
                expected.setText(fieldByName(accesses[i].control)->field, accesses[i].text);
        form.failAccess(accesses[k].control, ++seen[accesses[k].control]);
        try {
            click(form, shared);
            ADD_FAILURE() << "no failure when access " << k << " (" << accesses[k].control << ") fails";
        } catch (const ClickFailure& failure) {
            EXPECT_EQ(failure.family(), FailureFamily::FieldAccess);
            EXPECT_EQ(failure.kind(), FailureKind::FieldAccess);
        }
        EXPECT_EQ(form.log().size(), k + 1) << "access " << k << " (" << accesses[k].control << ")";
        EXPECT_EQ(allTexts(form.memory()), allTexts(expected)) << "access " << k;
    }
}

}  // namespace brimalox::testing
