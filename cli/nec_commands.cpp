#include "cli/nec_commands.h"

#include "cli/analyser_options.h"
#include "cli/model_commands.h"

#include <algorithm>
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
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/nec.h"
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
    command
        .add_option("--pattern-at", request.settings.patternAt,
                    "also compute the pattern at this frequency (repeatable)")
        ->type_name("MHZ");
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

SettingNames optionNames() {
    SettingNames names;
    names.from = "--from";
    names.to = "--to";
    names.step = "--step";
    names.ground = "--ground";
    names.groundConstants = "--ground-constants";
    names.height = "--height";
    names.patternAt = "--pattern-at";
    names.z0 = "--z0";
    names.heights = "--heights";
    names.feedLine = "--feed-line";
    names.feedLoss = "--feed-loss";
    names.feedSection = "--feed-section";
    names.balun = "--balun";
    names.coax = "--coax";
    names.rigZ0 = "--rig-z0";
    names.at = "--at";
    names.insulation = "--insulation";
    return names;
}

void addModelOptions(CLI::App& command, Request& request) {
    request.names = optionNames();
    Settings& settings = request.settings;
    command.add_option("FREQ", request.design.frequencyText, "design frequency in MHz, typed into the frequency field")
        ->required();
    addDesignOptions(command, request.design);
    command.add_option("--from", settings.from, "sweep start in MHz (default 0.8 x FREQ)")->type_name("MHZ");
    command.add_option("--to", settings.to, "sweep end in MHz (default 1.4 x FREQ)")->type_name("MHZ");
    command.add_option("--step", settings.step, "sweep step in MHz (default 0.01 x FREQ)")->type_name("MHZ");
    command
        .add_option("--ground", settings.ground,
                    "free (default), perfect, or a real ground (NEC-2's Sommerfeld-Norton model) of the "
                    "ARRL Antenna Book's table of common types of earth:\n" +
                        groundClassesText())
        ->type_name("GROUND");
    command
        .add_option("--ground-constants", settings.groundConstants,
                    "a real ground of relative permittivity EPSR and conductivity SIGMA in S/m")
        ->type_name("EPSR,SIGMA");
    command.add_option("--height", settings.height, "height in metres of the antenna's lowest point above the ground")
        ->type_name("METRES");
    addInsulationOption(command, settings.insulation);
}

CLI::Option* addInsulationOption(CLI::App& command, std::string& insulation) {
    return command
        .add_option("--insulation", insulation,
                    "insulated wire: the coat's radial thickness in mm and its relative permittivity (1 to 10), or a "
                    "plastic by name (PE and Teflon also name polyethylene and PTFE):\n" +
                        coatMaterialsText())
        ->type_name("MM,EPSR|MM,NAME");
}

