#include "cli/nec_commands.h"

#include <cmath>
#include <fstream>
#include <ostream>
#include <map>
#include <memory>
#include <stdexcept>

#include <CLI/CLI.hpp>

#include "cli/design_options.h"
#include "nec/analysis.h"
#include "nec/design_deck.h"
#include "nec/output_parser.h"
#include "nec/report.h"
#include "nec/runner.h"
#include "nec/pattern_plot.h"
#include "nec/svg_plot.h"
#include "nec/touchstone.h"
#include "numtext/numtext.h"

namespace brimalox::cli {
namespace {

using namespace nec;

constexpr int kExitFailed = 1;

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file.flush()) throw NecError("cannot write " + path);
}

struct Options {
    DesignRequest request;
    std::string from, to, step;
    DeckChoices choices;
};

void addCommonOptions(CLI::App& command, Options& options) {
    command.add_option("FREQ", options.request.frequencyText, "design frequency in MHz, typed into the frequency field")
        ->required();
    addDesignOptions(command, options.request);
    command.add_option("--from", options.from, "sweep start in MHz (default 0.8 x FREQ)")->type_name("MHZ");
    command.add_option("--to", options.to, "sweep end in MHz (default 1.4 x FREQ)")->type_name("MHZ");
    command.add_option("--step", options.step, "sweep step in MHz (default 0.01 x FREQ)")->type_name("MHZ");
    command.add_option("--ground", options.choices.ground,
                       "free (default), perfect, or a real ground (NEC-2's Sommerfeld-Norton model) of the "
                       "ARRL Antenna Book's table of common types of earth:\n" + groundClassesText())
        ->type_name("GROUND");
    command.add_option("--ground-constants", options.choices.groundConstants,
                       "a real ground of relative permittivity EPSR and conductivity SIGMA in S/m")
        ->type_name("EPSR,SIGMA");
    command.add_option("--height", options.choices.height, "height in metres of the antenna's lowest point above the ground")
        ->type_name("METRES");
    command.add_option("--pattern-at", options.choices.patternAt, "also compute the pattern at this frequency (repeatable)")
        ->type_name("MHZ");
}

// Runs a command's body: a failure is told on err and ends the program with status 1; an option
// value that makes no sense is a usage error.
template <typename Body>
void guarded(std::ostream& err, const char* command, Body body) {
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

}  // namespace

