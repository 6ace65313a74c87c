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

double optionNumber(const std::string& text, const std::string& option) { return positiveOption(text, option); }

DesignTexts designTexts(const DesignResult& r, int sides) {
    return {sides,        r.frequency, r.mm,         r.inch,  r.awg,     r.heightMm,  r.heightInch,
            r.sideMm,     r.sideInch,  r.gapMm,      r.gapInch, r.matchMm, r.matchInch};
}

DeckJob makeDeck(const DesignRequest& request, const std::string& from, const std::string& to,
                 const std::string& step, const DeckChoices& choices) {
    const DesignResult result = runDesign(request);
    if (result.failure) throw NecError(failureMessage(result.failure->button, result.failure->failure));
    DeckJob job;
    job.design = designTexts(result, request.sides);
    try {
        job.geometry = geometryFromTexts(job.design);
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    // Option values that make no sense throw std::invalid_argument: a usage error.
    job.sweep = sweepFor(job.geometry.designMhz, from, to, step);
    job.setup.geometry = job.geometry;
    job.setup.sweep = job.sweep;
    job.setup.ground = makeGround(choices.ground, choices.groundConstants, choices.height);
    job.setup.patternMhz = {job.geometry.designMhz};
    for (const std::string& mhz : choices.patternAt) job.setup.patternMhz.push_back(optionNumber(mhz, "--pattern-at"));
    job.setup.comments = deckComments(job.design);
    try {
        job.prepared = prepareDeck(job.setup);
    } catch (const RefusedOption&) {
        throw;
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    job.deck = job.prepared.deck;
    job.warnings = job.prepared.warnings;
    return job;
}

}  // namespace brimalox::nec
