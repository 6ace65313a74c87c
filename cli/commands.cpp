#include "cli/commands.h"

#include "cli/analyser_options.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/design_options.h"
#include "cli/gauges.h"
#include "cli/model_commands.h"
#include "cli/output.h"
#include "cli/replay.h"
#include "cli/sweep.h"

namespace brimalox::cli {

namespace {

// A text from the command line, quoted, its control bytes escaped; a text of 100,000 digits is
// named by its start: enough to find it, short enough to read.
std::string quotedText(std::string_view text) {
    constexpr std::size_t kShown = 60;
    return "\"" + printable(text.substr(0, kShown)) + (text.size() > kShown ? "...\"" : "\"");
}

std::string_view conductorOption(ConductorUnit unit) {
    switch (unit) {
    case ConductorUnit::Awg: return "--awg";
    case ConductorUnit::Inch: return "--inch";
    case ConductorUnit::Millimetre: return "--mm";
    case ConductorUnit::None: break;
    }
    return "";
}

// The value the failed click worked on: the conductor given for its CHANGE, the frequency for
// ACCEPT, both for COMPUTE. The frequency is quoted at the start of the line already.
std::string failedValue(const DesignRequest& request, const ClickOutcome& f) {
    const bool anyConductor = request.conductor.unit != ConductorUnit::None;
    const std::string conductor =
        anyConductor ? std::string(conductorOption(request.conductor.unit)) + " " + quotedText(request.conductor.text)
                     : std::string();
    std::string value = "the frequency";
    if (anyConductor && f.button == conductorButton(request.conductor.unit))
        value = conductor;
    else if (anyConductor && f.button == Button::Command4)
        value += " with " + conductor;
    return value;
}

}  // namespace

std::string designFailureLine(const DesignRequest& request, const DesignResult& result) {
    const ClickOutcome& f = *result.failure;
    const FailureWords& words = f.failure->words();
    return "brimalox-cli: design for frequency " + quotedText(result.frequency) + " failed at " +
           std::string(buttonCaption(f.button)) + " (" + std::string(buttonName(f.button)) + ") while " +
           f.failure->where() + ": " + std::string(words.summary) + ": " + failedValue(request, f) + " " +
           std::string(words.valueProblem) + '\n';
}

struct Program::State {
    State(std::ostream& o, std::ostream& e, std::istream& i) : out(o), err(e), in(i) {}

    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    CLI::App app{"BRIMALOX antenna calculator on the command line: the window's calculation, same texts",
                 "brimalox-cli"};
    int status = 0;
    std::vector<void (*)(CLI::App&, std::ostream&, std::ostream&)> added;  // the model's commands made so far

    // design
    std::vector<std::string> frequencies;
    std::string from, to, step;
    DesignRequest request;
    Format designFormat = Format::Text;
    // gauges
    Format gaugesFormat = Format::Text;
    // replay
    std::string replayFile = "-";

