#pragma once
// What WEBSITE shows: the program has no website, so its window says so and names the program and
// its version. Every front-end shows these words, so they live here and not in a window's code.

#include <string>
#include <string_view>

namespace brimalox {

// The caption of the website window.
std::string_view websiteCaption();
// Its text: two paragraphs separated by an empty line ("\n\n").
const std::string& websiteText();

}  // namespace brimalox
