// Writes brimalox.html, the calculator as one self-contained web page: the window and the parts below
// it (page_parts.h), then the WebAssembly modules and the page's own scripts and style inlined, so
// the file needs nothing else.
//
// With a site folder it also writes the served edition there: the same page as index.html, with a
// link to its web app manifest (manifest.webmanifest, written here from the window's table) and the
// service worker sw.js that keeps it for offline use, its cache named by the version and the page.
//
// brimalox_page_gen SOURCE_DIR BUILD_DIR ICON_SVG OUT_HTML [SITE_DIR]
//   SOURCE_DIR: web/ (the page's styles and the service worker); BUILD_DIR: where the module and the
//   engine were built, and the page's scripts minified (minified/).

#include <fmt/format.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

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

// What the page adds below the window: the model check, its worker and the NEC-2 engine. The
// worker's parts are kept as text (the browser runs none of it on the page itself) for the check to
// start a worker from.
struct Check {
    std::string about, style, client, script, trim, cover, worker, engine, engineWasm, unpack, decoderWasm;
};

// The build sheet's script and style.
struct Sheet {
    std::string script, style;
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

std::string page(const std::string& style, const std::string& module, const std::string& moduleWasm,
                 const std::string& script, const std::string& icon, const Check& check, const Sheet& sheet,
                 const std::string& install) {
    const WindowSpec& window = mainWindow();
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
    out += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    out += "<meta name=\"color-scheme\" content=\"light dark\">\n";
    out += fmt::format("<title>{} - {}</title>\n", escape(window.caption), escape(kProgramName));
    out += fmt::format("<link rel=\"icon\" type=\"image/svg+xml\" href=\"{}\">\n",
                       escape(dataAddress("image/svg+xml", icon)));
    out += "<style>\n" + compactCss(styleSheet(style) + check.style + sheet.style) + "</style>\n";
    // The paper's size, one sheet a paper: the sheet's script turns on the one chosen.
    out += "<style id=\"sheet-page-a4\">@page{size:A4 portrait;margin:0}</style>\n";
    out += "<style id=\"sheet-page-letter\">@page{size:letter portrait;margin:0}</style>\n";
    out += "</head>\n<body>\n<main id=\"screen\">\n";
    out += fmt::format("<h1 class=\"unseen\">{}</h1>\n", escape(kProgramName));
    out += notices();
    out += windowRegion() + tools() + guide() + sheetSection() + checkSection(check.about) + glossary() + windows() +
           "</main>\n" + sheetView() + purposes();
    // The LZMA decoder's WebAssembly, gzip-compressed (the browser unpacks it), then the module's,
    // LZMA-compressed, as texts that unlzma.js unpacks when the module asks (wasm_source.js).
    out += textScript("lzma-wasm", base85(check.decoderWasm), "the LZMA decoder's WebAssembly");
    out += textScript("core-wasm", base85(moduleWasm), "the module's WebAssembly");
    out += inlineScript(check.unpack, "the modules' unpacking");
    // The check's worker starts the same module, from this script's text.
    out += "<script id=\"core-module\">" + inlineScript(module, "the WebAssembly module").substr(8);
    out += inlineScript(script, "the page script");
    out += textScript("check-worker", check.worker, "the check's worker");
    out += textScript("nec-engine", check.engine, "the NEC-2 engine");
    out += textScript("nec-engine-wasm", base85(check.engineWasm), "the NEC-2 engine's WebAssembly");
    out += inlineScript(check.client, "the worker's client");
    out += inlineScript(check.script, "the check's script");
    out += inlineScript(check.trim, "the trim's script");
    out += inlineScript(check.cover, "the search's script");
    out += inlineScript(sheet.script, "the build sheet script");
    out += inlineScript(install, "the served edition's script");
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

}  // namespace
}  // namespace brimalox

// The page's parts by their names in the page's source folder and its build folder.
int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::cerr << "usage: brimalox_page_gen SOURCE_DIR BUILD_DIR ICON_SVG OUT_HTML [SITE_DIR]\n";
        return 2;
    }
    const std::string source = std::string(argv[1]) + "/", build = std::string(argv[2]) + "/", out = argv[4];
    try {
        using brimalox::readFile;
        using brimalox::writeFile;
        auto part = [&](const char* name) { return readFile(source + name); };
        auto built = [&](const char* name) { return readFile(build + name); };
        const brimalox::Check check{built("engine/ABOUT-nec2c.txt") + built("unlzma/ABOUT-lzma.txt"),
                                    part("check.css"),
                                    built("minified/check_client.js"),
                                    built("minified/check.js"),
                                    built("minified/trim.js") + built("minified/analyser.js"),
                                    built("minified/cover.js"),
                                    built("minified/check_worker.js"),
                                    built("engine/nec2c_engine.js"),
                                    built("engine/nec2c_engine.wasm.lzma"),
                                    built("minified/base85.js") + built("minified/unlzma.js"),
                                    built("unlzma/unlzma.wasm.gz")};
        const std::string html = brimalox::page(
            part("page.css"), built("brimalox_core.js"), built("brimalox_core.wasm.lzma"),
            built("minified/page_dialogs.js") + built("minified/page_fields.js") + built("minified/page_speech.js") +
                built("minified/page_guide.js") + built("minified/page_address.js") + built("minified/page_copy.js") +
                built("minified/page.js"),
            readFile(argv[3]), check, {built("minified/sheet.js"), part("sheet.css")}, built("minified/install.js"));
        writeFile(out, html);
        if (argc == 6) {
            const std::string site = std::string(argv[5]) + "/";
            const std::string index = brimalox::web::siteIndex(html);
            writeFile(site + "index.html", index);
            writeFile(site + "manifest.webmanifest", brimalox::web::manifest());
            writeFile(site + "sw.js", brimalox::web::serviceWorker(part("service_worker.js"), index));
        }
    } catch (const std::exception& e) {
        std::cerr << "brimalox_page_gen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
