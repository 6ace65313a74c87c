// The main window as laid out: every control's kind, place, text, colours, font and Tab stop.
#include <QAccessible>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/layout.h"
#include "desktop/diagram_painter.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

using nlohmann::json;

// The window's controls as its description lays them out, row by row.
const json& expectedControls() { return expectedForm().at("controls"); }

std::string str(const json& row, const char* key) { return row.at(key).get<std::string>(); }

const json& expectedRow(const std::string& name) {
    for (const json& row : expectedControls())
        if (str(row, "name") == name) return row;
    throw std::invalid_argument("no control " + name + " in the expected layout");
}

bool isTextBox(const json& row) { return str(row, "kind") == "text box" || str(row, "kind") == "multi-line text box"; }

bool isKind(const QWidget* widget, const std::string& kind) {
    if (kind == "text box") return qobject_cast<const QLineEdit*>(widget) != nullptr;
    if (kind == "multi-line text box") return qobject_cast<const QPlainTextEdit*>(widget) != nullptr;
    if (kind == "push button") return qobject_cast<const QPushButton*>(widget) != nullptr;
    if (kind == "option button") return qobject_cast<const QRadioButton*>(widget) != nullptr;
    if (kind == "picture box") return qobject_cast<const QLabel*>(widget) != nullptr;
    if (kind == "line") {
        const auto* frame = qobject_cast<const QFrame*>(widget);
        return frame && frame->frameShape() == QFrame::HLine;
    }
    ADD_FAILURE() << "no such kind of control: " << kind;
    return false;
}

Qt::Alignment alignment(const std::string& align) {
    if (align == "centre") return Qt::AlignHCenter;
    return align == "right" ? Qt::AlignRight : Qt::AlignLeft;
}

Field field(const std::string& name) {
    const FieldInfo* info = fieldByName(name);
    if (!info) throw std::invalid_argument("no text box " + name);
    return info->field;
}

using LayoutTest = WindowTest;

TEST_F(LayoutTest, WindowHasItsCaptionFixedClientSizeAndBackground) {
    const json& window = expectedForm().at("window");
    EXPECT_EQ(form->windowTitle().toStdString(), str(window, "caption"));
    EXPECT_EQ(form->objectName().toStdString(), str(window, "name"));
    EXPECT_EQ(form->size(), pixelRect({0, 0, window.at("client").at(0), window.at("client").at(1)}).size());
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->autoFillBackground());
    EXPECT_EQ(form->palette().color(QPalette::Window).rgb() & 0xFFFFFF, rgbOf(window.at("background")));
}

TEST_F(LayoutTest, EveryControlHasItsKindAndPlace) {
    for (const json& row : expectedControls()) {
        const std::string name = str(row, "name");
        const QList<QWidget*> found = form->findChildren<QWidget*>(QString::fromStdString(name));
        ASSERT_EQ(found.size(), 1) << name;
        const QWidget* widget = found.front();
        EXPECT_EQ(widget->parentWidget(), form.get()) << name;
        EXPECT_TRUE(isKind(widget, str(row, "kind"))) << name;
        EXPECT_EQ(widget->geometry(), pixelRect(row.at("place"))) << name;  // the line one pixel thick
        EXPECT_TRUE(widget->isVisible()) << name;
    }
}

TEST_F(LayoutTest, WindowHoldsExactlyTheThirtyFiveControls) {
    int named = 0;
    for (const QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() == false) ++named;
    EXPECT_EQ(named, static_cast<int>(expectedControls().size()));
    EXPECT_EQ(expectedControls().size(), 35U);
}

TEST_F(LayoutTest, NoTwoControlsOverlap) {
    const json& rows = expectedControls();
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = i + 1; j < rows.size(); ++j) {
            const QRect a = control(str(rows[i], "name").c_str())->geometry();
            const QRect b = control(str(rows[j], "name").c_str())->geometry();
            EXPECT_FALSE(a.intersects(b)) << str(rows[i], "name") << " overlaps " << str(rows[j], "name");
        }
}

TEST_F(LayoutTest, TextBoxesShowTheirDefaultTexts) {
    for (const json& row : expectedControls()) {
        if (!isTextBox(row)) continue;
        const std::string name = str(row, "name"), text = str(row, "text");
        EXPECT_EQ(form->text(field(name)), text) << name;
        // Seen from the user's side as well, where it matters most; a multi-line box shows its line
        // break as a paragraph.
        if (const auto* line = qobject_cast<const QLineEdit*>(control(name.c_str())))
            EXPECT_EQ(line->text().toStdString(), text) << name;
        else
            EXPECT_EQ(control<QPlainTextEdit>(name.c_str())->toPlainText(),
                      QString::fromStdString(text).replace("\r\n", "\n"))
                << name;
    }
}

