#include "cli/model_commands.h"

#include <chrono>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>

#include <CLI/CLI.hpp>

#include "cli/analyser_options.h"
#include "cli/nec_commands.h"
#include "cli/output.h"
#include "nec/native/runner.h"
#include "nec/nec.h"
#include "nec/report/report.h"

namespace brimalox::cli {
namespace {

using namespace nec;

TrimNames trimNames() {
    TrimNames names;
    static_cast<SettingNames&>(names) = optionNames();
    names.measuredFile = "--measured";
    names.measuredEdges = "--measured-2to1";
    names.measuredDip = "--measured-min";
    names.builtSide = "--built-side";
    names.builtHeight = "--built-height";
    return names;
}

// "LOW:HIGH" in MHz.
std::pair<double, double> readEdges(const std::string& text, const std::string& name) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        throw Refused(name +
                      " needs LOW:HIGH, the two frequencies in MHz where the SWR crosses 2:1, such as "
                      "132.7:171.5, not \"" +
                      text + "\"");
    return {positiveSetting(text.substr(0, colon), name + "'s LOW"),
            positiveSetting(text.substr(colon + 1), name + "'s HIGH")};
}

}  // namespace

void addTrimCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    struct TrimOptions {
        TrimRequest request;
        std::string measured, edges, dip, timeLimit = std::to_string(kTimeLimitSeconds);
        ReportFormat format = ReportFormat::Text;
        AnalyserOptions analyser;
        bool repeat = false;
    };
    auto options = std::make_shared<TrimOptions>();
    CLI::App* trim = app.add_subcommand(
        "trim",
        "lay what the built antenna measured on the model's SWR and say how much to cut from (or add to) "
        "each piece; the trimmed design is run through nec2c to check the advice");
    addModelOptions(*trim, options->request.check);
    Settings& settings = options->request.check.settings;
    addSettingOptions(*trim, settings, {SettingGroup::Line, SettingGroup::Feed});
    auto* file = trim->add_option("--measured", options->measured,
                                  "a one-port Touchstone file (.s1p) of the built antenna, from an analyser")
                     ->type_name("FILE.s1p");
    auto* edges = trim->add_option("--measured-2to1", options->edges,
                                   "the two frequencies in MHz where an SWR meter shows the SWR crossing 2:1")
                      ->type_name("LOW:HIGH");
    auto* dip =
        trim->add_option("--measured-min", options->dip,
                         "the frequency in MHz where the SWR dips (the edges or a file are better: the dip is flat)")
            ->type_name("MHZ");
    trim->add_option("--built-side", options->request.builtSide,
                     "each side as the tape measures it, in mm (default: cut to the design)")
        ->type_name("MM");
    trim->add_option("--built-height", options->request.builtHeight,
                     "the height as the tape measures it, in mm, gap included (default: cut to the design)")
        ->type_name("MM");
    addAnalyserOptions(*trim, options->analyser);
    auto* vna = trim->get_option("--vna");
    trim->add_flag("--repeat", options->repeat,
                   "with --vna: sweep again every few seconds and print the trim's answer in one line each time, "
                   "until interrupted");
    file->excludes(edges)->excludes(dip)->excludes(vna);
    edges->excludes(dip)->excludes(vna);
    dip->excludes(vna);
    addFormatOption(*trim, options->format, "text (default), csv (the cut list) or json");
    addTimeLimitOption(
        *trim, options->timeLimit,
        "stop each nec2c run after this many seconds (default " + std::to_string(kTimeLimitSeconds) + ")");
    trim->callback([options, &out, &err] {
        guarded(err, "trim", [&] {
            TrimOptions& o = *options;
            o.request.names = trimNames();
            const RunOptions run = timeLimited(o.timeLimit);
            TrimMeasurement& m = o.request.measured;
            if (!o.measured.empty()) m.file = Measured{o.measured, readTouchstoneFile(o.measured)};
            if (!o.edges.empty()) std::tie(m.lowEdgeMhz, m.highEdgeMhz) = readEdges(o.edges, "--measured-2to1");
            if (!o.dip.empty()) m.dipMhz = positiveSetting(o.dip, "--measured-min");
            Nec2cProgram engine(run);
            if (o.analyser.port.empty()) {
                if (o.repeat) throw std::invalid_argument("--repeat sweeps the analyser again: give --vna too");
                out << trimReport(nec::trim(o.request, engine), o.format) << std::flush;
                return;
            }
            // The analyser's sweep stands for the file; the model's settings are refused before it sweeps.
            const vna::SweepPlan plan = vna::sweepPlan(o.request.check, o.analyser.points);
            for (;;) {
                m.file = vna::measuredOf(sweepAnalyser(o.analyser.port, plan, err), o.analyser.port);
                if (!o.repeat) {
                    out << trimReport(nec::trim(o.request, engine), o.format) << std::flush;
                    return;
                }
                try {
                    out << timeNow("%H:%M:%S ", false) << trimAnswer(nec::trim(o.request, engine)) << std::endl;
                } catch (const TrimWithheld& e) {  // the builder may be changing the feed: sweep again
                    out << timeNow("%H:%M:%S ", false) << e.what() << std::endl;
                }
                std::this_thread::sleep_for(std::chrono::seconds(3));
            }
        });
    });
}

}  // namespace brimalox::cli
