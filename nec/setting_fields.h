#pragma once
// The model check's settings, one row each: where a request keeps it, the command line's option, the
// window's and the page's words for it, what may be typed and the help. Every front-end makes its
// options, boxes and inputs from these rows, and names a refused setting by them.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "nec/request.h"

namespace brimalox::nec {

// How a setting is typed: a number, a text of several parts, several numbers apart by blanks (the
// command line repeats the option), or one of a few words.
enum class SettingKind { Number, Text, List, Choice };

// Which part of the check a setting belongs to; each front-end places the groups in its own layout.
enum class SettingGroup { Line, Feed, Sweep, Ground, Coat, Pattern };

struct SettingField {
    std::string_view key = {};  // "feedLine": the window's box and the tests' name for it
    std::string Settings::*text = nullptr;
    std::string FeedSettings::*feedText = nullptr;       // a feed system's setting
    std::vector<std::string> Settings::*list = nullptr;  // a List
    std::string SettingNames::*name = nullptr;           // where a refusal finds its word
    std::string_view request = {};                       // its key in the page's request (inside "feed" for the feed)
    std::string_view option = {};                        // "--feed-line"
    std::string_view type = {};                          // the option's "Z0,VF[,MM]"
    SettingKind kind = SettingKind::Text;
    SettingGroup group = SettingGroup::Line;
    std::string_view defaultText = {};    // typed in the box at first; empty: the default the help names
    const Range* range = nullptr;         // the refusal's range where the whole setting is one number
    std::string_view windowName = {};     // "FEED LINES": the box's accessible name and a refusal's word
    std::string_view windowLabel = {};    // the form row's label
    std::string_view windowHint = {};     // the empty box's hint
    std::string_view pageName = {};       // "feed line": a refusal's word in the page
    std::string_view pageLabel = {};      // the input's label
    std::string_view pageHint = {};       // the empty input's placeholder
    std::string_view help = {};           // the command line's help
    std::string (*helpMore)() = nullptr;  // a list the help ends with, on lines of its own
};

// In the window's order.
extern const std::array<SettingField, 17> kSettingFields;

// The entry of a key; nullptr for none.
const SettingField* settingField(std::string_view key);

// Every setting named by one of the rows' words (&SettingField::option: the command line's).
SettingNames settingNames(std::string_view SettingField::*words);

// The text a setting keeps in settings; nullptr for a List.
std::string* settingText(Settings& settings, const SettingField& field);

}  // namespace brimalox::nec
