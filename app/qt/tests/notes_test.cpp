// The notes text, and the notes window: created once, modeless, owned by no window, afresh when
// reopened.
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTimer>
#include <string_view>
#include <vector>

#include "app/notes_text.h"
#include "window_fixture.h"

namespace brimalox::testing {
namespace {

std::vector<std::string> splitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));  // what follows the last line end
    return lines;
}

std::size_t trailingBlanks(const std::string& line) {
    const std::size_t last = line.find_last_not_of(' ');
    return last == std::string::npos ? line.size() : line.size() - last - 1;
}

TEST(NotesText, Is1253CharactersInFifteenCrLfLines) {
    const std::string& notes = notesText();
    EXPECT_EQ(notes.size(), 1253U);
    const std::vector<std::string> lines = splitCrLf(notes);
    ASSERT_EQ(lines.size(), 16U);
    EXPECT_EQ(lines.back(), "") << "the last line ends with CR LF too";
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find('\r'), std::string::npos);
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
}

TEST(NotesText, LinesHaveTheirTrailingBlanksAndExactWording) {
    const std::vector<std::string> lines = splitCrLf(notesText());
    ASSERT_EQ(lines.size(), 16U);
    const std::size_t blanks[15] = {1, 1, 1, 1, 1, 1, 136, 1, 19, 1, 1, 1, 1, 0, 0};
    for (std::size_t i = 0; i < 15; ++i)
        EXPECT_EQ(trailingBlanks(lines[i]), blanks[i]) << "line " << i + 1;

    EXPECT_TRUE(lines[0].starts_with("THE ANTENNA IS FED AT ALL THE GAPS WITH 300 OHM LADDER LINE (TV flat line)."));
    EXPECT_TRUE(lines[3].starts_with("( 1.6 to 1.8).  THE LARGER"));
    EXPECT_TRUE(lines[6].starts_with("PEAK AT 161. "));
    EXPECT_NE(lines[10].find("or 5  meters above"), std::string::npos);
    EXPECT_EQ(lines[13], R"(VALUE. FOR WIRE AWG LARGER THAN "0" MAY BE ENTERED as "9009", "90009" or "900009')");
    EXPECT_EQ(lines[14], "GAIN IS APPROXIMATELY 7.6 DB");
    // Outside the two double-blank places every gap between words is one blank.
    for (std::size_t i = 0; i < 15; ++i) {
        const std::string body = lines[i].substr(0, lines[i].size() - trailingBlanks(lines[i]));
        const std::size_t doubles = body.find("  ");
        if (i == 3 || i == 10)
            EXPECT_EQ(body.find("  ", doubles + 2), std::string::npos) << "line " << i + 1;
        else
            EXPECT_EQ(doubles, std::string::npos) << "line " << i + 1;
    }
}

using NotesWindowTest = WindowTest;

TEST_F(NotesWindowTest, NotCreatedUntilNotesIsClicked) {
    EXPECT_EQ(form->notesWindow(), nullptr);
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_NE(window->objectName(), "no");
}

TEST_F(NotesWindowTest, FirstClickOpensTheNotesWindowModelessAndOwnedByNoWindow) {
    click("Command6");
    NotesWindow* notes = form->notesWindow();
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isVisible());
    EXPECT_EQ(notes->objectName(), "no");
    EXPECT_EQ(notes->windowTitle(), "NOTES");
    EXPECT_EQ(notes->parentWidget(), nullptr);
    EXPECT_TRUE(notes->isWindow());
    EXPECT_EQ(notes->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(notes->size(), QSize(514, 225));
    EXPECT_EQ(notes->palette().color(QPalette::Window).rgb() & 0xFFFFFF, 0xFFE0C0U);

    auto* box = notes->findChild<QPlainTextEdit*>("Text1");
    ASSERT_EQ(box, notes->notesBox());
    EXPECT_EQ(box->geometry(), QRect(8, 8, 497, 209));
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(box->font().bold());
    QString shown = box->toPlainText();
    shown.replace("\n", "\r\n");
    EXPECT_EQ(shown.toStdString(), notesText());
    EXPECT_EQ(box->textCursor().position(), 0) << "the notes read from their first line";

    // The main window goes on working beside it.
    select("Option1");
    click("Command4");
    EXPECT_EQ(text(Field::Text23), "421.2329");
}

TEST_F(NotesWindowTest, ClickingNotesAgainKeepsTheOneWindowAndItsText) {
    click("Command6");
    NotesWindow* first = form->notesWindow();
    ASSERT_NE(first, nullptr);
    QTest::keyClicks(first->notesBox(), "typed ");
    click("Command6");
    EXPECT_EQ(form->notesWindow(), first);
    int named = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == "no") ++named;
    EXPECT_EQ(named, 1);
    EXPECT_TRUE(first->notesBox()->toPlainText().startsWith("typed ")) << "an open window is only brought forward";
}

TEST_F(NotesWindowTest, ReopenedAfterClosingShowsTheNotesAfresh) {
    click("Command6");
    NotesWindow* notes = form->notesWindow();
    ASSERT_NE(notes, nullptr);
    notes->notesBox()->selectAll();
    QTest::keyClicks(notes->notesBox(), "scribble");
    EXPECT_EQ(notes->notesBox()->toPlainText(), "scribble");
    EXPECT_TRUE(notes->close());
    EXPECT_FALSE(notes->isVisible());

    click("Command6");
    EXPECT_EQ(form->notesWindow(), notes);
    EXPECT_TRUE(notes->isVisible());
    EXPECT_EQ(notes->notesBox()->toPlainText().size(), static_cast<qsizetype>(notesText().size() - 15));
    EXPECT_TRUE(notes->notesBox()->toPlainText().startsWith("THE ANTENNA IS FED"));
}

// Run in the application's own event loop, which is where closing the last window ends the run.
TEST_F(NotesWindowTest, ClosingTheMainWindowLeavesTheNotesOpenUntilTheyCloseToo) {
    EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
    click("Command6");
    NotesWindow* notes = form->notesWindow();
    ASSERT_NE(notes, nullptr);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);

    bool notesOpenAfterMainClosed = false;
    int lastClosedAfterMain = -1;
    QTimer::singleShot(0, form.get(), [&] {
        form->close();
        notesOpenAfterMainClosed = notes->isVisible();
        lastClosedAfterMain = static_cast<int>(lastClosed.count());
        QTimer::singleShot(0, notes, [notes] { notes->close(); });
    });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(2); });  // never hang the suite
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_TRUE(notesOpenAfterMainClosed);
    EXPECT_EQ(lastClosedAfterMain, 0);
    EXPECT_EQ(lastClosed.count(), 1);
}

}  // namespace
}  // namespace brimalox::testing
