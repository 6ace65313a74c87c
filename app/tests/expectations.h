#pragma once
// The main window and the notes as the tests expect them: tests/form1.json and tests/notes.json,
// written by hand from the window's description and read by the end-to-end and the page's tests too.
// BRIMALOX_TESTS_DIR, the source tree's tests/ folder, comes from the build.

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace brimalox::testing {

inline nlohmann::json readExpectations(const std::string& file) {
    const std::string path = std::string(BRIMALOX_TESTS_DIR) + "/" + file;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    return nlohmann::json::parse(in);
}

inline const nlohmann::json& expectedForm() {
    static const nlohmann::json form = readExpectations("form1.json");
    return form;
}

inline const nlohmann::json& expectedNotes() {
    static const nlohmann::json notes = readExpectations("notes.json");
    return notes;
}

// The notes window's name and caption.
inline std::string expectedNotesName() { return expectedNotes().at("window").at("name"); }
inline std::string expectedNotesCaption() { return expectedNotes().at("window").at("caption"); }

// The notes text: every line with its blanks and a CR LF.
inline std::string expectedNotesText() {
    std::string text;
    for (const nlohmann::json& line : expectedNotes().at("lines"))
        text += line.at(0).get<std::string>() + std::string(line.at(1).get<std::size_t>(), ' ') + "\r\n";
    return text;
}

}  // namespace brimalox::testing