    void design();
    void gauges();
    void replay();
};

void Program::State::design() {
    const bool sweep = !from.empty() || !to.empty() || !step.empty();
    if (sweep && !frequencies.empty())
        throw CLI::ValidationError("design", "give FREQ... or --from/--to/--step, not both");
    if (!sweep && frequencies.empty())
        throw CLI::ValidationError("design", "give at least one FREQ, or --from/--to/--step");
    Sweep grid;
    if (sweep) {
        if (from.empty() || to.empty() || step.empty())
            throw CLI::ValidationError("design", "a sweep needs all of --from, --to and --step");
        auto made = makeSweep(from, to, step);
        if (auto* message = std::get_if<std::string>(&made)) throw CLI::ValidationError("design", *message);
        grid = std::get<Sweep>(made);
    }
    const std::uint64_t count = sweep ? grid.count : frequencies.size();
    const int sides = request.sides;

    TableWriter table(designFormat, out, designColumns());
    std::vector<std::string> cells;
    const auto designAt = [&](std::uint64_t i) {
        request.frequencyText = sweep ? grid.text(i) : frequencies[i];
        return runDesign(request);
    };
    if (designFormat == Format::Text) {
        // Column widths from every design of a list, or from both ends of a sweep.
        const bool all = !sweep || count <= 2;
        for (std::uint64_t i = 0; i < count; i = all ? i + 1 : (i == 0 ? count - 1 : count)) {
            DesignResult result = designAt(i);
            if (result.failure) continue;
            designCells(result, sides, cells);
            table.fit(cells);
        }
    }
    bool anyFailed = false;
    for (std::uint64_t i = 0; i < count; ++i) {
        DesignResult result = designAt(i);
        if (result.failure) {
            anyFailed = true;
            err << designFailureLine(request, result);
            continue;
        }
        designCells(result, sides, cells);
        table.row(cells);
    }
    table.finish();
    status = anyFailed ? kExitDesignFailed : 0;
}

void Program::State::gauges() {
    TableWriter table(gaugesFormat, out, gaugeColumns());
    std::vector<std::vector<std::string>> rows;
    for (GaugeListing& g : gaugeListings())
        rows.push_back({g.awg, g.code, g.inch, g.mm});
    for (const auto& row : rows)
        table.fit(row);
    for (const auto& row : rows)
        table.row(row);
    table.finish();
}

void Program::State::replay() {
    Replay script;
    std::optional<ReplayError> error;
    if (replayFile == "-") {
        error = script.run(in);
    } else {
        // A folder opens like a file on Linux and then reads as nothing: refuse it by name.
        std::error_code ignored;
        if (std::filesystem::is_directory(replayFile, ignored))
            throw CLI::ValidationError("replay", quotedText(replayFile) + " is a folder, not a script");
        std::ifstream file(replayFile, std::ios::binary);
        if (!file)
            throw CLI::ValidationError("replay", "cannot open " + quotedText(replayFile) + ": " + std::strerror(errno));
        error = script.run(file);
        if (file.bad())
            throw CLI::ValidationError("replay", "cannot read " + quotedText(replayFile) + ": " + std::strerror(errno));
    }
    if (error) {
        err << "brimalox-cli: replay: line " << error->line << ": " << error->message << '\n';
        status = kExitUsage;
        return;
    }
    out << script.json() << '\n';
    out.flush();
}

Program::Program(std::ostream& out, std::ostream& err, std::istream& in)
    : state_(std::make_unique<State>(out, err, in)) {
    State& s = *state_;
    CLI::App& app = s.app;
    app.set_version_flag("--version", std::string("brimalox-cli ") + BRIMALOX_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 done, 1 a design failed or the output could not be written, 2 usage error. See brimalox-cli(1).");

    CLI::App* design = app.add_subcommand(
        "design", "design antennas: for each frequency, ACCEPT, optional CHANGE, the sides, COMPUTE");
    design->add_option("FREQ", s.frequencies, "frequencies in MHz, each typed into the frequency field as is");
    design->add_option("--from", s.from, "first frequency of a sweep, MHz")->type_name("F");
    design->add_option("--to", s.to, "last frequency of a sweep (included when on the grid), MHz")->type_name("F");
    design->add_option("--step", s.step, "step of a sweep, MHz; the i-th frequency is from + i*step")->type_name("F");
    addDesignOptions(*design, s.request);
    addFormatOption(*design, s.designFormat, "output format: text (default), csv or json");
    design->callback([&s] { s.design(); });

    CLI::App* gauges = app.add_subcommand("gauges", "the wire gauge table: AWG, the code to type, inches, millimetres");
    addFormatOption(*gauges, s.gaugesFormat, "output format: text (default), csv or json");
    gauges->callback([&s] { s.gauges(); });

    CLI::App* replay = app.add_subcommand(
        "replay", "replay set/select/click actions on a fresh window and print its fields and clicks as JSON");
    replay->add_option("FILE", s.replayFile, "the script; standard input when absent or -");
    replay->callback([&s] { s.replay(); });
}

Program::~Program() = default;

int Program::run(int argc, const char* const* argv) {
    State& s = *state_;
    // The model's commands hold most of the options, and making them all was two fifths of the start
    // of every `design`: where the first word names a command, only that one is made (the help, a
    // mistyped command and an option first still see them all).
    using Adder = void (*)(CLI::App&, std::ostream&, std::ostream&);
    const std::pair<const char*, Adder> model[] = {{"nec", addNecCommands},    {"simulate", addNecCommands},
                                                   {"sheet", addSheetCommand}, {"trim", addTrimCommand},
                                                   {"cover", addCoverCommand}, {"measure", addMeasureCommand}};
    const bool calculator = argc > 1 && (std::strcmp(argv[1], "design") == 0 || std::strcmp(argv[1], "gauges") == 0 ||
                                         std::strcmp(argv[1], "replay") == 0);
    const auto named = std::find_if(std::begin(model), std::end(model),
                                    [&](const auto& m) { return argc > 1 && std::strcmp(argv[1], m.first) == 0; });
    auto make = [&s](Adder add) {
        if (std::find(s.added.begin(), s.added.end(), add) != s.added.end()) return;
        s.added.push_back(add);
        add(s.app, s.out, s.err);
    };
    if (named != std::end(model))
        make(named->second);
    else if (!calculator)
        for (Adder add : {addNecCommands, addSheetCommand, addTrimCommand, addCoverCommand, addMeasureCommand})
            make(add);
    try {
        s.app.parse(argc, argv);
    } catch (const CLI::Success& e) {  // --help, --version
        return s.app.exit(e, s.out, s.err);
    } catch (const CLI::RuntimeError& e) {
        return e.get_exit_code();
    } catch (const CLI::ParseError& e) {
        s.app.exit(e, s.out, s.err);
        return kExitUsage;
    }
    // Output that could not be written (a full disk, a closed pipe) is a failure, not a result.
    if (!s.out.flush()) {
        s.err << "brimalox-cli: cannot write the output; what was printed is incomplete\n";
        return kExitDesignFailed;
    }
    return s.status;
}

}  // namespace brimalox::cli