TEST_F(LayoutTest, TextBoxesHaveTheirColoursAlignmentAndFont) {
    for (const json& row : expectedControls()) {
        if (!isTextBox(row)) continue;
        const std::string name = str(row, "name");
        const QWidget* box = control(name.c_str());
        EXPECT_EQ(box->palette().color(QPalette::Base).rgb() & 0xFFFFFF, rgbOf(row.at("background"))) << name;
        EXPECT_EQ(box->palette().color(QPalette::Text).rgb() & 0xFFFFFF, rgbOf(row.at("colour"))) << name;
        const QFont font = box->font();
        EXPECT_EQ(font.families(), QStringList({"MS Sans Serif", "Liberation Sans"})) << name;
        EXPECT_EQ(font.styleHint(), QFont::SansSerif) << name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), row.at("points").get<double>()) << name;
        EXPECT_TRUE(font.bold()) << name;
        EXPECT_EQ(font.italic(), row.at("italic").get<bool>()) << name;
        EXPECT_TRUE(box->isEnabled()) << name;
        const Qt::Alignment align = alignment(str(row, "align"));
        if (const auto* line = qobject_cast<const QLineEdit*>(box)) {
            EXPECT_EQ(line->alignment() & Qt::AlignHorizontal_Mask, align) << name;
            EXPECT_EQ(line->hasFrame(), row.at("border").get<bool>()) << name;
            EXPECT_FALSE(line->isReadOnly()) << name;
        } else {
            const auto* multi = qobject_cast<const QPlainTextEdit*>(box);
            ASSERT_NE(multi, nullptr) << name;
            EXPECT_EQ(multi->document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask, align);
            EXPECT_EQ(multi->frameShape() != QFrame::NoFrame, row.at("border").get<bool>());
            EXPECT_FALSE(multi->isReadOnly());
            EXPECT_EQ(multi->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            EXPECT_EQ(multi->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            EXPECT_EQ(multi->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        }
    }
}

TEST_F(LayoutTest, TextBoxFontResolvesToAnInstalledSansFace) {
    const QFontInfo info(control("Text2")->font());
    const bool classicOrTwin = info.family() == "MS Sans Serif" || info.family() == "Liberation Sans";
    if (!QFontDatabase::hasFamily("MS Sans Serif") && !QFontDatabase::hasFamily("Liberation Sans"))
        GTEST_SKIP() << "neither face installed; the system sans stands in";
    EXPECT_TRUE(classicOrTwin) << info.family().toStdString();
    EXPECT_TRUE(info.bold());
}

TEST_F(LayoutTest, ButtonsAndOptionsUseTheRegularWindowFontAndDefaultColours) {
    for (const char* name :
         {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "Command7", "Option1", "Option2"}) {
        const QWidget* widget = control(name);
        EXPECT_FALSE(widget->font().bold()) << name;
        EXPECT_EQ(widget->palette().color(QPalette::ButtonText), QApplication::palette().color(QPalette::ButtonText))
            << name;
    }
}

TEST_F(LayoutTest, CaptionsAreTheButtonsOwn) {
    int buttons = 0;
    for (const json& row : expectedControls()) {
        const std::string name = str(row, "name"), kind = str(row, "kind");
        if (kind == "push button")
            EXPECT_EQ(control<QPushButton>(name.c_str())->text().toStdString(), str(row, "text")) << name;
        else if (kind == "option button")
            EXPECT_EQ(control<QRadioButton>(name.c_str())->text().toStdString(), str(row, "text")) << name;
        else
            continue;
        ++buttons;
    }
    EXPECT_EQ(buttons, 9);
}

TEST_F(LayoutTest, TabKeyWalksTheControlsInTheirOrder) {
    std::vector<std::pair<int, std::string>> expected;
    for (const json& row : expectedControls())
        if (!row.at("tab").is_null()) expected.emplace_back(row.at("tab").get<int>(), str(row, "name"));
    std::sort(expected.begin(), expected.end());

    // Tab enters the option group once, at its first button while none is selected.
    std::erase_if(expected, [](const auto& stop) { return stop.second == "Option2"; });

    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    control(expected.front().second.c_str())->setFocus();
    std::vector<std::string> visited;
    for (std::size_t i = 0; i <= expected.size(); ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        visited.push_back(focused->objectName().toStdString());
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(visited[i], expected[i].second) << "Tab stop " << i;
    EXPECT_EQ(visited.back(), expected.front().second);  // and round again
}

TEST_F(LayoutTest, OptionGroupIsOneTabStopAtItsSelectedButtonAndArrowsMoveWithinIt) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    select("Option2");
    control("Text24")->setFocus();
    QTest::keyClick(control("Text24"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("Option2"));
    QTest::keyClick(control("Option2"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("Text1"));

    control("Option2")->setFocus();
    QTest::keyClick(control("Option2"), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), control("Option1"));
    EXPECT_TRUE(form->selected(Option::Option1));
    EXPECT_FALSE(form->selected(Option::Option2));
}

TEST_F(LayoutTest, OptionButtonsAreAnnouncedAsRadioButtons) {
    for (const char* name : {"Option1", "Option2"}) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control(name));
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_EQ(accessible->role(), QAccessible::RadioButton) << name;
    }
}

