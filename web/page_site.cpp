// The served edition's own files: the page as index.html naming its manifest, the web app manifest
// from the window's table, and the service worker with its cache named by the version and the page.
#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

#include "app/layout.h"
#include "web/page_parts.h"

namespace brimalox::web {

// The icon's sizes as the manifest and the build (web/CMakeLists.txt) name its PNG files.
constexpr std::string_view kIcons[][3] = {{"icon-192.png", "192x192", "any"},
                                          {"icon-512.png", "512x512", "any"},
                                          {"icon-maskable-512.png", "512x512", "maskable"}};

// The same page, which names its manifest (install.js registers the service worker only then) and
// the colour of the window's bar, with the icon a phone puts on its home screen.
std::string siteIndex(const std::string& html) {
    constexpr std::string_view kAfter = "<meta charset=\"utf-8\">\n";
    const std::size_t at = html.find(kAfter);
    if (at == std::string::npos) throw std::runtime_error("the page has no charset line to put the manifest after");
    const std::string head = fmt::format(
        "<link rel=\"manifest\" href=\"manifest.webmanifest\">\n<meta name=\"theme-color\" content=\"{}\">\n"
        "<link rel=\"apple-touch-icon\" href=\"{}\">\n",
        colour(mainWindow().background), kIcons[0][0]);
    std::string out = html;
    out.insert(at + kAfter.size(), head);
    return out;
}

std::string manifest() {
    const std::string window = colour(mainWindow().background);
    nlohmann::ordered_json icons = nlohmann::ordered_json::array();
    for (const auto& [file, sizes, purpose] : kIcons)
        icons.push_back({{"src", file}, {"sizes", sizes}, {"type", "image/png"}, {"purpose", purpose}});
    const nlohmann::ordered_json m = {{"name", kProgramName},
                                      {"short_name", "BRIMALOX"},
                                      {"description", "Designs the BRIMALOX antenna and checks it in a NEC-2 model."},
                                      {"id", "./"},
                                      {"start_url", "./"},
                                      {"scope", "./"},
                                      {"display", "standalone"},
                                      {"theme_color", window},
                                      {"background_color", window},
                                      {"icons", icons}};
    return m.dump(2) + "\n";
}

// FNV-1a over the page: a rebuilt page under the same version is still a new cache, so that the
// browser takes it.
std::string fingerprint(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (unsigned char c : text)
        hash = (hash ^ c) * 0x100000001b3;
    return fmt::format("{:016x}", hash);
}

// The service worker with its cache's name and what it keeps: the page and what installs it.
std::string serviceWorker(const std::string& script, const std::string& index) {
    std::string files = "'./', 'manifest.webmanifest'";
    for (const auto& icon : kIcons)
        files += fmt::format(", '{}'", icon[0]);
    std::string out = script;
    for (const auto& [mark, text] :
         {std::pair<std::string_view, std::string>{"@CACHE@",
                                                   fmt::format("brimalox-{}-{}", BRIMALOX_VERSION, fingerprint(index))},
          {"@FILES@", files}}) {
        const std::size_t at = out.find(mark);
        if (at == std::string::npos) throw std::runtime_error(fmt::format("sw.js has no {}", mark));
        out.replace(at, mark.size(), text);
    }
    return out;
}

}  // namespace brimalox::web
