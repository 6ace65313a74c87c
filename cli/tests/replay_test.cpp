#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/replay.h"

namespace brimalox::cli {
namespace {

using Json = nlohmann::json;

struct SetCase {
    const char* line;
    Field field;
    const char* text;
};

TEST(ReplayLine, SetTakesTextLiterallyAfterOneBlank) {
    const SetCase cases[] = {
        {"set Text2 146", Field::Text2, "146"},
        {"set Text2  146 ", Field::Text2, " 146 "},  // blanks at both ends are kept
        {"set Text8 1 2 3", Field::Text8, "1 2 3"},
        {"set Text4 ", Field::Text4, ""},  // empty text
        {"set Text4", Field::Text4, ""},   // trailing blank stripped by an editor
        {"  set\tText24 # not a comment", Field::Text24, "# not a comment"},
        {"set Text1 \t", Field::Text1, "\t"},
        {"set Text6 \xff\xfe", Field::Text6, "\xff\xfe"},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedLine parsed = parseReplayLine(c.line, 1);
        ASSERT_FALSE(parsed.error.has_value());
        ASSERT_TRUE(parsed.action.has_value());
        const auto* set = std::get_if<SetAction>(&*parsed.action);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->field, c.field);
        EXPECT_EQ(set->text, c.text);
    }
}

TEST(ReplayLine, SelectAndClickEveryName) {
    for (const auto& [line, option] :
         {std::pair{"select Option1", Option::Option1}, std::pair{"select Option2  ", Option::Option2}}) {
        const ParsedLine parsed = parseReplayLine(line, 1);
        ASSERT_TRUE(parsed.action.has_value()) << line;
        EXPECT_EQ(std::get<SelectAction>(*parsed.action).option, option);
    }
    for (int n = 1; n <= 7; ++n) {
        const std::string line = "click Command" + std::to_string(n);
        const ParsedLine parsed = parseReplayLine(line, 1);
        ASSERT_TRUE(parsed.action.has_value()) << line;
        EXPECT_EQ(std::get<ClickAction>(*parsed.action).button, static_cast<Button>(n));
    }
}

TEST(ReplayLine, BlankAndCommentLinesAreNothing) {
    for (const char* line : {"", "   ", "\t", "# a comment", "   # indented comment", "#set Text2 5"}) {
        const ParsedLine parsed = parseReplayLine(line, 1);
        EXPECT_FALSE(parsed.action.has_value()) << line;
        EXPECT_FALSE(parsed.error.has_value()) << line;
    }
}

TEST(ReplayLine, EverythingElseIsAUsageErrorOnItsLine) {
    const std::vector<std::string> bad{
        "set",
        "set Text0 1",
        "set Text25 1",
        "set text2 1",
        "set Text2x 1",
        "select",
        "select Option3",
        "select Option1 x",
        "select option1",
        "click",
        "click Command0",
        "click Command8",
        "click Command7 now",
        "click Text2",
        "press Command7",
        "SET Text2 1",
        "Set Text2 1",
        "clickCommand7",
        std::string(100000, 'x'),
    };
    long number = 10;
    for (const std::string& line : bad) {
        SCOPED_TRACE(line.substr(0, 40));
        const ParsedLine parsed = parseReplayLine(line, number);
        ASSERT_TRUE(parsed.error.has_value());
        EXPECT_FALSE(parsed.action.has_value());
        EXPECT_EQ(parsed.error->line, number);
        EXPECT_LT(parsed.error->message.size(), 200u);  // a long line gives a short message
        ++number;
    }
}

Json replayJson(const std::string& script) {
    std::istringstream in(script);
    Replay replay;
    const auto error = replay.run(in);
    EXPECT_FALSE(error.has_value()) << (error ? error->message : "");
    return Json::parse(replay.json());
}

TEST(Replay, StartUpWindowReportsTheTwelveValueFields) {
    std::istringstream none("");
    Replay replay;
    ASSERT_FALSE(replay.run(none).has_value());
    const auto out = nlohmann::ordered_json::parse(replay.json());
    const std::vector<std::string> names{"Text2",  "Text4",  "Text6",  "Text8",  "Text11", "Text13",
                                         "Text16", "Text17", "Text19", "Text20", "Text22", "Text23"};
    ASSERT_EQ(out["fields"].size(), names.size());
    std::vector<std::string> keys;
    for (const auto& [key, value] : out["fields"].items())
        keys.push_back(key);
    EXPECT_EQ(keys, names);  // in field order, not sorted
    EXPECT_EQ(out["fields"]["Text2"], "146.00");
    EXPECT_EQ(out["fields"]["Text6"], ".064");
    EXPECT_TRUE(out["clicks"].empty());
}

TEST(Replay, AcceptThenChangeFollowsTheWorkedExample) {
    // 50 MHz: 4.748 mm, 0.187 inch, AWG 5; then AWG 8 is 0.128 inch and 3.25 mm.
    const Json out = replayJson("set Text2 50\nclick Command7\nset Text4 8\nclick Command1\n");
    EXPECT_EQ(out["fields"]["Text8"], "3.25");
    EXPECT_EQ(out["fields"]["Text6"], "0.128");
    EXPECT_EQ(out["fields"]["Text4"], "8");
    const Json clicks = out["clicks"];
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], Json::parse(R"({"button":"Command7","ok":true})"));
    EXPECT_EQ(clicks[1], Json::parse(R"({"button":"Command1","ok":true})"));
}