TEST_F(LayoutTest, MainWindowIsAnnouncedAsAWindowNamedByItsCaption) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(form.get());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("QZ9ZZQ BX"));
    EXPECT_EQ(accessible->childCount(), form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size());
}

TEST_F(LayoutTest, NeitherOptionIsSelectedAtStartAndSelectingOneClearsTheOther) {
    auto* three = control<QRadioButton>("Option1");
    auto* four = control<QRadioButton>("Option2");
    EXPECT_FALSE(three->isChecked());
    EXPECT_FALSE(four->isChecked());
    EXPECT_FALSE(form->selected(Option::Option1));
    EXPECT_FALSE(form->selected(Option::Option2));

    select("Option1");
    EXPECT_TRUE(form->selected(Option::Option1));
    EXPECT_FALSE(form->selected(Option::Option2));
    select("Option2");
    EXPECT_FALSE(form->selected(Option::Option1));
    EXPECT_TRUE(form->selected(Option::Option2));
    select("Option1");
    EXPECT_TRUE(form->selected(Option::Option1));
    EXPECT_FALSE(form->selected(Option::Option2));
    select("Option1");  // clicking the selected one again keeps it selected
    EXPECT_TRUE(form->selected(Option::Option1));
    EXPECT_FALSE(form->selected(Option::Option2));
    QTest::keyClick(control("Option2"), Qt::Key_Space);
    EXPECT_FALSE(form->selected(Option::Option1));
    EXPECT_TRUE(form->selected(Option::Option2));
}

TEST_F(LayoutTest, LabelBoxesAreEditableAndNothingReactsToThem) {
    for (const json& row : expectedControls()) {
        if (str(row, "kind") != "text box" || str(row, "look") == "V") continue;
        const std::string name = str(row, "name");
        const auto before = allTexts();
        auto* box = control<QLineEdit>(name.c_str());
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, "X");
        auto after = allTexts();
        EXPECT_EQ(after[name], str(row, "text") + "X");
        after[name] = before.at(name);
        EXPECT_EQ(after, before) << "typing into " << name << " changed another box";
        EXPECT_EQ(failureBox(), nullptr);
    }
    auto* multi = control<QPlainTextEdit>("Text21");
    multi->moveCursor(QTextCursor::End);
    QTest::keyClicks(multi, "X");
    EXPECT_EQ(text(Field::Text21), str(expectedRow("Text21"), "text") + "X");
}

TEST_F(LayoutTest, EveryControlHasItsAccessibleName) {
    for (const json& row : expectedControls()) {
        const std::string name = str(row, "name"), expected = str(row, "accessible_name");
        QWidget* widget = control(name.c_str());
        // What a screen reader hears: an option button is named by its caption.
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr) << name;
        EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), expected) << name;
        if (isTextBox(row)) {
            EXPECT_EQ(widget->accessibleName().toStdString(), expected) << name;
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
        }
    }

    QStringList names;
    for (const char* name : {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "Command7"}) {
        const QWidget* button = control(name);
        EXPECT_FALSE(button->accessibleDescription().isEmpty()) << name;
        names << button->accessibleName();
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), 7) << "a screen reader must tell the three CHANGE buttons apart";
    EXPECT_FALSE(control("Picture1")->accessibleName().isEmpty());
}

TEST_F(LayoutTest, PictureShowsTheDiagramAtNaturalSizeInsideASunkenEdge) {
    auto* picture = control<QLabel>("Picture1");
    const QPixmap pixmap = picture->pixmap();
    EXPECT_EQ(pixmap.size(), QSize(kDiagramWidth, kDiagramHeight));
    EXPECT_EQ(pixmap.toImage().convertToFormat(QImage::Format_RGB32), drawDiagram());
    EXPECT_EQ(picture->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(picture->frameWidth(), 2);
    EXPECT_EQ(picture->contentsRect().size(), pixmap.size());
    EXPECT_FALSE(picture->hasScaledContents());
}

}  // namespace
}  // namespace brimalox::testing
