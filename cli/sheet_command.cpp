#include "cli/model_commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <memory>
#include <ostream>
#include <stdexcept>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/design_options.h"
#include "cli/nec_commands.h"
#include "cli/output.h"
#include "nec/deck.h"
#include "nec/native/runner.h"
#include "nec/nec.h"
#include "sheet/build_sheet.h"
#include "sheet/model_figures.h"
#include "sheet/sheet_pdf.h"
#include "sheet/sheet_svg.h"
#include "sheet/sheet_text.h"

namespace brimalox::cli {

namespace {

struct SheetOptions {
    DesignRequest request;
    std::string output;
    std::string format;  // empty: from the output file's name
    sheet::Paper paper = sheet::Paper::A4;
    std::string date;  // empty: today
    // --model: the check simulate makes, over its default sweep, with these settings.
    bool model = false;
    nec::Settings settings;  // the default sweep; ground, height and feed as typed
    std::string timeLimit = std::to_string(nec::kTimeLimitSeconds);
    std::string jointAllowance = "0";
};

// The model check of the design: its SWR at the design frequency (on the default sweep's grid),
// lowest SWR, stretches below 2:1, and maximum gain and take-off angle at the design frequency.
sheet::ModelFigures modelCheck(const SheetOptions& o, std::ostream& err) {
    const nec::RunOptions run = timeLimited(o.timeLimit);
    nec::Request request;
    request.design = o.request;
    request.settings = o.settings;
    request.names = optionNames();
    const nec::Prepared prepared = nec::prepare(request);
    for (const std::string& warning : prepared.deck.warnings)
        err << "brimalox-cli sheet: warning: " << warning << '\n';
    nec::Nec2cProgram engine(run);
    return sheet::modelFigures(nec::run(prepared, engine));
}

std::string today() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

bool endsWith(const std::string& text, std::string_view end) {
    if (text.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
    return true;
}

// An explicit --format wins; else the output file's name says it; a terminal gets text.
std::string formatFor(const SheetOptions& o) {
    if (!o.format.empty()) return o.format;
    for (std::string_view name : {"svg", "pdf", "csv", "json"})
        if (endsWith(o.output, std::string(".") + std::string(name))) return std::string(name);
    return "text";
}

std::string render(const sheet::BuildSheet& s, const std::string& format, sheet::Paper paper) {
    if (format == "svg") return sheet::sheetSvg(s, paper);
    if (format == "pdf") return sheet::svgToPdf(sheet::sheetSvg(s, paper), paper);
    if (format == "json") return sheet::sheetJson(s);
    if (format == "csv") return sheet::cutListCsv(s);
    return sheet::sheetText(s);
}

}  // namespace

void addSheetCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<SheetOptions>();
    CLI::App* command = app.add_subcommand(
        "sheet",
        "the build sheet of a design (ACCEPT, optional CHANGE, COMPUTE): the form drawn and dimensioned, "
        "the cut list in mm, inches and feet-inches-sixteenths, and lines for what the builder measures");
    command
        ->add_option("FREQ", options->request.frequencyText, "design frequency in MHz, typed into the frequency field")
        ->required();
    addDesignOptions(*command, options->request);
    command->add_option("-o,--output", options->output, "write the sheet to FILE instead of standard output")
        ->type_name("FILE");
    addFormatOption(*command, options->format, {"svg", "pdf", "text", "csv", "json"},
                    "svg, pdf (one page), text, csv (the cut list) or json; default: from the name of -o "
                    "(.svg, .pdf, .csv, .json), else text");
    const std::map<std::string, sheet::Paper> papers{{"a4", sheet::Paper::A4}, {"letter", sheet::Paper::Letter}};
    command->add_option("--paper", options->paper, "page size of svg and pdf: a4 (default) or letter")
        ->transform(CLI::CheckedTransformer(papers, CLI::ignore_case))
        ->type_name("PAPER");
    const CLI::Validator dateCheck(
        [](std::string& text) {
            return sheet::validDate(text) ? std::string() : "\"" + text + "\" is not a date of the form YYYY-MM-DD";
        },
        "YYYY-MM-DD");
    command->add_option("--date", options->date, "the date on the sheet (default today)")->check(dateCheck);
    auto* model = command->add_flag("--model", options->model,
                                    "run the model check of simulate (nec2c, its default sweep) and put its figures "
                                    "on the sheet");
    for (const char* key : {"ground", "groundConstants", "height", "z0"}) {
        CLI::Option* option = addSettingOption(*command, options->settings, key);
        option->description("with --model: " + option->get_description())->needs(model);
    }
    // The insulated lengths come from the model: a coat asks for it.
    addSettingOption(*command, options->settings, "insulation")
        ->description(
            "insulated wire, as for simulate (runs the model check, as --model); the cut list gives the insulated "
            "lengths beside the bare wire's");
    // The same feed as simulate's: listed on the sheet, and the check (--model) run through it.
    addSettingOptions(*command, options->settings, {nec::SettingGroup::Feed});
    command
        ->add_option("--joint-allowance", options->jointAllowance,
                     "mm added to each piece's cut length for bends and joints, the wire taken up where pieces meet "
                     "or are wrapped (default 0); the design's lengths stay beside it")
        ->type_name("MM");
    addTimeLimitOption(
        *command, options->timeLimit,
        "with --model: stop nec2c after this many seconds (default " + std::to_string(nec::kTimeLimitSeconds) + ")")
        ->needs(model);
    command->callback([options, &out, &err] {
        const SheetOptions& o = *options;
        const DesignResult design = runDesign(o.request);
        if (design.failure) {
            err << designFailureLine(o.request, design);
            throw CLI::RuntimeError(kExitDesignFailed);
        }
        // Refused before the model runs.
        sheet::SheetAdditions additions;
        try {
            additions.jointAllowanceMm = sheet::readJointAllowance(o.jointAllowance, "--joint-allowance");
            const nec::DesignTexts texts = nec::designTexts(design, o.request.sides);
            const auto feed = nec::readFeed(o.settings.feed, optionNames(), texts.sides, nec::matchLengthMm(texts),
                                            nec::positiveSetting(o.settings.z0, "--z0"));
            if (feed) additions.feed = sheet::feedFigures(*feed);
        } catch (const std::invalid_argument& e) {
            throw CLI::ValidationError("sheet", e.what());
        }
        std::optional<sheet::ModelFigures> figures;
        if (o.model || !o.settings.insulation.empty()) {
            try {
                figures = modelCheck(o, err);
            } catch (const nec::Interrupted& e) {
                err << "brimalox-cli sheet: " << e.what() << std::endl;
                nec::endBySignal(e.signal());
            } catch (const std::invalid_argument& e) {
                throw CLI::ValidationError("sheet", e.what());
            } catch (const std::exception& e) {
                err << "brimalox-cli sheet: " << e.what() << '\n';
                throw CLI::RuntimeError(kExitDesignFailed);
            }
        }
        auto made =
            sheet::makeBuildSheet(design, o.request.sides, o.date.empty() ? today() : o.date, figures, additions);
        if (const auto* problem = std::get_if<std::string>(&made)) {
            err << "brimalox-cli sheet: " << *problem << '\n';
            throw CLI::RuntimeError(kExitDesignFailed);
        }
        // A design the model check refuses (a negative frequency, say) has no lengths to cut either.
        if (const auto refused = sheet::refusedDesign(design)) {
            err << "brimalox-cli sheet: no build sheet: " << *refused << '\n';
            throw CLI::RuntimeError(kExitDesignFailed);
        }
        std::string text;
        try {
            text = render(std::get<sheet::BuildSheet>(made), formatFor(o), o.paper);
        } catch (const std::exception& e) {
            err << "brimalox-cli sheet: " << e.what() << '\n';
            throw CLI::RuntimeError(kExitDesignFailed);
        }
        if (o.output.empty() || o.output == "-") {
            out << text << std::flush;
            return;
        }
        std::ofstream file(o.output, std::ios::binary);
        file << text;
        if (!file.flush()) {
            err << "brimalox-cli sheet: cannot write " << o.output << '\n';
            throw CLI::RuntimeError(kExitDesignFailed);
        }
    });
}

}  // namespace brimalox::cli
