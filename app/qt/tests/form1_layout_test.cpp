// The main window as laid out: every control's kind, place, text, colours, font and Tab stop.
#include <QAccessible>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <algorithm>
#include <string_view>
#include <vector>

#include "app/layout.h"
#include "app/qt/diagram_painter.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

enum class Kind { LineEdit, MultiLine, Button, Option, Picture, Line };

struct Expected {
    const char* name;
    Kind kind;
    int left, top, width, height;  // twips
    int tab;                       // -1: no Tab stop
};

// The layout drawing, row by row, in twips.
const Expected kLayout[] = {
    {"Text24", Kind::LineEdit, 0, 0, 8055, 285, 31},       {"Text1", Kind::LineEdit, 360, 480, 3135, 375, 0},
    {"Text2", Kind::LineEdit, 3840, 480, 1335, 375, 1},    {"Command7", Kind::Button, 5640, 480, 1575, 375, 30},
    {"Option1", Kind::Option, 840, 960, 1455, 375, 32},    {"Option2", Kind::Option, 2760, 960, 1335, 375, 33},
    {"Text3", Kind::LineEdit, 120, 1560, 4335, 375, 3},    {"Picture1", Kind::Picture, 5160, 1680, 2610, 3555, 2},
    {"Text4", Kind::LineEdit, 120, 2040, 855, 375, 4},     {"Text5", Kind::LineEdit, 1080, 2160, 615, 255, 5},
    {"Text6", Kind::LineEdit, 1800, 2040, 855, 375, 6},    {"Text7", Kind::LineEdit, 2760, 2160, 615, 285, 7},
    {"Text8", Kind::LineEdit, 3480, 2040, 855, 405, 8},    {"Text9", Kind::LineEdit, 4440, 2160, 495, 285, 9},
    {"Command1", Kind::Button, 120, 2520, 855, 375, 10},   {"Command2", Kind::Button, 1800, 2520, 855, 375, 11},
    {"Command3", Kind::Button, 3480, 2520, 855, 375, 12},  {"Command4", Kind::Button, 1680, 3120, 1935, 375, 13},
    {"Text10", Kind::LineEdit, 0, 3720, 975, 255, 14},     {"Text11", Kind::LineEdit, 1320, 3720, 975, 285, 15},
    {"Text12", Kind::LineEdit, 2400, 3720, 375, 285, 16},  {"Text13", Kind::LineEdit, 3120, 3720, 1215, 285, 17},
    {"Text14", Kind::LineEdit, 4440, 3720, 375, 285, 18},  {"Text15", Kind::LineEdit, 120, 4200, 855, 285, 19},
    {"Text16", Kind::LineEdit, 1320, 4200, 975, 285, 20},  {"Text17", Kind::LineEdit, 3120, 4200, 1215, 285, 21},
    {"Text18", Kind::LineEdit, 120, 4680, 855, 255, 22},   {"Text19", Kind::LineEdit, 1320, 4680, 975, 285, 23},
    {"Text20", Kind::LineEdit, 3120, 4680, 1215, 285, 24}, {"Text21", Kind::MultiLine, 0, 5160, 1095, 855, 25},
    {"Text22", Kind::LineEdit, 1320, 5520, 975, 285, 26},  {"Text23", Kind::LineEdit, 3120, 5520, 1215, 285, 27},
    {"Command5", Kind::Button, 5040, 5520, 1215, 375, 28}, {"Command6", Kind::Button, 6480, 5520, 1215, 375, 29},
    {"Line2", Kind::Line, 120, 1440, 7680, 15, -1},
};

bool isKind(const QWidget* widget, Kind kind) {
    switch (kind) {
    case Kind::LineEdit: return qobject_cast<const QLineEdit*>(widget) != nullptr;
    case Kind::MultiLine: return qobject_cast<const QPlainTextEdit*>(widget) != nullptr;
    case Kind::Button: return qobject_cast<const QPushButton*>(widget) != nullptr;
    case Kind::Option: return qobject_cast<const QRadioButton*>(widget) != nullptr;
    case Kind::Picture: return qobject_cast<const QLabel*>(widget) != nullptr;
    case Kind::Line: {
        const auto* frame = qobject_cast<const QFrame*>(widget);
        return frame && frame->frameShape() == QFrame::HLine;
    }
    }
    return false;
}

