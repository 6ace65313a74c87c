#include "sheet/model_figures.h"

#include <algorithm>
#include <cmath>

#include "nec/nec.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::sheet {

std::optional<std::string> refusedDesign(const DesignTexts& design) {
    try {
        nec::Request check;
        check.shown = design;
        nec::prepare(check);
    } catch (const nec::CannotModel&) {
    } catch (const nec::NecError& e) {
        return e.what();
    } catch (const nec::Refused& e) {  // the settings are the defaults: it is the design's
        return e.what();
    }
    return std::nullopt;
}

std::variant<BuildSheet, std::string> shownSheet(const DesignTexts& shown, std::string date,
                                                 std::optional<ModelFigures> model, std::string remark,
                                                 const SheetAdditions& additions) {
    if (shown.sides != 3 && shown.sides != 4)
        return "Select THREE SIDED or FOUR SIDED and click COMPUTE first: the sheet is of one form.";
    DesignResult design = runDesign({shown.frequency, shown.sides, {}});
    if (design.failure && design.failure->button == Button::Command7)
        return "The frequency field holds no frequency that ACCEPT takes, so there is no recommended minimum.";
    design.failure.reset();
    for (const ValueField& value : kValueFields)  // what the window shows, the frequency as ACCEPT read it
        if (value.field != Field::Text2) design.*value.text = shown.*value.text;
    // What the model check refuses as no design has no sheet either, in the check's words.
    if (const auto refused = refusedDesign(design)) return "No build sheet: " + *refused + ".";
    auto made = makeBuildSheet(design, shown.sides, std::move(date), std::move(model), additions);
    if (auto* problem = std::get_if<std::string>(&made)) return "No build sheet: " + *problem + ".";
    std::get<BuildSheet>(made).remark = std::move(remark);
    return made;
}

std::string trimRemark(const nec::Trim& t) {
    return "TRIMMED BY THE RATIO " + fixedText(t.ratio, 4) +
           ": HEIGHT AND SIDE ARE THE DESIGN'S TIMES THAT, FROM WHAT THE BUILT ANTENNA MEASURED; THE GAP AND THE "
           "SERIES MATCH STAY AS DESIGNED";
}

FeedFigures feedFigures(const nec::Feed& feed) {
    const auto line = [](const nec::Line& l) { return FeedLine{l.z0, l.vf, l.metres}; };
    FeedFigures f;
    f.lines = feed.lines;
    f.line = line(feed.line);
    if (feed.section) f.section = line(*feed.section);
    f.balun = feed.balun;
    if (feed.coax) f.coax = line(*feed.coax);
    f.rigZ0 = feed.rigZ0;
    return f;
}

ModelFigures modelFigures(const nec::Result& result) {
    const nec::Analysis& a = result.analysis;
    if (a.rows.empty() || a.patterns.empty())
        throw nec::NecError("the model failed: " +
                            (a.failures.empty() ? std::string("no result") : a.failures.front()));

    ModelFigures m;
    m.designMhz = result.setup.geometry.designMhz;
    const auto atDesign = std::min_element(a.rows.begin(), a.rows.end(), [&](const auto& x, const auto& y) {
        return std::abs(x.mhz - m.designMhz) < std::abs(y.mhz - m.designMhz);
    });
    m.swrAtDesign = atDesign->swr;
    m.lowestSwr = a.lowestSwr;
    m.lowestSwrMhz = a.lowestMhz;
    for (const nec::Below2& stretch : a.stretches)
        m.belowTwo.push_back({stretch.fromMhz, stretch.toMhz, stretch.openBelow, stretch.openAbove});
    m.maxGainDbi = a.patterns.front().maxDbi;
    m.takeoffDeg = a.patterns.front().takeoffDeg;
    m.z0Ohms = result.z0;
    const nec::Ground& g = result.setup.ground;
    switch (g.kind) {
    case nec::GroundKind::Free: m.ground = "free space"; break;
    case nec::GroundKind::Perfect: m.ground = "perfect ground"; break;
    case nec::GroundKind::Real:
        m.ground = g.name + " ground (" + numberText(g.permittivity) + ", " + numberText(g.conductivity) + " S/m)";
        break;
    }
    if (g.kind != nec::GroundKind::Free) m.heightMetres = g.heightM;
    if (result.feed) {
        m.plane = result.feed->at == nec::Plane::Gap ? "" : nec::planeName(result.feed->at);
        m.reversedSwr = result.reversedSwr;
    }
    if (result.setup.coat && result.shortening) {
        m.coat = nec::coatText(*result.setup.coat);
        m.lengthRatio = result.shortening->ratio;
        m.checkRatio = result.shortening->checkRatio;
    }
    return m;
}

}  // namespace brimalox::sheet
