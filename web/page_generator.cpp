// Writes brimalox.html, the calculator as one self-contained web page: the window and the parts below
// it (page_parts.h), then the WebAssembly modules and the page's own scripts and style inlined, so
// the file needs nothing else.
//
// With a site folder it also writes the served edition there: the same page as index.html, with a
// link to its web app manifest (manifest.webmanifest, written here from the window's table) and the
// service worker sw.js that keeps it for offline use, its cache named by the version and the page.
//
// brimalox_page_gen SOURCE_DIR BUILD_DIR ICON_SVG OUT_HTML SITE_DIR SCRIPT...
//   SOURCE_DIR: web/ (the page's styles and the service worker); BUILD_DIR: where the module and the
//   engine were built, and the check's worker script minified (minified/); SCRIPT...: the page's
//   scripts in the order the page runs them (web/CMakeLists.txt lists them), each inlined so.

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/layout.h"
#include "app/road.h"
#include "web/page_parts.h"

namespace brimalox {
namespace {

using namespace web;
std::string inlineScript(const std::string& script, const std::string& from) {
    if (script.find("</script") != std::string::npos || script.find("<!--") != std::string::npos)
        throw std::runtime_error(from + " holds text that would end an inline script");
    return "<script>" + script + "</script>\n";
}

// A script of the page by its file's name.
struct Script {
    std::string name, text;
};

// What the page holds besides the scripts the build lists, put before the script named `before`, the
// first that needs it.
struct Held {
    std::string before, html;
};

std::string textScript(const std::string& id, const std::string& text, const std::string& from) {
    const std::string script = inlineScript(text, from);
    return "<script type=\"text/plain\" id=\"" + id + "\">" + script.substr(8);
}

// Bytes as Ascii85 text (four bytes to five characters, the last group cut to its bytes and one),
// with 'v' for '<', as base85.js reads it: a fifth less than base64, and nothing an HTML parser
// could take for the end of a script.
std::string base85(std::string_view bytes) {
    std::string out;
    for (std::size_t at = 0; at < bytes.size(); at += 4) {
        const std::size_t n = std::min<std::size_t>(4, bytes.size() - at);
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | (i < n ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        char group[5];
        for (int i = 4; i >= 0; --i, value /= 85)
            group[i] = static_cast<char>(value % 85 == 27 ? 'v' : '!' + value % 85);
        out.append(group, n + 1);
    }
    return out;
}

// The desktop icon as a data address, so that the page fetches nothing for it.
std::string dataAddress(std::string_view mediaType, std::string_view data) {
    std::string out = "data:" + std::string(mediaType) + ",";
    for (unsigned char c : data) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::string_view(" -_.!~*'()/:;=,+@?$").find(static_cast<char>(c)) != std::string_view::npos;
        out += plain ? std::string(1, static_cast<char>(c)) : fmt::format("%{:02X}", c);
    }
    return out;
}

std::string page(const std::string& style, const std::string& icon, const std::string& about,
                 const std::vector<Held>& held, const std::vector<Script>& scripts) {
    const WindowSpec& window = mainWindow();
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<meta name=\"color-scheme\" content=\"light dark\">\n";
    out += fmt::format("<title>{} - {}</title>\n", escape(window.caption), escape(kProgramName));
    out += fmt::format("<link rel=\"icon\" type=\"image/svg+xml\" href=\"{}\">\n",
                       escape(dataAddress("image/svg+xml", icon)));
    out += "<style>\n" + compactCss(style) + "</style>\n";
    // The paper's size, one sheet a paper: the sheet's script turns on the one chosen.
    out += "<style id=\"sheet-page-a4\">@page{size:A4 portrait;margin:0}</style>\n";
    out += "<style id=\"sheet-page-letter\">@page{size:letter portrait;margin:0}</style>\n";
    out += "</head>\n<body>\n<main id=\"screen\">\n";
    out += fmt::format("<h1 class=\"unseen\">{}</h1>\n", escape(kProgramName));
    out += notices();
    out += windowRegion() + tools() + guide() + sheetSection() + checkSection(about) + glossary() + windows() +
           "</main>\n" + sheetView() + purposes();
    for (const Held& text : held)
        if (std::none_of(scripts.begin(), scripts.end(), [&](const Script& s) { return s.name == text.before; }))
            throw std::runtime_error("the page's scripts have no " + text.before +
                                     ", which texts of the page go before");
    for (const Script& script : scripts) {
        for (const Held& text : held)
            if (text.before == script.name) out += text.html;
        out += inlineScript(script.text, script.name);
    }
    return out + "</body>\n</html>\n";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes a file whole or not at all: the build never sees half a page.
void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path + ".tmp", std::ios::binary);
    file << text;
    file.close();
    if (!file || std::rename((path + ".tmp").c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot write " + path);
}

// The WebAssembly as Ascii85 text before the unpacking: the LZMA decoder's, gzip-compressed (the
// browser unpacks it), then the module's, LZMA-compressed, which unlzma.js unpacks when the module
// asks (wasm_source.js). The module, which defines createBrimaloxCore, before the script that calls
// it. The check's worker and the NEC-2 engine as text (the browser runs them only in the worker,
// which starts the same module from its script's text) before the worker's client.
std::vector<Held> heldTexts(const std::string& build) {
    auto built = [&](const char* name) { return readFile(build + name); };
    return {{"base85.js",
             textScript("lzma-wasm", base85(built("unlzma/unlzma.wasm.gz")), "the LZMA decoder's WebAssembly") +
                 textScript("core-wasm", base85(built("brimalox_core.wasm.lzma")), "the module's WebAssembly")},
            {"page.js", "<script id=\"core-module\">" +
                            inlineScript(built("brimalox_core.js"), "the WebAssembly module").substr(8)},
            {"check_client.js", textScript("check-worker", built("minified/check_worker.js"), "the check's worker") +
                                    textScript("nec-engine", built("engine/nec2c_engine.js"), "the NEC-2 engine") +
                                    textScript("nec-engine-wasm", base85(built("engine/nec2c_engine.wasm.lzma")),
                                               "the NEC-2 engine's WebAssembly")}};
}

}  // namespace
}  // namespace brimalox

// The page's parts by their names in the page's source folder and its build folder, its scripts as
// the command line gives them.
int main(int argc, char** argv) {
    if (argc < 7) {
        std::cerr << "usage: brimalox_page_gen SOURCE_DIR BUILD_DIR ICON_SVG OUT_HTML SITE_DIR SCRIPT...\n";
        return 2;
    }
    const std::string source = std::string(argv[1]) + "/", build = std::string(argv[2]) + "/", out = argv[4];
    try {
        using brimalox::readFile;
        using brimalox::writeFile;
        auto part = [&](const char* name) { return readFile(source + name); };
        auto built = [&](const char* name) { return readFile(build + name); };
        std::vector<brimalox::Script> scripts;
        for (int i = 6; i < argc; ++i) {
            const std::string path = argv[i];
            scripts.push_back({path.substr(path.find_last_of('/') + 1), readFile(path)});
        }
        const std::string html = brimalox::page(
            brimalox::web::styleSheet(part("page.css")) + part("check.css") + part("sheet.css"), readFile(argv[3]),
            built("engine/ABOUT-nec2c.txt") + built("unlzma/ABOUT-lzma.txt"), brimalox::heldTexts(build), scripts);
        writeFile(out, html);
        const std::string site = std::string(argv[5]) + "/";
        const std::string index = brimalox::web::siteIndex(html);
        writeFile(site + "index.html", index);
        writeFile(site + "manifest.webmanifest", brimalox::web::manifest());
        writeFile(site + "sw.js", brimalox::web::serviceWorker(part("service_worker.js"), index));
    } catch (const std::exception& e) {
        std::cerr << "brimalox_page_gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
