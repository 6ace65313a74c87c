#include "nec/design_deck.h"

#include <cmath>
#include <stdexcept>

#include "app/buttons.h"
#include "nec/error.h"
#include "nec/report.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

Sweep sweepFor(double designMhz, const std::string& from, const std::string& to, const std::string& step) {
    const Sweep standard = defaultSweep(designMhz);
    if (from.empty() && to.empty() && step.empty()) return standard;
    return makeSweep(from.empty() ? standard.fromMhz : optionNumber(from, "--from"),
                     to.empty() ? standard.toMhz() : optionNumber(to, "--to"),
                     step.empty() ? standard.stepMhz : optionNumber(step, "--step"));
}

}  // namespace

double optionNumber(const std::string& text, const std::string& option) {
    const Parsed<double> parsed = parseDouble(text);
    if (!parsed.ok() || !std::isfinite(parsed.value) || parsed.value <= 0)
        throw std::invalid_argument(option + " needs a positive number, not \"" + text + "\"");
    return parsed.value;
}

DesignTexts designTexts(const DesignResult& r, int sides) {
    return {sides,        r.frequency, r.mm,         r.inch,  r.awg,     r.heightMm,  r.heightInch,
            r.sideMm,     r.sideInch,  r.gapMm,      r.gapInch, r.matchMm, r.matchInch};
}

DeckJob makeDeck(const DesignRequest& request, const std::string& from, const std::string& to,
                 const std::string& step) {
    const DesignResult result = runDesign(request);
    if (result.failure) throw NecError(failureMessage(result.failure->button, result.failure->failure));
    DeckJob job;
    job.design = designTexts(result, request.sides);
    Model model;
    try {
        job.geometry = geometryFromTexts(job.design);
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    job.sweep = sweepFor(job.geometry.designMhz, from, to, step);  // std::invalid_argument: a usage error
    try {
        model = buildModel(job.geometry, highestFrequency(job.sweep, job.geometry.designMhz));
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    job.deck = writeDeck(model, job.sweep, job.geometry.designMhz, deckComments(job.design));
    job.warnings = modelWarnings(model);
    return job;
}

}  // namespace brimalox::nec
