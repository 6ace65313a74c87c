#include "cli/replay.h"

#include <nlohmann/json.hpp>

#include "numtext/fields.h"
#include "numtext/numtext.h"

namespace brimalox::cli {

namespace {

std::string_view skipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return s.substr(i);
}

std::string_view trimEnd(std::string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Splits off the word at the start of s (up to a blank or the end).
std::string_view takeWord(std::string_view& s) {
    std::size_t end = 0;
    while (end < s.size() && !isBlank(s[end]))
        ++end;
    std::string_view word = s.substr(0, end);
    s.remove_prefix(end);
    return word;
}

// Names in messages are quoted and shortened, so a line of a megabyte makes a readable message.
std::string quoted(std::string_view name) {
    constexpr std::size_t kShown = 40;
    std::string shown(name.substr(0, kShown));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return "\"" + shown + (name.size() > kShown ? "...\"" : "\"");
}

ParsedLine error(long number, std::string message) { return {std::nullopt, ReplayError{number, std::move(message)}}; }

std::optional<Button> buttonByName(std::string_view name) {
    for (int n = 1; n <= 7; ++n) {
        const auto button = static_cast<Button>(n);
        if (buttonName(button) == name) return button;
    }
    return std::nullopt;
}

}  // namespace

ParsedLine parseReplayLine(std::string_view line, long number) {
    std::string_view rest = skipBlanks(line);
    if (rest.empty() || rest.front() == '#') return {};
    const std::string_view verb = takeWord(rest);
    rest = skipBlanks(rest);

    if (verb == "set") {
        const std::string_view name = takeWord(rest);
        if (name.empty()) return error(number, "set needs a text box name (Text1 to Text24)");
        const FieldInfo* info = fieldByName(name);
        if (info == nullptr) return error(number, "no text box named " + quoted(name) + " (Text1 to Text24)");
        if (!rest.empty()) rest.remove_prefix(1);  // the one blank between NAME and TEXT
        return {SetAction{info->field, std::string(rest)}, std::nullopt};
    }
    if (verb == "select" || verb == "click") {
        const std::string_view name = takeWord(rest);
        if (!trimEnd(rest).empty())
            return error(number, std::string(verb) + " takes one name, found more after " + quoted(name));
        if (verb == "select") {
            if (name == "Option1") return {SelectAction{Option::Option1}, std::nullopt};
            if (name == "Option2") return {SelectAction{Option::Option2}, std::nullopt};
            return error(number, "select needs Option1 or Option2, not " + quoted(name));
        }
        if (auto button = buttonByName(name)) return {ClickAction{*button}, std::nullopt};
        return error(number, "click needs Command1 to Command7, not " + quoted(name));
    }
    return error(number, "unknown action " + quoted(verb) + " (expected set, select or click)");
}

void Replay::apply(const Action& action) {
    if (const auto* set = std::get_if<SetAction>(&action)) {
        form_.setText(set->field, set->text);
    } else if (const auto* select = std::get_if<SelectAction>(&action)) {
        form_.select(select->option);
    } else {
        clicks_.push_back(press(std::get<ClickAction>(action).button, form_, shared_));
    }
}

std::optional<ReplayError> Replay::run(std::istream& in) {
    std::string line;
    long number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string_view view = line;
        if (!view.empty() && view.back() == '\r') view.remove_suffix(1);
        ParsedLine parsed = parseReplayLine(view, number);
        if (parsed.error) return parsed.error;
        if (parsed.action) apply(*parsed.action);
    }
    return std::nullopt;
}

const std::vector<Field>& reportedFields() {
    static const std::vector<Field> fields{Field::Text2,  Field::Text4,  Field::Text6,  Field::Text8,
                                           Field::Text11, Field::Text13, Field::Text16, Field::Text17,
                                           Field::Text19, Field::Text20, Field::Text22, Field::Text23};
    return fields;
}

std::string Replay::json() const {
    using Json = nlohmann::ordered_json;
    Json fields = Json::object();
    for (const Field field : reportedFields())
        fields[std::string(fieldInfo(field).name)] = form_.text(field);
    Json clicks = Json::array();
    for (const ClickOutcome& click : clicks_) {
        Json entry = Json::object();
        entry["button"] = std::string(buttonName(click.button));
        entry["ok"] = click.ok();
        if (!click.ok()) {
            entry["failure"] = std::string(click.family());
            entry["kind"] = std::string(click.kind());
        }
        clicks.push_back(std::move(entry));
    }
    Json result = Json::object();
    result["fields"] = std::move(fields);
    result["clicks"] = std::move(clicks);
    return result.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace brimalox::cli
