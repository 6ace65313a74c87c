// The band search's settings read and checked, and a candidate made ready for the model.
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/buttons.h"
#include "nec/cover_parts.h"
#include "nec/error.h"
#include "numtext/numtext.h"
#include "numtext/split_text.h"
#include "wiresize/gauge_table.h"

namespace brimalox::nec {
namespace {

constexpr double kBandPointSpacing = 0.005;  // of the band's middle

std::string trimmed(const std::string& text) {
    const auto a = text.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return text.substr(a, text.find_last_not_of(" \t") - a + 1);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts = splitText(text, separator);
    for (std::string& part : parts)
        part = trimmed(part);
    return parts;
}

Band readBand(const std::string& text, const CoverNames& n) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        throw Refused(n.band + " needs FROM:TO in MHz, such as 144:148, not \"" + text + "\"");
    Band band;
    band.fromMhz = positiveSetting(trimmed(text.substr(0, colon)), n.band + " " + text + "'s FROM");
    band.toMhz = positiveSetting(trimmed(text.substr(colon + 1)), n.band + " " + text + "'s TO");
    if (band.toMhz == band.fromMhz)
        throw Refused(n.band + " " + text + " is empty: it starts and ends at " + numberText(band.fromMhz) +
                      " MHz; give FROM below TO");
    if (band.toMhz < band.fromMhz)
        throw Refused(n.band + " " + text + " is given backwards: TO " + numberText(band.toMhz) +
                      " MHz is below FROM " + numberText(band.fromMhz) + " MHz");
    return band;
}

std::vector<Conductor> readConductors(const std::string& text, const CoverNames& n) {
    std::vector<Conductor> conductors;
    if (trimmed(text).empty())
        throw Refused(n.conductors + " allows no conductor: give recommended, gauges or tube diameters in mm");
    for (const std::string& item : split(text, ',')) {
        if (item == "recommended") {
            conductors.push_back({{ConductorUnit::None, ""}, "the recommended minimum", 0});
        } else if (item == "gauges") {
            for (const GaugeRow& row : kGaugeTable)
                conductors.push_back(
                    {{ConductorUnit::Awg, std::to_string(row.code)}, "AWG " + gaugeName(row.code), row.inches});
        } else if (item.empty()) {
            throw Refused(n.conductors + " " + text +
                          " has an empty item: give recommended, gauges or tube diameters in mm, separated by commas");
        } else {
            const Parsed<double> parsed = parseDouble(item);
            if (!parsed.ok())
                throw Refused(n.conductors + " \"" + item +
                              "\" is neither recommended, gauges nor a tube diameter in mm");
            positiveSetting(item, n.conductors + " tube diameter");
            conductors.push_back({{ConductorUnit::Millimetre, item}, item + " mm", 0});
        }
    }
    return conductors;
}

// A round step near a thousandth of f: what a user would type to that many digits.
double roundStep(double mhz) { return std::pow(10.0, std::floor(std::log10(mhz / 1000))); }

}  // namespace

