#include "sheet/model_figures.h"

#include <algorithm>
#include <cmath>

#include "nec/nec.h"

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
        m.belowTwo.push_back({stretch.fromMhz, stretch.toMhz});
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
    if (result.setup.coat && result.shortening) {
        m.coat = nec::coatText(*result.setup.coat);
        m.lengthRatio = result.shortening->ratio;
        m.checkRatio = result.shortening->checkRatio;
    }
    return m;
}

}  // namespace brimalox::sheet