constexpr QRgb kPeach = 0xFFE0C0, kCyan = 0xC0FFFF, kWhite = 0xFFFFFF;
constexpr QRgb kBlue = 0x0000FF, kRed = 0xFF0000, kOrange = 0xFF8000, kBlack = 0x000000;

struct BoxLookExpected {
    const char* name;
    QRgb background, foreground;
    Qt::Alignment alignment;
    double points;
    bool italic;
    bool framed;
};

const BoxLookExpected kBoxLooks[] = {
    {"Text24", kCyan, kBlue, Qt::AlignHCenter, 12, true, false},
    {"Text1", kPeach, kBlue, Qt::AlignLeft, 9.75, false, false},
    {"Text2", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text3", kPeach, kBlue, Qt::AlignLeft, 9.75, false, false},
    {"Text4", kWhite, kOrange, Qt::AlignHCenter, 9.75, false, true},
    {"Text5", kPeach, kBlack, Qt::AlignLeft, 9.75, false, false},
    {"Text6", kWhite, kOrange, Qt::AlignHCenter, 9.75, false, true},
    {"Text7", kPeach, kBlack, Qt::AlignLeft, 8.25, false, false},
    {"Text8", kWhite, kOrange, Qt::AlignHCenter, 9.75, false, true},
    {"Text9", kPeach, kBlack, Qt::AlignLeft, 9.75, false, false},
    {"Text10", kPeach, kBlue, Qt::AlignRight, 9.75, false, false},
    {"Text11", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text12", kPeach, kBlack, Qt::AlignLeft, 9.75, false, false},
    {"Text13", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text14", kPeach, kBlack, Qt::AlignLeft, 9.75, false, false},
    {"Text15", kPeach, kBlue, Qt::AlignRight, 9.75, false, false},
    {"Text16", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text17", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text18", kPeach, kBlue, Qt::AlignRight, 9.75, false, false},
    {"Text19", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text20", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text21", kPeach, kBlue, Qt::AlignRight, 8.25, false, false},
    {"Text22", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
    {"Text23", kWhite, kRed, Qt::AlignHCenter, 9.75, false, true},
};

QRect pixels(const Expected& e) { return {e.left / 15, e.top / 15, e.width / 15, e.height / 15}; }

using LayoutTest = WindowTest;

TEST_F(LayoutTest, WindowHasItsCaptionFixedClientSizeAndBackground) {
    EXPECT_EQ(form->windowTitle(), "QZ9ZZQ BX");
    EXPECT_EQ(form->objectName(), "Form1");
    EXPECT_EQ(form->size(), QSize(535, 402));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_TRUE(form->autoFillBackground());
    EXPECT_EQ(form->palette().color(QPalette::Window).rgb() & 0xFFFFFF, kPeach);
}

TEST_F(LayoutTest, EveryControlHasItsKindAndPlace) {
    for (const Expected& e : kLayout) {
        const QList<QWidget*> found = form->findChildren<QWidget*>(QString::fromLatin1(e.name));
        ASSERT_EQ(found.size(), 1) << e.name;
        const QWidget* widget = found.front();
        EXPECT_EQ(widget->parentWidget(), form.get()) << e.name;
        EXPECT_TRUE(isKind(widget, e.kind)) << e.name;
        if (e.kind == Kind::Line)
            EXPECT_EQ(widget->geometry(), QRect(8, 96, 512, 1));  // one pixel thick
        else
            EXPECT_EQ(widget->geometry(), pixels(e)) << e.name;
        EXPECT_TRUE(widget->isVisible()) << e.name;
    }
}

TEST_F(LayoutTest, WindowHoldsExactlyTheThirtyFiveControls) {
    int named = 0;
    for (const QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isWindow() == false) ++named;
    EXPECT_EQ(named, static_cast<int>(std::size(kLayout)));
    EXPECT_EQ(std::size(kLayout), 35U);
}

TEST_F(LayoutTest, NoTwoControlsOverlap) {
    for (std::size_t i = 0; i < std::size(kLayout); ++i)
        for (std::size_t j = i + 1; j < std::size(kLayout); ++j) {
            const QRect a = control(kLayout[i].name)->geometry();
            const QRect b = control(kLayout[j].name)->geometry();
            EXPECT_FALSE(a.intersects(b)) << kLayout[i].name << " overlaps " << kLayout[j].name;
        }
}

TEST_F(LayoutTest, TextBoxesShowTheirDefaultTexts) {
    for (const Control& info : textBoxes())
        EXPECT_EQ(form->text(*info.field), info.text) << info.name;
    // Seen from the user's side as well, where it matters most.
    EXPECT_EQ(control<QLineEdit>("Text2")->text(), "146.00");
    EXPECT_EQ(control<QLineEdit>("Text6")->text(), ".064");
    EXPECT_EQ(control<QLineEdit>("Text24")->text(), "BRIMALOX ANTENNA              by                 QZ9ZZQ");
    EXPECT_EQ(control<QPlainTextEdit>("Text21")->toPlainText(), "300 OHM SERIES MATCH LENGHT\n");
}

TEST_F(LayoutTest, TextBoxesHaveTheirColoursAlignmentAndFont) {
    for (const BoxLookExpected& e : kBoxLooks) {
        const QWidget* box = control(e.name);
        EXPECT_EQ(box->palette().color(QPalette::Base).rgb() & 0xFFFFFF, e.background) << e.name;
        EXPECT_EQ(box->palette().color(QPalette::Text).rgb() & 0xFFFFFF, e.foreground) << e.name;
        const QFont font = box->font();
        EXPECT_EQ(font.families(), QStringList({"MS Sans Serif", "Liberation Sans"})) << e.name;
        EXPECT_EQ(font.styleHint(), QFont::SansSerif) << e.name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), e.points) << e.name;
        EXPECT_TRUE(font.bold()) << e.name;
        EXPECT_EQ(font.italic(), e.italic) << e.name;
        EXPECT_TRUE(box->isEnabled()) << e.name;
        if (const auto* line = qobject_cast<const QLineEdit*>(box)) {
            EXPECT_EQ(line->alignment() & Qt::AlignHorizontal_Mask, e.alignment) << e.name;
            EXPECT_EQ(line->hasFrame(), e.framed) << e.name;
            EXPECT_FALSE(line->isReadOnly()) << e.name;
        } else {
            const auto* multi = qobject_cast<const QPlainTextEdit*>(box);
            ASSERT_NE(multi, nullptr) << e.name;
            EXPECT_EQ(multi->document()->defaultTextOption().alignment() & Qt::AlignHorizontal_Mask, e.alignment);
            EXPECT_EQ(multi->frameShape(), QFrame::NoFrame);
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
    const std::pair<const char*, const char*> captions[] = {
        {"Command1", "CHANGE"},  {"Command2", "CHANGE"}, {"Command3", "CHANGE"}, {"Command4", "COMPUTE"},
        {"Command5", "WEBSITE"}, {"Command6", "NOTES"},  {"Command7", "ACCEPT"},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(control<QPushButton>(name)->text(), caption) << name;
    EXPECT_EQ(control<QRadioButton>("Option1")->text(), "THREE SIDED");
    EXPECT_EQ(control<QRadioButton>("Option2")->text(), "FOUR SIDED");
}

TEST_F(LayoutTest, TabKeyWalksTheControlsInTheirOrder) {
    std::vector<std::pair<int, std::string>> expected;
    for (const Expected& e : kLayout)
        if (e.tab >= 0) expected.emplace_back(e.tab, e.name);
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
    for (const Control& info : textBoxes()) {
        if (info.valueField() || info.field == Field::Text21) continue;
        const auto before = allTexts();
        auto* box = control<QLineEdit>(std::string(info.name).c_str());
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClicks(box, "X");
        auto after = allTexts();
        EXPECT_EQ(after[std::string(info.name)], std::string(info.text) + "X");
        after[std::string(info.name)] = before.at(std::string(info.name));
        EXPECT_EQ(after, before) << "typing into " << info.name << " changed another box";
        EXPECT_EQ(failureBox(), nullptr);
    }
    auto* multi = control<QPlainTextEdit>("Text21");
    multi->moveCursor(QTextCursor::End);
    QTest::keyClicks(multi, "X");
    EXPECT_EQ(text(Field::Text21), "300 OHM SERIES MATCH LENGHT\r\nX");
}

TEST_F(LayoutTest, EveryValueFieldAndButtonHasAnAccessibleName) {
    for (const Control& info : textBoxes()) {
        const QWidget* box = control(std::string(info.name).c_str());
        EXPECT_EQ(box->accessibleName().toStdString(), info.accessibleName) << info.name;
        EXPECT_FALSE(box->accessibleName().isEmpty()) << info.name;
    }
    EXPECT_EQ(control("Text2")->accessibleName(), "Frequency in MHz");
    EXPECT_EQ(control("Text15")->accessibleName(), "SIDE");

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
