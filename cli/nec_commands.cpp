#include "cli/nec_commands.h"

#include "cli/analyser_options.h"
#include "cli/model_commands.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include <CLI/CLI.hpp>

#include "cli/design_options.h"
#include "cli/output.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/nec.h"
#include "nec/report/check_outputs.h"
#include "nec/report/report.h"

namespace brimalox::cli {
namespace {

using namespace nec;

}  // namespace

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush()) throw NecError("cannot write " + path);
}

namespace {

void addCommonOptions(CLI::App& command, Request& request) {
    addModelOptions(command, request);
    addSettingOption(command, request.settings, "patternAt");
}

}  // namespace

Touchstone readTouchstoneFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw NecError("cannot read the measured file " + path);
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return readTouchstone(text.str());
    } catch (const NecError& e) {
        throw NecError(path + ": " + e.what());
    }
}

SettingNames optionNames() { return settingNames(&SettingField::option); }

CLI::Option* addSettingOption(CLI::App& command, Settings& settings, std::string_view key) {
    const SettingField& field = *settingField(key);
    std::string help(field.help);
    if (field.helpMore) help += "\n" + field.helpMore();
    const std::string name(field.option);
    CLI::Option* option = field.list ? command.add_option(name, settings.*field.list, help)
                                     : command.add_option(name, *settingText(settings, field), help);
    return option->type_name(std::string(field.type));
}

void addSettingOptions(CLI::App& command, Settings& settings, std::initializer_list<SettingGroup> groups) {
    for (SettingGroup group : groups)
        for (const SettingField& field : kSettingFields)
            if (field.group == group) addSettingOption(command, settings, field.key);
}

void addModelOptions(CLI::App& command, Request& request) {
    request.names = optionNames();
    command.add_option("FREQ", request.design.frequencyText, "design frequency in MHz, typed into the frequency field")
        ->required();
    addDesignOptions(command, request.design);
    addSettingOptions(command, request.settings, {SettingGroup::Sweep, SettingGroup::Ground, SettingGroup::Coat});
}

CLI::Option* addTimeLimitOption(CLI::App& command, std::string& seconds, const std::string& help) {
    return command.add_option("--time-limit", seconds, help)->type_name("SECONDS");
}

RunOptions timeLimited(const std::string& seconds) {
    RunOptions run;
    const double limit = std::min(positiveSetting(seconds, "--time-limit"), 86400.0);
    run.timeLimit = std::chrono::milliseconds(static_cast<long long>(limit * 1000));
    return run;
}

void guarded(std::ostream& err, const char* command, const std::function<void()>& body) {
    try {
        body();
    } catch (const Interrupted& e) {
        err << "brimalox-cli " << command << ": " << e.what() << std::endl;
        endBySignal(e.signal());
    } catch (const NecError& e) {
        err << "brimalox-cli " << command << ": " << e.what() << '\n';
        throw CLI::RuntimeError(kExitFailed);
    } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError(command, e.what());
    } catch (const std::exception& e) {  // out of memory, a file system failure: said, never a crash
        err << "brimalox-cli " << command << ": " << e.what() << '\n';
        throw CLI::RuntimeError(kExitFailed);
    }
}

namespace {

std::size_t heightsChartFile() {
    std::size_t i = 0;
    while (kCheckOutputs[i].option != "--plot-heights")
        ++i;
    return i;
}

}  // namespace