TEST(Replay, FailedClicksReportFamilyAndKind) {
    struct Case {
        const char* script;
        const char* failure;
        const char* kind;
    };
    const Case cases[] = {
        {"set Text2 abc\nclick Command7\n", "conversion", "type mismatch"},
        {"set Text2 \nclick Command7\n", "conversion", "type mismatch"},
        {"set Text2 1E39\nclick Command7\n", "conversion", "overflow"},
        {"set Text2 0\nclick Command7\n", "floating-point", "division by zero"},
        {"set Text2 0\nselect Option1\nclick Command4\n", "floating-point", "division by zero"},
        {"set Text2 1E-40\nselect Option1\nclick Command4\n", "floating-point", "overflow"},
        {"set Text8 x\nclick Command3\n", "conversion", "type mismatch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const Json out = replayJson(c.script);
        ASSERT_EQ(out["clicks"].size(), 1u);
        const Json& click = out["clicks"][0];
        EXPECT_EQ(click["ok"], false);
        EXPECT_EQ(click["failure"], c.failure);
        EXPECT_EQ(click["kind"], c.kind);
    }
}

TEST(Replay, KindKeysAreTheLowerCaseKindNames) {
    for (const FailureKind kind : {FailureKind::TypeMismatch, FailureKind::Overflow, FailureKind::DivisionByZero,
                                   FailureKind::InvalidOperation}) {
        std::string lower(kindName(kind));
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(kindKey(kind), lower);
    }
    EXPECT_EQ(kindKey(FailureKind::FieldAccess), "field access");
}

TEST(Replay, WebsiteAndNotesClicksSucceedOnTheHeadlessForm) {
    std::istringstream in("click Command5\nclick Command6\nclick Command6\n");
    Replay replay;
    ASSERT_FALSE(replay.run(in).has_value());
    EXPECT_EQ(replay.form().websiteShown(), 1);
    EXPECT_EQ(replay.form().notesShown(), 2);
    const Json out = Json::parse(replay.json());
    for (const Json& click : out["clicks"])
        EXPECT_EQ(click["ok"], true);
}

TEST(Replay, SelectingOneOptionClearsTheOther) {
    std::istringstream in("select Option1\nselect Option2\n");
    Replay replay;
    ASSERT_FALSE(replay.run(in).has_value());
    EXPECT_FALSE(replay.form().selected(Option::Option1));
    EXPECT_TRUE(replay.form().selected(Option::Option2));
}

TEST(Replay, CrLfLineEndsAndOddBytesKeepTheJsonValid) {
    const Json out = replayJson("set Text2 \xff\xfe\x01\"\\\r\nset Text4 a\tb\r\nclick Command7\r\n");
    // Bytes that are no UTF-8 become U+FFFD; control characters and quotes are escaped, not dropped.
    EXPECT_EQ(out["fields"]["Text2"], "\xEF\xBF\xBD\xEF\xBF\xBD\x01\"\\");
    EXPECT_EQ(out["fields"]["Text4"], "a\tb");
    EXPECT_EQ(out["clicks"][0]["kind"], "type mismatch");
}

TEST(Replay, RunStopsAtTheFirstUsageErrorWithItsLineNumber) {
    std::istringstream in("# header\n\nset Text2 50\nclick Command7\nclick Command9\nclick Command7\n");
    Replay replay;
    const auto error = replay.run(in);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->line, 5);
    EXPECT_EQ(replay.clicks().size(), 1u);
}

}  // namespace
}  // namespace brimalox::cli