void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err) {
    {
        auto options = std::make_shared<Options>();
        auto output = std::make_shared<std::string>();
        CLI::App* nec = app.add_subcommand(
            "nec", "write a NEC-2 input deck of the design (ACCEPT, optional CHANGE, COMPUTE): wires in "
                   "metres, free space or over a ground, a source at every gap, an impedance sweep and the "
                   "pattern at FREQ");
        addCommonOptions(*nec, *options);
        nec->add_option("-o,--output", *output, "write the deck to FILE instead of standard output")->type_name("FILE");
        nec->callback([options, output, &out, &err] {
            guarded(err, "nec", [&] {
                const DeckJob job = makeDeck(options->request, options->from, options->to, options->step, options->choices);
                for (const std::string& warning : job.warnings) err << "brimalox-cli nec: warning: " << warning << '\n';
                if (output->empty() || *output == "-") {
                    out << job.deck << std::flush;
                } else {
                    writeFile(*output, job.deck);
                }
            });
        });
    }
    {
        struct SimulateOptions {
            Options common;
            std::string z0 = "300";
            std::string timeLimit = "120";
            ReportFormat format = ReportFormat::Text;
            std::string plot, plotPattern, heights, plotHeights, measured, touchstone;
        };
        auto options = std::make_shared<SimulateOptions>();
        CLI::App* simulate = app.add_subcommand(
            "simulate", "run the design's NEC-2 deck through nec2c and report impedance and SWR against "
                        "frequency, the best frequency, the ranges below 2:1 and the radiation pattern, in free "
                        "space or over a ground");
        addCommonOptions(*simulate, options->common);
        simulate->add_option("--z0", options->z0, "feed line impedance in ohms for the SWR (default 300)")
            ->type_name("OHMS");
        const std::map<std::string, ReportFormat> formats{
            {"text", ReportFormat::Text}, {"csv", ReportFormat::Csv}, {"json", ReportFormat::Json}};
        simulate->add_option("--format", options->format,
                             "text (default), csv (the sweep table only, or the heights table with --heights) or json")
            ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case))
            ->type_name("FORMAT");
        simulate->add_option("--plot", options->plot, "also draw SWR against frequency into an SVG file")
            ->type_name("FILE.svg");
        simulate->add_option("--plot-pattern", options->plotPattern,
                             "also draw the elevation and azimuth patterns at FREQ into an SVG file")
            ->type_name("FILE.svg");
        simulate->add_option("--heights", options->heights,
                             "maximum gain and take-off angle at FREQ for each height from FROM to TO metres in STEPs "
                             "(needs a ground)")
            ->type_name("FROM:TO:STEP");
        simulate->add_option("--plot-heights", options->plotHeights, "draw the --heights table into an SVG file")
            ->type_name("FILE.svg");
        simulate->add_option("--measured", options->measured,
                             "a one-port Touchstone file (.s1p) of the built antenna: its SWR against --z0 in the "
                             "report and over the model's in --plot")
            ->type_name("FILE.s1p");
        simulate->add_option("--touchstone", options->touchstone,
                             "write the model's reflection coefficient at gap 1 against --z0 as a Touchstone file")
            ->type_name("FILE.s1p");
        simulate->add_option("--time-limit", options->timeLimit, "stop nec2c after this many seconds (default 120)")
            ->type_name("SECONDS");
        simulate->callback([options, &out, &err] {
            guarded(err, "simulate", [&] {
                const SimulateOptions& o = *options;
                const double z0 = optionNumber(o.z0, "--z0");
                const double seconds = optionNumber(o.timeLimit, "--time-limit");
                const std::vector<double> heights = o.heights.empty() ? std::vector<double>{} : parseHeights(o.heights);
                if (!o.plotHeights.empty() && heights.empty())
                    throw std::invalid_argument("--plot-heights draws the --heights table: give --heights too");
                std::optional<Touchstone> measured;
                if (!o.measured.empty()) measured = readTouchstoneFile(o.measured);
                const DeckJob job = makeDeck(o.common.request, o.common.from, o.common.to, o.common.step, o.common.choices);
                if (!heights.empty() && job.setup.ground.kind == GroundKind::Free)
                    throw std::invalid_argument("--heights needs a ground (--ground perfect, a ground class or "
                                                "--ground-constants): free space has no height");
                for (const std::string& warning : job.warnings) err << "brimalox-cli simulate: warning: " << warning << '\n';
                RunOptions run;
                run.timeLimit = std::chrono::milliseconds(static_cast<long long>(std::min(seconds, 86400.0) * 1000));
                const Analysis analysis = runSimulation(job.prepared, z0, run);

                ReportContext context;
                context.design = job.design;
                context.ground = job.setup.ground;
                const PlotLabels labels{title(job.design) + " (nec2c, " + groundShortText(job.setup.ground) + ")",
                                        job.geometry.designMhz};
                MeasuredSwr swrs;
                if (measured) {
                    swrs = measuredSwr(*measured, z0);
                    context.measured = summarise(swrs, o.measured, job.geometry.designMhz);
                }
                if (!o.plot.empty()) writeFile(o.plot, swrPlotSvg(analysis, labels, swrs.points));
                if (!o.touchstone.empty()) writeFile(o.touchstone, writeTouchstone(analysis, z0, title(job.design)));
                if (!o.plotPattern.empty()) {
                    if (analysis.patterns.empty()) throw NecError("no pattern to draw: " + analysis.failures.front());
                    writeFile(o.plotPattern, patternPlotSvg(analysis.patterns.front(), title(job.design),
                                                            "nec2c, " + groundText(job.setup.ground)));
                }
                if (!heights.empty()) {
                    context.heights = heightTable(job.setup, heights, run);
                    if (!o.plotHeights.empty())
                        writeFile(o.plotHeights,
                                  heightsPlotSvg(context.heights, title(job.design),
                                                 "nec2c, " + groundShortText(job.setup.ground).substr(
                                                                 0, groundShortText(job.setup.ground).rfind(',')) +
                                                     ": maximum gain and take-off angle against height"));
                }
                out << formatReport(analysis, context, o.format) << std::flush;
                if (!analysis.failures.empty()) throw NecError("the model failed: " + analysis.failures.front());
            });
        });
    }
}

}  // namespace brimalox::cli
