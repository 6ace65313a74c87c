#include "nec/check.h"

#include <cmath>
#include <utility>

#include "app/buttons.h"
#include "nec/error.h"
#include "nec/fit.h"
#include "nec/sweep_parts.h"
#include "numtext/fields.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

// What a window shows must be a whole design before it can be modelled: the user is told which
// field holds what, and what to do.
void checkShown(const DesignTexts& d) {
    if (d.sides != 3 && d.sides != 4)
        throw Refused("no antenna form is selected: select THREE SIDED or FOUR SIDED and click COMPUTE");
    for (const Field field : {Field::Text2, Field::Text8, Field::Text13, Field::Text17, Field::Text20}) {
        const std::string* text = &(d.*valueField(field)->text);
        const std::string name =
            "the " + std::string(fieldInfo(field).role) + " (" + std::string(fieldInfo(field).name) + ")";
        const std::string todo = field == Field::Text2 ? "type the design frequency in MHz, click ACCEPT, then COMPUTE"
                                 : field == Field::Text8
                                     ? "type the conductor's diameter and click the CHANGE below it, "
                                       "then COMPUTE"
                                     : "click COMPUTE";
        if (text->empty()) throw Refused(name + " is empty: " + todo);
        const Parsed<double> parsed = parseDouble(*text);
        if (!parsed.ok() || !std::isfinite(parsed.value) || !(parsed.value > 0))
            throw Refused(name + " holds \"" + *text + "\", not a positive number: " + todo);
    }
}

DesignTexts designOf(const Request& request) {
    if (request.shown) {
        checkShown(*request.shown);
        return *request.shown;
    }
    const DesignResult result = runDesign(request.design);
    if (result.failure) throw NecError(result.failure->message());
    return designTexts(result, request.design.sides);
}

}  // namespace

Prepared prepare(const Request& request) {
    const Settings& s = request.settings;
    const SettingNames& n = request.names;
    Prepared p;
    p.z0 = positiveSetting(s.z0, n.z0);
    if (!s.heights.empty()) p.heights = readHeights(s.heights, n.heights);
    p.design = designOf(request);
    NecGeometry geometry;
    try {
        geometry = geometryFromTexts(p.design);
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    p.setup.geometry = geometry;
    p.feed = readFeed(s.feed, n, geometry.sides, matchLengthMm(p.design), p.z0);
    if (p.feed) p.z0 = p.feed->line.z0;
    p.setup.sweep = readSweep(s, n, geometry.designMhz);
    p.setup.ground = readGround(s, n);
    p.setup.coat = readCoat(s.insulation, n.insulation, geometry.conductorMm, geometry.gapMm);
    if (!p.heights.empty() && p.setup.ground.kind == GroundKind::Free)
        throw Refused(n.heights + " needs a ground (" + n.ground + " perfect, a ground class or " + n.groundConstants +
                      "): free space has no height");
    p.setup.patternMhz = {geometry.designMhz};
    for (const std::string& mhz : s.patternAt)
        p.setup.patternMhz.push_back(positiveSetting(mhz, n.patternAt));
    p.setup.comments = deckComments(p.design);
    try {
        p.deck = prepareDeck(p.setup, n);
    } catch (const Refused&) {
        throw;
    } catch (const std::invalid_argument& e) {
        throw NecError(std::string("cannot model this design: ") + e.what());
    }
    p.measured = request.measured;
    p.names = n;
    return p;
}

Result simulate(const Request& request, Engine& engine, const CheckProgress& progress) {
    return run(prepare(request), engine, progress);
}

namespace {

Result runChecked(const Prepared& p, Engine& engine, const CheckProgress& progress, const std::string* deckOutput) {
    Result r;
    r.design = p.design;
    r.setup = p.setup;
    r.deck = p.deck.deck;
    r.warnings = p.deck.warnings;
    r.z0 = p.z0;
    r.feed = p.feed;
    const int deckRuns = static_cast<int>(p.deck.plan.sweepMhz.size() + p.deck.plan.patternMhz.size());
    const int total = checkFrequencies(p);
    auto tell = [&](int done) {
        if (progress) progress(done, total);
    };
    r.analysis =
        deckOutput ? analyseOutput(p.deck, p.z0, *deckOutput, engine) : runSimulation(p.deck, p.z0, engine, tell);
    if (p.feed) {
        const double mhz = p.setup.geometry.designMhz;
        applyFeed(r.analysis, *p.feed, mhz);
        r.z0 = r.analysis.z0;
        const std::vector<std::complex<double>> y = oneGapCurrents(p.deck, mhz, engine);
        auto rigSwr = [&](int reversed) {
            const auto junction = junctionWithReversed(p.feed->line, mhz, y, reversed);
            return swr(rigFromJunction(*p.feed, mhz, junction), p.feed->rigZ0);
        };
        r.reversedSwr = {rigSwr(-1), rigSwr(0)};
    }
    // The one model warning is the extended kernel's: it says what the kernel did to this deck.
    if (const auto effect = kernelEffect(p.deck, engine); effect && !r.warnings.empty())
        r.warnings.front() += "; " + kernelEffectText(*effect, p.setup.geometry.designMhz);
    r.kernelRuns = static_cast<int>(p.deck.kernelDecks.size());
    if (p.setup.coat) r.shortening = shortening(p.setup, p.z0, engine, p.names);
    tell(deckRuns);
    if (!p.heights.empty())
        r.heights = heightTable(p.setup, p.heights, engine, p.names, [&](int done) { tell(deckRuns + done); });
    if (p.measured) {
        r.measuredSwr = measuredSwr(p.measured->data, r.z0);
        r.measured = summarise(r.measuredSwr, p.measured->name, p.setup.geometry.designMhz);
        r.measured->referenceNote = referenceNote(p.measured->data, r.z0);
        r.measuredFile = p.measured;
    }
    return r;
}

}  // namespace

std::vector<std::string> checkParts(const Prepared& prepared, int engines) {
    return sweepParts(prepared.deck.deck, engines);
}

Result run(const Prepared& prepared, Engine& engine, const CheckProgress& progress) {
    return runChecked(prepared, engine, progress, nullptr);
}

Result run(const Prepared& prepared, const std::string& deckOutput, Engine& engine, const CheckProgress& progress) {
    return runChecked(prepared, engine, progress, &deckOutput);
}

int checkFrequencies(const Prepared& p) {
    return static_cast<int>(p.deck.plan.sweepMhz.size() + p.deck.plan.patternMhz.size() + p.heights.size());
}

std::string touchstoneFile(const Result& r) {
    return writeTouchstone(r.analysis, r.z0, title(r.design), r.feed ? r.feed->at : Plane::Gap);
}

}  // namespace brimalox::nec
