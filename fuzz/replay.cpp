// The replay script reader on any bytes: either a JSON result that reads back with the twelve value
// fields and one entry per click, or a usage error that names a line of the script in a short
// message.
#include <algorithm>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/replay.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using brimalox::fuzz::require;
    const std::string script(reinterpret_cast<const char*>(data), size);
    const std::string story = brimalox::fuzz::shown(script);
    brimalox::cli::Replay replay;
    std::istringstream in(script);
    if (const auto error = replay.run(in)) {
        const long lines = static_cast<long>(std::count(script.begin(), script.end(), '\n')) + 1;
        require(error->line >= 1 && error->line <= lines, "a usage error on no line of the script", story);
        require(!error->message.empty() && error->message.size() < 200, "a usage error's message", error->message);
        return 0;
    }
    const auto json = nlohmann::json::parse(replay.json(), nullptr, false);
    require(!json.is_discarded(), "the result is not JSON", story);
    require(json.at("fields").size() == brimalox::cli::reportedFields().size(), "the result's fields", story);
    require(json.at("clicks").size() == replay.clicks().size(), "the result's clicks", story);
    return 0;
}
