#include "cli/design_options.h"

#include <CLI/CLI.hpp>

namespace brimalox::cli {

void addDesignOptions(CLI::App& command, DesignRequest& request) {
    // Checked as text, before CLI11 converts it, so that "--sides x" is told what is wrong with x.
    const CLI::Validator threeOrFour(
        [](std::string& text) {
            return text == "3" || text == "4" ? std::string() : "\"" + text + "\" is not 3 or 4 (the number of sides)";
        },
        "3|4");
    command.add_option("--sides", request.sides, "3 for THREE SIDED (default), 4 for FOUR SIDED")
        ->check(threeOrFour)
        ->capture_default_str();
    auto* awg = command.add_option_function<std::string>(
        "--awg",
        [&request](const std::string& text) {
            request.conductor = {ConductorUnit::Awg, text};
        },
        "conductor as a gauge code, typed into the AWG field (00 is 9009, 000 is 90009, 0000 is 900009)");
    auto* inch = command.add_option_function<std::string>(
        "--inch",
        [&request](const std::string& text) {
            request.conductor = {ConductorUnit::Inch, text};
        },
        "conductor diameter in inches, typed into the inch field");
    auto* mm = command.add_option_function<std::string>(
        "--mm",
        [&request](const std::string& text) {
            request.conductor = {ConductorUnit::Millimetre, text};
        },
        "conductor diameter in millimetres, typed into the millimetre field");
    awg->type_name("CODE")->excludes(inch)->excludes(mm);
    inch->type_name("D")->excludes(mm);
    mm->type_name("D");
}

}  // namespace brimalox::cli
