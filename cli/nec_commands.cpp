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
#include "nec/svg_plot.h"
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
};

void addCommonOptions(CLI::App& command, Options& options) {
    command.add_option("FREQ", options.request.frequencyText, "design frequency in MHz, typed into the frequency field")
        ->required();
    addDesignOptions(command, options.request);
    command.add_option("--from", options.from, "sweep start in MHz (default 0.8 x FREQ)")->type_name("MHZ");
    command.add_option("--to", options.to, "sweep end in MHz (default 1.4 x FREQ)")->type_name("MHZ");
    command.add_option("--step", options.step, "sweep step in MHz (default 0.01 x FREQ)")->type_name("MHZ");
}

// Runs a command's body: a failure is told on err and ends the program with status 1; an option
// value that makes no sense is a usage error.
template <typename Body>
void guarded(std::ostream& err, const char* command, Body body) {
    try {
        body();
    } catch (const NecError& e) {
        err << "brimalox-cli " << command << ": " << e.what() << '\n';
        throw CLI::RuntimeError(kExitFailed);
    } catch (const std::invalid_argument& e) {
        throw CLI::ValidationError(command, e.what());
    }
}

}  // namespace

void addNecCommands(CLI::App& app, std::ostream& out, std::ostream& err) {
    {
        auto options = std::make_shared<Options>();
        auto output = std::make_shared<std::string>();
        CLI::App* nec = app.add_subcommand(
            "nec", "write a NEC-2 input deck of the design (ACCEPT, optional CHANGE, COMPUTE): wires in "
                   "metres, free space, a source at every gap, an impedance sweep and the pattern at FREQ");
        addCommonOptions(*nec, *options);
        nec->add_option("-o,--output", *output, "write the deck to FILE instead of standard output")->type_name("FILE");
        nec->callback([options, output, &out, &err] {
            guarded(err, "nec", [&] {
                const DeckJob job = makeDeck(options->request, options->from, options->to, options->step);
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
            std::string plot;
        };
        auto options = std::make_shared<SimulateOptions>();
        CLI::App* simulate = app.add_subcommand(
            "simulate", "run the design's NEC-2 deck through nec2c and report impedance and SWR against "
                        "frequency, the best frequency, the range below 2:1 and the maximum gain");
        addCommonOptions(*simulate, options->common);
        simulate->add_option("--z0", options->z0, "feed line impedance in ohms for the SWR (default 300)")
            ->type_name("OHMS");
        const std::map<std::string, ReportFormat> formats{
            {"text", ReportFormat::Text}, {"csv", ReportFormat::Csv}, {"json", ReportFormat::Json}};
        simulate->add_option("--format", options->format, "text (default), csv (the sweep table only) or json")
            ->transform(CLI::CheckedTransformer(formats, CLI::ignore_case))
            ->type_name("FORMAT");
        simulate->add_option("--plot", options->plot, "also draw SWR against frequency into an SVG file")
            ->type_name("FILE.svg");
        simulate->add_option("--time-limit", options->timeLimit, "stop nec2c after this many seconds (default 120)")
            ->type_name("SECONDS");
        simulate->callback([options, &out, &err] {
            guarded(err, "simulate", [&] {
                const double z0 = optionNumber(options->z0, "--z0");
                const double seconds = optionNumber(options->timeLimit, "--time-limit");
                const SimulateOptions& o = *options;
                const DeckJob job = makeDeck(o.common.request, o.common.from, o.common.to, o.common.step);
                for (const std::string& warning : job.warnings) err << "brimalox-cli simulate: warning: " << warning << '\n';
                RunOptions run;
                run.timeLimit = std::chrono::milliseconds(static_cast<long long>(std::min(seconds, 86400.0) * 1000));
                const Analysis analysis = analyse(parseNecOutput(runNec2c(job.deck, run)), z0);
                if (!o.plot.empty()) {
                    const PlotLabels labels{title(job.design) + " (nec2c)", job.geometry.designMhz};
                    writeFile(o.plot, swrPlotSvg(analysis, labels));
                }
                out << formatReport(analysis, job.design, o.format) << std::flush;
            });
        });
    }
}

}  // namespace brimalox::cli
