#include <ctime>
#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/analyser_options.h"
#include "cli/design_options.h"
#include "cli/nec_commands.h"
#include "cli/serial_port.h"
#include "numtext/figures.h"

namespace brimalox::cli {

using namespace nec;

std::string timeNow(const char* format, bool utc) {
    const std::time_t t = std::time(nullptr);
    std::tm parts{};
    if (utc)
        gmtime_r(&t, &parts);
    else
        localtime_r(&t, &parts);
    char text[64];
    return std::strftime(text, sizeof text, format, &parts) ? text : "";
}

void addAnalyserOptions(CLI::App& command, AnalyserOptions& options) {
    command
        .add_option("--vna", options.port,
                    "sweep a NanoVNA-class analyser on this serial port (auto: the one attached), calibrated at the "
                    "plane it measures, over --from to --to, and use the sweep as a measured file")
        ->type_name("PORT|auto");
    command.add_option("--points", options.points, "the analyser's points (default the model's, at most 101)")
        ->type_name("N");
}

vna::Sweep sweepAnalyser(const std::string& port, const vna::SweepPlan& plan, std::ostream& err) {
    std::string path = port;
    if (port == "auto") {
        const std::vector<FoundAnalyser> found = findAnalysers();
        if (found.empty())
            throw NecError(
                "--vna auto: no analyser found by its USB ids (NanoVNA 0483:5740, V2 04b4:0008): is it "
                "plugged in and switched on? Or name its port, such as --vna /dev/ttyACM0");
        if (found.size() > 1) {
            std::string list;
            for (const FoundAnalyser& a : found)
                list += "\n  " + a.port + ": " + a.kind;
            throw NecError("--vna auto: " + std::to_string(found.size()) +
                           " analysers attached; say which with --vna PORT:" + list);
        }
        path = found.front().port;
        err << "brimalox-cli: --vna auto: " << found.front().kind << " at " << path << '\n';
    }
    try {
        SerialPort serial(path);
        const std::unique_ptr<vna::Conversation> conversation = vna::sweepConversation(plan);
        return vna::run(*conversation, serial);
    } catch (const std::exception& e) {
        throw NecError(path + ": " + e.what());
    }
}

void addMeasureCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    struct MeasureOptions {
        Request request;
        AnalyserOptions analyser;
        std::string output;
    };
    auto options = std::make_shared<MeasureOptions>();
    CLI::App* measure = app.add_subcommand(
        "measure",
        "sweep a NanoVNA-class analyser over the design's model frequencies and write a Touchstone file (.s1p)");
    Request& r = options->request;
    r.names = optionNames();
    measure->add_option("FREQ", r.design.frequencyText, "design frequency in MHz, typed into the frequency field")
        ->required();
    addDesignOptions(*measure, r.design);
    for (const char* key : {"from", "to"})
        addSettingOption(*measure, r.settings, key);
    addAnalyserOptions(*measure, options->analyser);
    measure->get_option("--vna")->required();
    measure->add_option("-o,--output", options->output, "the Touchstone file to write")
        ->required()
        ->type_name("FILE.s1p");
    measure->callback([options, &out, &err] {
        guarded(err, "measure", [&] {
            const vna::SweepPlan plan = vna::sweepPlan(options->request, options->analyser.points);
            const vna::Sweep sweep = sweepAnalyser(options->analyser.port, plan, err);
            // Only a whole sweep is written: a failure above leaves no file.
            writeFile(options->output, vna::touchstoneText(sweep, timeNow("%Y-%m-%d %H:%M:%S UTC", true)));
            out << options->output << ": " << sweep.hz.size() << " points, " << numberText(sweep.hz.front() / 1e6)
                << " to " << numberText(sweep.hz.back() / 1e6) << " MHz, from " << sweep.analyser
                << " (its calibration at the plane it measured)\n";
        });
    });
}

}  // namespace brimalox::cli
