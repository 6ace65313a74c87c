#include "nec/coat.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "nec/setting_words.h"
#include "numtext/figures.h"
#include "numtext/numtext.h"

namespace brimalox::nec {
namespace {

constexpr double kMu0Over2Pi = 2e-7;  // H/m
// The plastics of wire coats lie from about 2 (PTFE) to 8 (filled PVC).
constexpr double kMostPermittivity = 10;

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const CoatMaterial* materialNamed(const std::string& name) {
    // The names the help gives beside each plastic's own.
    static const std::pair<const char*, const char*> kAlso[]{{"pe", "polyethylene"}, {"teflon", "ptfe"}};
    std::string wanted = lowered(name);
    for (const auto& [also, is] : kAlso)
        if (wanted == also) wanted = is;
    for (const CoatMaterial& m : coatMaterials())
        if (lowered(m.name) == wanted) return &m;
    return nullptr;
}

std::string materialNames() {
    std::string names;
    for (const CoatMaterial& m : coatMaterials())
        names += std::string(names.empty() ? "" : ", ") + m.name;
    return names;
}

// A plastic by name or a relative permittivity of 1 or more.
void readPermittivity(const std::string& text, const std::string& name, Coat& coat) {
    const CoatMaterial* material = materialNamed(text);
    if (!material && !text.empty() && std::isalpha(static_cast<unsigned char>(text[0])) && !parseDouble(text).ok())
        throw Refused(name + " \"" + text + "\" is not a plastic this knows: " + materialNames() +
                      ", or its relative permittivity as a number");
    coat.material = material ? material->name : "";
    coat.permittivity = material ? material->permittivity : numberSetting(text, name + "'s permittivity");
    if (!(coat.permittivity >= 1 && coat.permittivity <= kMostPermittivity))
        throw Refused(name + "'s permittivity " + text + " is outside 1 to " + numberText(kMostPermittivity) +
                      ": a plastic's is above 1, that of empty space, and the plastics of wire are below 10, such as "
                      "2.3 for polyethylene");
}

}  // namespace

const std::vector<CoatMaterial>& coatMaterials() {
    // Polyethylene: solid-polyethylene coax's velocity factor, 0.66, is 1 / sqrt(2.3). PTFE: 2.1 in the
    // table of plastics in Harper's Passive Electronic Component Handbook (2nd ed., McGraw-Hill, 1997),
    // as L. B. Cebik quotes it for insulated antenna wire; PTFE coax's 0.695 gives 2.07. PVC: its
    // permittivity follows its plasticiser and filler and no one figure holds for every compound; 3.5
    // is taken as a middle value, and a wire whose figure is known is better typed as a number.
    static const std::vector<CoatMaterial> materials{
        {"PVC", 3.5, "house and hook-up wire; PVC compounds differ, type MM,EPSR when the figure is known"},
        {"polyethylene", 2.3, "PE, as in solid-dielectric coax of velocity factor 0.66"},
        {"PTFE", 2.1, "Teflon, as in PTFE coax of velocity factor 0.695"},
    };
    return materials;
}

std::string coatMaterialsText() {
    std::string text;
    for (const CoatMaterial& m : coatMaterials())
        text +=
            std::string("  ") + m.name + ": relative permittivity " + numberText(m.permittivity) + ", " + m.note + "\n";
    return text;
}

std::optional<Coat> readCoat(const std::string& text, const std::string& name, double conductorMm, double gapMm) {
    if (text.empty()) return std::nullopt;
    const auto comma = text.find(',');
    if (comma == std::string::npos)
        throw Refused(name + " needs MM,EPSR (the coat's thickness in mm and its relative permittivity) or MM,NAME (" +
                      materialNames() + "), such as 0.5,PVC, not \"" + text + "\"");
    Coat coat;
    const std::string thickness = text.substr(0, comma), second = text.substr(comma + 1);
    coat.thicknessMm = numberSetting(thickness, name + "'s thickness");
    if (!(coat.thicknessMm > 0))
        throw Refused(name + "'s thickness " + thickness +
                      " mm is not above 0: give the coat's thickness from the wire's surface out, such as 0.5");
    readPermittivity(second, name, coat);
    // The feed wire across each gap stays bare; a coat whose outer diameter reaches across the gap
    // would have the source sit inside the plastic, which this model of the feed cannot say.
    const double outerMm = conductorMm + 2 * coat.thicknessMm;
    if (!(outerMm < gapMm))
        throw Refused(name + ": a coat of " + numberText(coat.thicknessMm) + " mm on the " + numberText(conductorMm) +
                      " mm conductor is " + numberText(outerMm) + " mm across, not less than the gap (" +
                      numberText(gapMm) + " mm): the model cannot feed the gap of so thick a coat");
    return coat;
}

double coatRadiusRatio(const Coat& coat, double conductorMm) {
    return (conductorMm / 2 + coat.thicknessMm) / (conductorMm / 2);
}

double coatHenriesPerMetre(const Coat& coat, double conductorMm) {
    const double a = conductorMm / 2, b = a + coat.thicknessMm;
    // To a billionth of a nanohenry: the page's log and the command line's may differ in the last bit.
    const double henries = kMu0Over2Pi * (1 - 1 / coat.permittivity) * std::log(b / a);
    return std::round(henries * 1e18) / 1e18;
}

std::string coatText(const Coat& coat) {
    const std::string epsr = "relative permittivity " + numberText(coat.permittivity);
    return numberText(coat.thicknessMm) + " mm of " +
           (coat.material.empty() ? epsr : coat.material + " (" + epsr + ")");
}

}  // namespace brimalox::nec
