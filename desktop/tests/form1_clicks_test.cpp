// Clicks on the real window: each button reaches its own handler, the road of one design, and what a
// user sees when a click fails.
#include <map>
#include <vector>

#include "app/buttons.h"
#include "app/memory_form.h"
#include "app/website_text.h"
#include "dimensions/tests/worked_examples.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

using ClickTest = WindowTest;

struct Input {
    Field field;
    const char* text;
};

struct WiringCase {
    Button button;
    std::vector<Input> inputs;
    std::vector<Field> mustChange;  // fields that only this button's handler writes from these inputs
};

// Distinctive inputs: each button, given these, changes fields that no other handler would change
// in the same way. The expected texts come from running that handler on a headless form.
const WiringCase kWiring[] = {
    {Button::Command1, {{Field::Text4, "8"}}, {Field::Text6, Field::Text8}},
    {Button::Command2, {{Field::Text6, ".1"}}, {Field::Text4, Field::Text8}},
    {Button::Command3, {{Field::Text8, "3"}}, {Field::Text4, Field::Text6}},
    {Button::Command4, {{Field::Text2, "50"}}, {Field::Text23, Field::Text22}},
    {Button::Command7, {{Field::Text2, "220"}}, {Field::Text4, Field::Text6, Field::Text8}},
};

TEST_F(ClickTest, EachButtonReachesItsOwnHandler) {
    for (const WiringCase& c : kWiring) {
        form = std::make_unique<Form1>();
        form->show();
        MemoryForm oracle;
        Mod1 shared;
        for (const Input& input : c.inputs) {
            type(input.field, input.text);
            oracle.setText(input.field, input.text);
        }
        const auto before = allTexts();
        ASSERT_FALSE(press(c.button, oracle, shared).failure.has_value()) << buttonName(c.button);

        click(std::string(buttonName(c.button)).c_str());

        EXPECT_EQ(failureBox(), nullptr) << buttonName(c.button);
        for (const FieldInfo& info : fieldTable())
            EXPECT_EQ(text(info.field), oracle.text(info.field)) << buttonName(c.button) << " " << info.name;
        for (Field field : c.mustChange)
            EXPECT_NE(text(field), before.at(std::string(fieldInfo(field).name)))
                << buttonName(c.button) << " left " << fieldInfo(field).name << " as it was";
    }
}

TEST_F(ClickTest, TheThreeChangeButtonsEachConvertFromTheirOwnField) {
    // The same three conductor texts, disagreeing with one another: the button decides which one wins.
    const std::pair<Button, Field> changeFrom[] = {
        {Button::Command1, Field::Text4}, {Button::Command2, Field::Text6}, {Button::Command3, Field::Text8}};
    for (const auto& [button, source] : changeFrom) {
        form = std::make_unique<Form1>();
        form->show();
        type(Field::Text4, "20");
        type(Field::Text6, ".1");
        type(Field::Text8, "5");
        const auto before = allTexts();
        click(std::string(buttonName(button)).c_str());
        EXPECT_EQ(failureBox(), nullptr) << buttonName(button);
        for (Field field : {Field::Text4, Field::Text6, Field::Text8}) {
            const std::string& was = before.at(std::string(fieldInfo(field).name));
            if (field == source)
                EXPECT_EQ(text(field), was) << buttonName(button) << " overwrote the field it converts from";
            else
                EXPECT_NE(text(field), was) << buttonName(button) << " left " << fieldInfo(field).name;
        }
    }
}

TEST_F(ClickTest, RoadOfOneThreeSidedDesign) {
    type(Field::Text2, "50");
    click("Command7");
    EXPECT_EQ(text(Field::Text8), "4.748");
    EXPECT_EQ(text(Field::Text6), "0.187");
    EXPECT_EQ(text(Field::Text4), "5");

    type(Field::Text4, "8");
    click("Command1");
    EXPECT_EQ(text(Field::Text6), "0.128");
    EXPECT_EQ(text(Field::Text8), "3.25");
    EXPECT_EQ(failureBox(), nullptr);
}

// The default frequency and conductor, computed for each form of the antenna.
const std::pair<const char*, const std::map<Field, const char*>*> kWorked[] = {
    {"Option1", &testing::kDefaultThreeSided}, {"Option2", &testing::kDefaultFourSided}};

