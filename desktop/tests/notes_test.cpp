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
    EXPECT_EQ(notes.size(), expectedNotes().at("length").get<std::size_t>());
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
    const nlohmann::json& expected = expectedNotes().at("lines");
    ASSERT_EQ(lines.size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::size_t blanks = expected[i].at(1);
        EXPECT_EQ(trailingBlanks(lines[i]), blanks) << "line " << i + 1;
        EXPECT_EQ(lines[i], expected[i].at(0).get<std::string>() + std::string(blanks, ' ')) << "line " << i + 1;
    }
    EXPECT_EQ(notesText(), expectedNotesText());
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
        EXPECT_NE(window->objectName().toStdString(), expectedNotesName());
}

TEST_F(NotesWindowTest, FirstClickOpensTheNotesWindowModelessAndOwnedByNoWindow) {
    click("Command6");
    NotesWindow* notes = form->notesWindow();
    ASSERT_NE(notes, nullptr);
    EXPECT_TRUE(notes->isVisible());
    EXPECT_EQ(notes->objectName().toStdString(), expectedNotesName());
    EXPECT_EQ(notes->windowTitle().toStdString(), expectedNotesCaption());
    EXPECT_EQ(notes->parentWidget(), nullptr);
    EXPECT_TRUE(notes->isWindow());
    EXPECT_EQ(notes->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const nlohmann::json& window = expectedNotes().at("window");
    EXPECT_EQ(notes->size(), pixelRect({0, 0, window.at("client").at(0), window.at("client").at(1)}).size());
    EXPECT_EQ(notes->palette().color(QPalette::Window).rgb() & 0xFFFFFF, rgbOf(window.at("background")));

    const nlohmann::json& expectedBox = expectedNotes().at("box");
    auto* box = notes->findChild<QPlainTextEdit*>(QString::fromStdString(expectedBox.at("name")));
    ASSERT_EQ(box, notes->notesBox());
    EXPECT_EQ(box->geometry(), pixelRect(expectedBox.at("place")));
    EXPECT_EQ(box->accessibleName().toStdString(), expectedBox.at("accessible_name").get<std::string>());
    EXPECT_FALSE(box->isReadOnly());
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_FALSE(box->font().bold());
    QString shown = box->toPlainText();
    shown.replace("\n", "\r\n");
    EXPECT_EQ(shown.toStdString(), expectedNotesText());
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
        if (window->objectName().toStdString() == expectedNotesName()) ++named;
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
    QString shown = notes->notesBox()->toPlainText();
    shown.replace("\n", "\r\n");
    EXPECT_EQ(shown.toStdString(), expectedNotesText());
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