void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err) {
    {
        auto request = std::make_shared<Request>();
        auto output = std::make_shared<std::string>();
        CLI::App* nec =
            app.add_subcommand("nec",
                               "write a NEC-2 input deck of the design (ACCEPT, optional CHANGE, COMPUTE): wires in "
                               "metres, free space or over a ground, a source at every gap, an impedance sweep and the "
                               "pattern at FREQ");
        addCommonOptions(*nec, *request);
        nec->add_option("-o,--output", *output, "write the deck to FILE instead of standard output")->type_name("FILE");
        nec->callback([request, output, &out, &err] {
            guarded(err, "nec", [&] {
                const Prepared prepared = prepare(*request);
                for (const std::string& warning : prepared.deck.warnings)
                    err << "brimalox-cli nec: warning: " << warning << '\n';
                if (output->empty() || *output == "-") {
                    out << prepared.deck.deck << std::flush;
                } else {
                    writeFile(*output, prepared.deck.deck);
                }
            });
        });
    }
    {
        struct SimulateOptions {
            Request request;
            std::string timeLimit = std::to_string(kTimeLimitSeconds);
            ReportFormat format = ReportFormat::Text;
            std::array<std::string, kCheckOutputs.size()> files;  // by kCheckOutputs, where one has an option
            std::string measured;
            AnalyserOptions analyser;
        };
        auto options = std::make_shared<SimulateOptions>();
        CLI::App* simulate =
            app.add_subcommand("simulate",
                               "run the design's NEC-2 deck through nec2c and report impedance and SWR against "
                               "frequency, the best frequency, the ranges below 2:1 and the radiation pattern, in free "
                               "space or over a ground");
        addCommonOptions(*simulate, options->request);
        Settings& settings = options->request.settings;
        addSettingOptions(*simulate, settings, {SettingGroup::Line, SettingGroup::Feed});
        addFormatOption(*simulate, options->format,
                        "text (default), csv (the sweep table only, or the heights table with --heights) or json");
        addSettingOption(*simulate, settings, "heights");
        for (std::size_t i = 0; i < kCheckOutputs.size(); ++i)
            if (const CheckOutput& file = kCheckOutputs[i]; !file.option.empty())
                simulate->add_option(std::string(file.option), options->files[i], std::string(file.help))
                    ->type_name("FILE." + std::string(file.suffix));
        simulate
            ->add_option("--measured", options->measured,
                         "a one-port Touchstone file (.s1p) of the built antenna: its SWR against --z0 in the "
                         "report and over the model's in --plot")
            ->type_name("FILE.s1p");
        addAnalyserOptions(*simulate, options->analyser);
        simulate->get_option("--vna")->excludes("--measured");
        addTimeLimitOption(*simulate, options->timeLimit,
                           "stop nec2c after this many seconds (default " + std::to_string(kTimeLimitSeconds) + ")");
        simulate->callback([options, &out, &err] {
            guarded(err, "simulate", [&] {
                SimulateOptions& o = *options;
                const RunOptions run = timeLimited(o.timeLimit);
                if (!o.files[heightsChartFile()].empty() && o.request.settings.heights.empty())
                    throw std::invalid_argument("--plot-heights draws the --heights table: give --heights too");
                if (!o.measured.empty()) o.request.measured = Measured{o.measured, readTouchstoneFile(o.measured)};
                if (!o.analyser.port.empty()) {
                    // The plan is made from the prepared request: the settings are refused before it sweeps.
                    const vna::SweepPlan plan = vna::sweepPlan(o.request, o.analyser.points);
                    o.request.measured = vna::measuredOf(sweepAnalyser(o.analyser.port, plan, err), o.analyser.port);
                }
                // The settings are checked before nec2c starts, so a refusal costs no run.
                const Prepared prepared = prepare(o.request);
                const EngineMaker engines = [run] { return std::make_unique<Nec2cProgram>(run); };
                const Result result = runSideBySide(prepared, engines, coreCount());
                for (const std::string& warning : result.warnings)
                    err << "brimalox-cli simulate: warning: " << warning << '\n';
                for (std::size_t i = 0; i < kCheckOutputs.size(); ++i)
                    if (!o.files[i].empty()) writeFile(o.files[i], kCheckOutputs[i].text(result));
                out << report(result, o.format) << std::flush;
                if (!result.analysis.failures.empty())
                    throw NecError("the model failed: " + result.analysis.failures.front());
            });
        });
    }
}

}  // namespace brimalox::cli
