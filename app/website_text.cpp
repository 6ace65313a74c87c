#include "app/website_text.h"

#include "app/layout.h"

namespace brimalox {

std::string_view websiteCaption() { return "WEBSITE"; }

const std::string& websiteText() {
    static const std::string text = "This program has no website address.\n\nBRIMALOX antenna calculator (" +
                                    std::string(mainWindow().caption) + "), version " BRIMALOX_VERSION;
    return text;
}

}  // namespace brimalox