TEST_F(ClickTest, ComputeWritesTheWorkedExampleForEachForm) {
    for (const auto& [option, results] : kWorked) {
        form = std::make_unique<Form1>();
        form->show();
        select(option);
        click("Command4");
        EXPECT_EQ(failureBox(), nullptr);
        for (const auto& [field, expected] : *results)
            EXPECT_EQ(text(field), expected) << option << " " << fieldInfo(field).name;
        // The input side is only read.
        EXPECT_EQ(text(Field::Text2), "146.00");
        EXPECT_EQ(text(Field::Text8), "1.626");
    }
}

struct FailureCase {
    Button button;
    Field field;
    const char* badText;
    std::vector<const char*> mentions;
};

const FailureCase kFailures[] = {
    {Button::Command4, Field::Text2, "", {"COMPUTE", "frequency field", "Text2", "Conversion failure: type mismatch"}},
    {Button::Command4, Field::Text2, "0", {"COMPUTE", "Floating-point fault: division by zero"}},
    {Button::Command7, Field::Text2, "abc", {"ACCEPT", "frequency field", "Conversion failure: type mismatch"}},
    {Button::Command1, Field::Text4, "x", {"CHANGE (below AWG)", "AWG field", "Conversion failure: type mismatch"}},
    {Button::Command2, Field::Text6, "1E39", {"CHANGE (below INCH)", "inch field", "Conversion failure: overflow"}},
    {Button::Command3,
     Field::Text8,
     "",
     {"CHANGE (below MM)", "millimetre field", "Conversion failure: type mismatch"}},
};

TEST_F(ClickTest, FailedClickIsToldInAWindowModalMessageBox) {
    for (const FailureCase& c : kFailures) {
        form = std::make_unique<Form1>();
        form->show();
        type(c.field, c.badText);
        click(std::string(buttonName(c.button)).c_str());

        QMessageBox* box = failureBox();
        ASSERT_NE(box, nullptr) << buttonName(c.button) << " with " << c.badText;
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->windowTitle(), "QZ9ZZQ BX");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        for (const char* mention : c.mentions)
            EXPECT_TRUE(box->text().contains(QString::fromUtf8(mention)))
                << mention << " not in: " << box->text().toStdString();
        dismissFailure();
        EXPECT_EQ(failureBox(), nullptr);
    }
}

TEST_F(ClickTest, FailureAtTheFirstReadChangesNoFieldAndTheWindowWorksOn) {
    select("Option1");
    type(Field::Text2, "");
    const auto before = allTexts();
    click("Command4");
    ASSERT_NE(failureBox(), nullptr);
    EXPECT_EQ(allTexts(), before);
    dismissFailure();

    type(Field::Text2, "146.00");
    click("Command4");
    EXPECT_EQ(failureBox(), nullptr);
    EXPECT_EQ(text(Field::Text23), "421.2329");
    EXPECT_EQ(text(Field::Text13), "718.234");
}

TEST_F(ClickTest, WebsiteChangesNoFieldAndShowsOneInformationWindow) {
    select("Option2");
    type(Field::Text8, "2.5");
    const auto before = allTexts();
    click("Command5");
    click("Command5");
    EXPECT_EQ(allTexts(), before);
    EXPECT_TRUE(form->selected(Option::Option2));
    EXPECT_FALSE(form->selected(Option::Option1));
    EXPECT_EQ(failureBox(), nullptr);

    QMessageBox* website = form->websiteWindow();
    ASSERT_NE(website, nullptr);
    EXPECT_EQ(form->findChildren<QMessageBox*>(QStringLiteral("website")).size(), 1);
    EXPECT_TRUE(website->isVisible());
    EXPECT_EQ(website->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(website->text().contains("no website address"));
    EXPECT_TRUE(website->text().contains(QStringLiteral(BRIMALOX_VERSION)));
    // The words every front-end shows, from the core.
    EXPECT_EQ(website->windowTitle(), QStringLiteral("WEBSITE"));
    EXPECT_EQ(website->text(), QString::fromStdString(websiteText()));
    EXPECT_EQ(form->notesWindow(), nullptr);

    // The window stays usable while it is open.
    select("Option1");
    click("Command4");
    EXPECT_EQ(text(Field::Text23), "421.2329");
}

}  // namespace
}  // namespace brimalox::testing
