// What a user meets around the clicks: where the keys go, what the window offers its frame, what a
// screen reader is told, and that no box cuts what is typed or pasted into it.
#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>

#include "window_fixture.h"

namespace brimalox::testing {
namespace {

using PolishTest = WindowTest;

TEST_F(PolishTest, KeysGoToTheFrequencyFieldWhenTheWindowOpens) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(QApplication::focusWidget(), control("Text2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    QTest::keyClicks(QApplication::focusWidget(), "5");
    EXPECT_EQ(text(Field::Text2), "146.005");
    EXPECT_EQ(text(Field::Text1), "INPUT FREQUENCY IN MHZ");
}

// After OK on a failure message the keys go where they went before the click: to the button when
// it was clicked, to the field when Enter was pressed in it... wherever focus was.
TEST_F(PolishTest, DismissingAFailureGivesTheFocusBack) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (const char* before : {"Command7", "Text6"}) {
        type(Field::Text2, "fifty");
        control(before)->setFocus();
        QTest::keyClick(control("Command7"), Qt::Key_Space);
        ASSERT_NE(failureBox(), nullptr) << before;
        dismissFailure();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        EXPECT_EQ(QApplication::focusWidget(), control(before)) << before;
    }
}

TEST_F(PolishTest, WindowsOfFixedSizeOfferNoResizeOrMaximise) {
    click("Command6");
    for (QWidget* window : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(form->notesWindow())}) {
        const Qt::WindowFlags flags = window->windowFlags();
        EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint) << window->objectName().toStdString();
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint) << window->objectName().toStdString();
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint) << window->objectName().toStdString();
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << window->objectName().toStdString();
    }
}

TEST_F(PolishTest, ScreenReadersHearTheMultiLineLabelRightAligned) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control("Text21"));
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->textInterface(), nullptr);
    int start = 0, end = 0;
    const QString attributes = accessible->textInterface()->attributes(0, &start, &end);
    EXPECT_TRUE(attributes.contains("text-align:right")) << attributes.toStdString();
}

TEST_F(PolishTest, NotesWindowIsAnnouncedAsAWindowNamedNotes) {
    click("Command6");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(form->notesWindow());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Window);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("NOTES"));
}

// A pasted megabyte reads back whole, the box takes more typing, and a click on it ends as the
// number rules say: too large for a single, or no number at all.
TEST_F(PolishTest, BoxesKeepAPastedMegabyteWholeAndClicksJudgeIt) {
    struct Case {
        char fill;
        const char* kind;
    };
    for (const Case& c : {Case{'1', "overflow"}, Case{'x', "type mismatch"}}) {
        const std::string pasted(1 << 20, c.fill);
        QGuiApplication::clipboard()->setText(QString::fromStdString(pasted));
        auto* box = control<QLineEdit>("Text2");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClicks(box, "1");
        ASSERT_EQ(text(Field::Text2).size(), pasted.size() + 1);
        EXPECT_EQ(text(Field::Text2), pasted + "1");

        const auto before = allTexts();
        click("Command7");
        ASSERT_NE(failureBox(), nullptr) << c.kind;
        EXPECT_TRUE(failureBox()->text().contains(QString::fromLatin1(c.kind), Qt::CaseInsensitive))
            << failureBox()->text().toStdString();
        EXPECT_EQ(allTexts(), before) << "ACCEPT stops at its first read";
        dismissFailure();
    }
    for (const char* name : {"Text1", "Text13", "Text24"}) {
        auto* box = control<QLineEdit>(name);
        box->setText(QString(40000, QLatin1Char('7')));
        EXPECT_EQ(box->text().size(), 40000) << name;
    }
}

}  // namespace
}  // namespace brimalox::testing