std::string frequencyText(double mhz, double grid) {
    const int decimals = std::max(0, static_cast<int>(std::lround(-std::log10(grid))));
    std::string text = fixedText(mhz, decimals);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

PreparedCandidate prepareCandidate(const CoverPlan& plan, const Conductor& conductor, double mhz) {
    PreparedCandidate p;
    p.candidate.design.frequencyText = frequencyText(mhz, plan.gridMhz);
    p.candidate.design.sides = plan.sides;
    p.candidate.design.conductor = conductor.choice;
    p.candidate.conductor = conductor.label;
    const DesignResult result = runDesign(p.candidate.design);
    if (result.failure) {
        p.refusal = result.failure->message();
        return p;
    }
    if (conductor.gaugeInches > 0) {
        const Parsed<double> recommended = parseDouble(result.recommendedInch);
        if (recommended.ok() && conductor.gaugeInches < recommended.value) {
            p.refusal = conductor.label + " is thinner than the recommended minimum";
            return p;
        }
    }
    try {
        const DesignTexts texts = designTexts(result, plan.sides);
        SimulationSetup setup;
        setup.geometry = geometryFromTexts(texts);
        p.conductorMm = setup.geometry.conductorMm;
        setup.ground = readGround(plan.model, plan.names);
        setup.coat =
            readCoat(plan.model.insulation, plan.names.insulation, setup.geometry.conductorMm, setup.geometry.gapMm);
        setup.sweep = bandSweep(plan.bands.front());
        for (std::size_t i = 1; i < plan.bands.size(); ++i)
            setup.moreSweeps.push_back(bandSweep(plan.bands[i]));
        setup.comments = deckComments(texts);
        p.deck = prepareDeck(setup, plan.names);
        p.feed = readFeed(plan.model.feed, plan.names, plan.sides, matchLengthMm(texts), plan.z0);
    } catch (const CannotModel& e) {
        p.refusal = e.what();
        p.beyondNec = true;
    } catch (const std::exception& e) {
        p.refusal = e.what();
    }
    return p;
}

Sweep bandSweep(const Band& band) {
    const double middle = (band.fromMhz + band.toMhz) / 2;
    const int intervals =
        std::max(1, static_cast<int>(std::ceil((band.toMhz - band.fromMhz) / (middle * kBandPointSpacing) - 1e-9)));
    return {band.fromMhz, (band.toMhz - band.fromMhz) / intervals, intervals + 1};
}

CoverPlan planCover(const CoverRequest& request) {
    const CoverNames& n = request.names;
    CoverPlan plan;
    plan.sides = request.sides;
    plan.names = n;
    plan.model = request.settings.model;
    if (request.settings.bands.empty()) throw Refused("give at least one " + n.band + " FROM:TO in MHz");
    for (const std::string& text : request.settings.bands)
        plan.bands.push_back(readBand(text, n));
    std::sort(plan.bands.begin(), plan.bands.end(), [](const Band& a, const Band& b) { return a.fromMhz < b.fromMhz; });
    for (std::size_t i = 1; i < plan.bands.size(); ++i)
        if (plan.bands[i].fromMhz <= plan.bands[i - 1].toMhz)
            throw Refused(n.band + " " + numberText(plan.bands[i].fromMhz) + ":" + numberText(plan.bands[i].toMhz) +
                          " overlaps " + numberText(plan.bands[i - 1].fromMhz) + ":" +
                          numberText(plan.bands[i - 1].toMhz) + ": give one band for both");
    plan.maxSwr = positiveSetting(request.settings.maxSwr, n.maxSwr);
    if (plan.maxSwr < 1)
        throw Refused(n.maxSwr + " " + request.settings.maxSwr + " is below 1, the lowest SWR there is");
    plan.z0 = positiveSetting(plan.model.z0, n.z0);
    readGround(plan.model, n);
    readFeed(plan.model.feed, n, plan.sides, 1, plan.z0);  // refused before the first run
    readCoat(plan.model.insulation, n.insulation, 0, std::numeric_limits<double>::infinity());  // each gap: its own
    plan.conductors = readConductors(request.settings.conductors, n);

    const double low = plan.bands.front().fromMhz, high = plan.bands.back().toMhz;
    int points = 0;
    for (const Band& band : plan.bands)
        points += bandSweep(band).count;
    if (points > kMaxSweepPoints)
        throw Refused("the " + n.band + "s make " + std::to_string(points) + " points; a run takes at most " +
                      std::to_string(kMaxSweepPoints));
    plan.gridMhz = request.gridMhz > 0 ? request.gridMhz : roundStep(std::sqrt(low * high));
    plan.searchFromMhz = request.searchFromMhz;
    plan.searchToMhz = request.searchToMhz;
    if (plan.searchFromMhz > 0 && plan.searchToMhz < plan.searchFromMhz)
        throw Refused("the search's design frequencies end below where they start");

    // A band the model cannot run at (a design there fails in the window, or the deck cannot be
    // made) is refused before any run, with the reason.
    for (const Band& band : plan.bands) {
        CoverPlan one = plan;
        one.bands = {band};
        one.gridMhz = roundStep(band.fromMhz);
        const PreparedCandidate p = prepareCandidate(one, {{ConductorUnit::None, ""}, "the recommended minimum", 0},
                                                     (band.fromMhz + band.toMhz) / 2);
        if (!p.deck && !p.beyondNec)
            throw Refused(n.band + " " + numberText(band.fromMhz) + ":" + numberText(band.toMhz) +
                          " is outside what the model can run: " + p.refusal);
    }
    return plan;
}

Request winnerRequest(const CoverPlan& plan, const DesignRequest& design) {
    Request request;
    request.design = design;
    request.settings = plan.model;
    request.names = plan.names;
    const Parsed<double> typed = parseDouble(design.frequencyText);
    const double f = typed.ok() ? typed.value : plan.bands.front().fromMhz;
    const Sweep standard = defaultSweep(f);
    const double from = std::min(standard.fromMhz, plan.bands.front().fromMhz);
    // A step past the highest band when it lies above the standard sweep, so its top is inside.
    const double top = plan.bands.back().toMhz;
    const double to = top > standard.toMhz() ? top + standard.stepMhz : standard.toMhz();
    request.settings.from = exactText(from);
    request.settings.to = exactText(to);
    request.settings.step = exactText(standard.stepMhz);
    request.settings.patternAt.clear();
    request.settings.heights.clear();
    for (const Band& band : plan.bands)
        request.settings.patternAt.push_back(exactText((band.fromMhz + band.toMhz) / 2));
    return request;
}

}  // namespace brimalox::nec
