// The window table as a whole: what every front-end builds from must be a window that can exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/layout.h"
#include "app/tests/expectations.h"

namespace brimalox {
namespace {

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(Layout, NamesAreUniqueAndLookupsFindTheirOwnRow) {
    std::set<std::string_view> names;
    for (const Control& c : controls())
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
    for (const Control& c : controls()) {
        EXPECT_EQ(controlByName(c.name), &c) << c.name;
        if (c.field) {
            EXPECT_EQ(&control(*c.field), &c) << c.name;
        }
        if (c.button) {
            EXPECT_EQ(&control(*c.button), &c) << c.name;
        }
        if (c.option) {
            EXPECT_EQ(&control(*c.option), &c) << c.name;
        }
    }
    EXPECT_EQ(controlByName("Text25"), nullptr);
    EXPECT_EQ(pictureBox().name, "Picture1");
}

TEST(Layout, EveryControlButTheLineHasItsOwnTabStopFromZeroUp) {
    std::vector<int> stops;
    for (const Control& c : controls()) {
        if (c.kind == ControlKind::Line) {
            EXPECT_EQ(c.tab, -1);
            continue;
        }
        stops.push_back(c.tab);
    }
    std::sort(stops.begin(), stops.end());
    for (std::size_t i = 0; i < stops.size(); ++i)
        EXPECT_EQ(stops[i], static_cast<int>(i));
}

TEST(Layout, ControlsFitTheClientAreaAndNoTwoOverlap) {
    const WindowSpec& window = mainWindow();
    for (const Control& a : controls()) {
        // The title box alone is wider than the client area: the frame cuts it off.
        const int right = a.name == "Text24" ? window.clientWidth + 30 : window.clientWidth;
        EXPECT_GE(a.place.left, 0) << a.name;
        EXPECT_LE(a.place.left + a.place.width, right) << a.name;
        EXPECT_LE(a.place.top + a.place.height, window.clientHeight) << a.name;
        for (const Control& b : controls()) {
            if (&a < &b) {
                EXPECT_FALSE(overlap(a.place, b.place)) << a.name << " and " << b.name;
            }
        }
    }
}

TEST(Layout, KindsMatchWhatEachRowDrives) {
    int boxes = 0, buttons = 0, options = 0;
    for (const Control& c : controls()) {
        const bool textBox = c.kind == ControlKind::TextBox || c.kind == ControlKind::MultiLineTextBox;
        EXPECT_EQ(textBox, c.field.has_value()) << c.name;
        EXPECT_EQ(c.kind == ControlKind::PushButton, c.button.has_value()) << c.name;
        EXPECT_EQ(c.kind == ControlKind::OptionButton, c.option.has_value()) << c.name;
        boxes += textBox;
        buttons += c.button.has_value();
        options += c.option.has_value();
        if (textBox) {
            EXPECT_TRUE(c.font.has_value()) << c.name << ": every text box carries its own font";
            EXPECT_EQ(c.role, fieldInfo(*c.field).role) << c.name;
        } else {
            EXPECT_FALSE(c.font.has_value()) << c.name << ": the window's font";
        }
    }
    EXPECT_EQ(boxes, 24);
    EXPECT_EQ(buttons, 7);
    EXPECT_EQ(options, 2);
}

TEST(Layout, ValueFieldsAreTheTwelveTheHandlersUse) {
    std::set<std::string> values;
    for (const Control& box : textBoxes())
        if (box.valueField()) values.insert(std::string(box.name));
    std::set<std::string> expected;
    for (const char* group : {"input_fields", "result_fields"})
        for (const nlohmann::json& name : testing::expectedForm().at(group))
            expected.insert(name.get<std::string>());
    EXPECT_EQ(expected.size(), 12U);
    EXPECT_EQ(values, expected);
}

TEST(Layout, EachChangeButtonStandsBelowTheFieldItConverts) {
    const std::pair<Button, Field> pairs[] = {
        {Button::Command1, Field::Text4}, {Button::Command2, Field::Text6}, {Button::Command3, Field::Text8}};
    for (const auto& [button, field] : pairs) {
        EXPECT_EQ(control(button).place.left, control(field).place.left) << control(button).name;
        EXPECT_EQ(control(button).place.width, control(field).place.width) << control(button).name;
        EXPECT_GT(control(button).place.top, control(field).place.top) << control(button).name;
    }
}

TEST(Layout, NotesBoxFitsItsWindow) {
    const Rect& box = notesBox().place;
    EXPECT_LE(box.left + box.width, notesWindow().clientWidth);
    EXPECT_LE(box.top + box.height, notesWindow().clientHeight);
    EXPECT_EQ(notesBox().kind, ControlKind::MultiLineTextBox);
}

}  // namespace
}  // namespace brimalox