void addFeedOptions(CLI::App& command, Settings& settings) {
    struct FeedOption {
        const char* name;
        std::string FeedSettings::*setting;
        const char* type;
        const char* help;
    };
    static constexpr FeedOption kFeedOptions[]{
        {"--feed-line", &FeedSettings::line, "Z0,VF[,MM]",
         "the line from each gap, all alike and joined side by side at one junction: impedance in ohms (10 to 1000), "
         "velocity factor (above 0, at most 1) and length in mm (0 to 100000) (default --z0, 0.82 and the series "
         "match length)"},
        {"--feed-loss", &FeedSettings::loss, "DB",
         "the line's (and the section's) matched loss in dB per 100 m at 100 MHz (0 to 100), growing with the square "
         "root of frequency (default 0)"},
        {"--feed-section", &FeedSettings::section, "Z0,VF,MM",
         "a section of line between the junction and the balun (the same ranges as --feed-line)"},
        {"--balun", &FeedSettings::balun, "N",
         "an ideal N:1 impedance transformer after the junction, N from 0.25 to 16 (default 1)"},
        {"--coax", &FeedSettings::coax, "Z0,VF,METRES[,DB]",
         "coax from the balun to the rig: impedance (10 to 1000 ohms), velocity factor, length in metres (0 to 300) "
         "and loss in dB per 100 m at 100 MHz (0 to 100) (default 0)"},
        {"--rig-z0", &FeedSettings::rigZ0, "OHMS",
         "the rig's or analyser's reference impedance in ohms, 10 to 600 (default 50)"},
        {"--at", &FeedSettings::at, "PLANE",
         "where the SWR, its stretches, the charts and the files are taken, and where a measurement was taken: gap, "
         "junction or rig (default rig when a feed is given)"},
    };
    for (const FeedOption& option : kFeedOptions)
        command.add_option(option.name, settings.feed.*option.setting, option.help)->type_name(option.type);
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

void addReportFormatOption(CLI::App& command, ReportFormat& format, const std::string& help) {
    const std::map<std::string, ReportFormat> formats{
        {"text", ReportFormat::Text}, {"csv", ReportFormat::Csv}, {"json", ReportFormat::Json}};
    command.add_option("--format", format, help)
        ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case))
        ->type_name("FORMAT");
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
            std::string plot, plotPattern, plotHeights, plotSmith, measured, touchstone;
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
        simulate->add_option("--z0", settings.z0, "feed line impedance in ohms for the SWR (default 300)")
            ->type_name("OHMS");
        addFeedOptions(*simulate, settings);
        addReportFormatOption(
            *simulate, options->format,
            "text (default), csv (the sweep table only, or the heights table with --heights) or json");
        simulate->add_option("--plot", options->plot, "also draw SWR against frequency into an SVG file")
            ->type_name("FILE.svg");
        simulate
            ->add_option("--plot-pattern", options->plotPattern,
                         "also draw the elevation and azimuth patterns at FREQ into an SVG file")
            ->type_name("FILE.svg");
        simulate
            ->add_option("--plot-smith", options->plotSmith,
                         "also draw the impedance where the SWR is taken (--at) on a Smith chart, with --measured's")
            ->type_name("FILE.svg");
        simulate
            ->add_option("--heights", settings.heights,
                         "maximum gain and take-off angle at FREQ for each height from FROM to TO metres in STEPs "
                         "(needs a ground)")
            ->type_name("FROM:TO:STEP");
        simulate->add_option("--plot-heights", options->plotHeights, "draw the --heights table into an SVG file")
            ->type_name("FILE.svg");
        simulate
            ->add_option("--measured", options->measured,
                         "a one-port Touchstone file (.s1p) of the built antenna: its SWR against --z0 in the "
                         "report and over the model's in --plot")
            ->type_name("FILE.s1p");
        addAnalyserOptions(*simulate, options->analyser);
        simulate->get_option("--vna")->excludes("--measured");
        simulate
            ->add_option("--touchstone", options->touchstone,
                         "write the model's reflection coefficient at gap 1 against --z0 as a Touchstone file")
            ->type_name("FILE.s1p");
        addTimeLimitOption(*simulate, options->timeLimit,
                           "stop nec2c after this many seconds (default " + std::to_string(kTimeLimitSeconds) + ")");
        simulate->callback([options, &out, &err] {
            guarded(err, "simulate", [&] {
                SimulateOptions& o = *options;
                const RunOptions run = timeLimited(o.timeLimit);
                if (!o.plotHeights.empty() && o.request.settings.heights.empty())
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
                if (!o.plot.empty()) writeFile(o.plot, swrChart(result));
                if (!o.touchstone.empty()) writeFile(o.touchstone, touchstoneFile(result));
                if (!o.plotPattern.empty()) writeFile(o.plotPattern, patternChart(result));
                if (!o.plotSmith.empty()) writeFile(o.plotSmith, smithChart(result));
                if (!o.plotHeights.empty()) writeFile(o.plotHeights, heightsChart(result));
                out << report(result, o.format) << std::flush;
                if (!result.analysis.failures.empty())
                    throw NecError("the model failed: " + result.analysis.failures.front());
            });
        });
    }
}

}  // namespace brimalox::cli
