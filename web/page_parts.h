#pragma once
// The page's parts as brimalox_page_gen writes them, each a text of HTML (or, for the served
// edition, of JSON and JavaScript): the window from the core's tables (page_window.cpp), the parts
// below it (page_sections.cpp) and the served edition's files (page_site.cpp). page_generator.cpp
// puts them, the scripts and the modules together.

#include <string>
#include <string_view>

#include "app/layout.h"

namespace brimalox::web {

// Text for HTML: & < > " escaped.
std::string escape(std::string_view text);
// #rrggbb.
std::string colour(Rgb rgb);

// The window: the fonts and each control's place, colour and font (with the page's own style).
std::string styleSheet(std::string_view pageStyle);
// A style sheet without its comments and layout.
std::string compactCss(std::string_view css);
// The main window's controls in reading order, its option buttons grouped.
std::string windowRegion();
// The notes and website windows, as dialogs.
std::string windows();
// What each control does, for the descriptions the controls point to.
std::string purposes();
// What the page says when it cannot run the calculator.
std::string notices();

// Below the window: the design's tools, the builder's road, the build sheet, the model check (with
// the engines' licence texts, `about`), the glossary; the sheet's dialog.
std::string tools();
std::string guide();
std::string sheetSection();
std::string checkSection(const std::string& about);
std::string glossary();
std::string sheetView();

// The served edition: the page as index.html, its web app manifest and its service worker.
std::string siteIndex(const std::string& html);
std::string manifest();
std::string serviceWorker(const std::string& script, const std::string& index);

}  // namespace brimalox::web
