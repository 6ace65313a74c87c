#include "cli/model_commands.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <CLI/CLI.hpp>

#include "cli/nec_commands.h"
#include "cli/output.h"
#include "nec/native/runner.h"
#include "nec/native/side_by_side.h"
#include "nec/nec.h"
#include "nec/report/report.h"
#include "numtext/numtext.h"

namespace brimalox::cli {
namespace {

using namespace nec;

CoverNames coverOptionNames() {
    CoverNames names;
    static_cast<SettingNames&>(names) = optionNames();
    names.band = "--band";
    names.maxSwr = "--max-swr";
    names.conductors = "--conductors";
    return names;
}

int readJobs(const std::string& text) {
    if (text.empty()) return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const double jobs = positiveSetting(text, "--jobs");
    if (jobs != std::floor(jobs) || jobs > 256)
        throw Refused("--jobs needs a whole number from 1 to 256, not \"" + text + "\"");
    return static_cast<int>(jobs);
}

}  // namespace

void addCoverCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    struct CoverOptions {
        CoverRequest request;
        std::string jobs, timeLimit = std::to_string(kTimeLimitSeconds), plot;
        Format format = Format::Text;
    };
    auto options = std::make_shared<CoverOptions>();
    CoverRequest& request = options->request;
    CoverSettings& settings = request.settings;
    CLI::App* command = app.add_subcommand(
        "cover",
        "find the design (design frequency and conductor) whose modelled SWR stays lowest over every band "
        "given, running nec2c on candidates side by side");
    command->add_option("--band", settings.bands, "a band FROM:TO in MHz (repeatable; at least one)")
        ->type_name("FROM:TO")
        ->required();
    const CLI::Validator threeOrFour(
        [](std::string& text) {
            return text == "3" || text == "4" ? std::string() : "\"" + text + "\" is not 3 or 4 (the number of sides)";
        },
        "3|4");
    command->add_option("--sides", request.sides, "3 for THREE SIDED (default), 4 for FOUR SIDED")->check(threeOrFour);
    addSettingOptions(*command, settings.model,
                      {SettingGroup::Line, SettingGroup::Feed, SettingGroup::Coat, SettingGroup::Ground});
    command->add_option("--max-swr", settings.maxSwr, "the SWR every band must stay under (default 2)")
        ->type_name("SWR");
    command
        ->add_option("--conductors", settings.conductors,
                     "which conductors may be used, separated by commas: recommended (the minimum ACCEPT proposes, "
                     "the default), gauges (every gauge of the table at least that thick), tube diameters in mm")
        ->type_name("LIST");
    command->add_option("--jobs", options->jobs, "nec2c runs at once (default: one per core)")->type_name("N");
    addTimeLimitOption(
        *command, options->timeLimit,
        "stop each nec2c run after this many seconds (default " + std::to_string(kTimeLimitSeconds) + ")");
    addFormatOption(*command, options->format, "text (default), csv (the winner and the next best) or json");
    command
        ->add_option("--plot", options->plot,
                     "draw the winner's SWR against frequency, the bands shaded, into an SVG file")
        ->type_name("FILE.svg");
    command->callback([options, &out, &err] {
        CoverOptions& o = *options;
        o.request.names = coverOptionNames();
        try {
            const int jobs = readJobs(o.jobs);
            const RunOptions run = timeLimited(o.timeLimit);
            // Every setting is checked before the first run.
            const CoverPlan plan = planCover(o.request);
            const EngineMaker engines = [run] { return std::make_unique<Nec2cProgram>(run); };
            int lastTold = 0;
            std::string lastBest;
            const CoverProgress progress = [&](int runs, int planned, const Candidate* best) {
                const std::string now = best ? best->design.frequencyText + " MHz, " + best->conductor +
                                                   ", worst SWR " + swrFigure(best->worst)
                                             : std::string("none yet");
                if (now == lastBest && runs - lastTold < 10 && runs < planned) return;
                lastBest = now;
                lastTold = runs;
                err << "brimalox-cli cover: " << runs << " of " << planned << " runs, best so far " << now << std::endl;
            };
            CoverResult result;
            {
                // Held across the whole search: Ctrl-C between two runs stops the next one, not the program.
                const StopSignals signals;
                result = cover(plan, engines, jobs, progress);
            }
            if (!o.plot.empty()) {
                if (!result.winner) {
                    err << "brimalox-cli cover: no plot: the winner was not run\n";
                } else {
                    std::vector<std::pair<double, double>> bands;
                    for (const Band& band : plan.bands)
                        bands.push_back({band.fromMhz, band.toMhz});
                    writeFile(o.plot, swrChart(*result.winner, bands));
                }
            }
            out << (o.format == Format::Json  ? coverReportJson(result)
                    : o.format == Format::Csv ? coverReportCsv(result)
                                              : coverText(result))
                << std::flush;
            if (result.interrupted) {
                err << "brimalox-cli cover: interrupted; the best found so far is above" << std::endl;
                endBySignal(result.interrupted);
            }
        } catch (const Refused& e) {
            throw CLI::ValidationError("cover", e.what());
        } catch (const std::invalid_argument& e) {
            throw CLI::ValidationError("cover", e.what());
        } catch (const std::exception& e) {  // the engine missing or failing, a file not written
            err << "brimalox-cli cover: " << e.what() << '\n';
            throw CLI::RuntimeError(kExitFailed);
        }
    });
}

}  // namespace brimalox::cli
