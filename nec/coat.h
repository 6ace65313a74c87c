#pragma once
// An insulated conductor: a coat of plastic around the wire slows the wave along it, so an antenna
// of insulated wire cut to bare-wire lengths resonates low.
//
// In the model the coat is the series inductance per metre that a thin dielectric sleeve adds to a
// thin wire, (mu0 / 2 pi) (1 - 1/epsr) ln(b/a), a the wire's radius and b the coat's outer radius:
// the field inside the sleeve stores the energy of a charge on the wire 1/epsr times as strongly as
// in air, which along a thin wire acts as that much extra inductance (docs/nec.md says where this
// stops holding). It is loaded on every wire but the feed wires across the gaps, which are bare.

#include <optional>
#include <string>
#include <vector>

namespace brimalox::nec {

struct Coat {
    double thicknessMm = 0;   // radial, from the wire's surface out
    double permittivity = 1;  // relative
    std::string material;     // the named plastic, or empty when typed as a number
};

// The plastics of hook-up and house wire, with their relative permittivity at radio frequencies.
struct CoatMaterial {
    const char* name;
    double permittivity;
    const char* note;
};
const std::vector<CoatMaterial>& coatMaterials();
// One line per plastic for the help and the page.
std::string coatMaterialsText();

// "MM,EPSR" or "MM,NAME" (a plastic of coatMaterials()); empty text: no coat. conductorMm and gapMm:
// the design's, for the coat that the gap's feed cannot take. Throws Refused naming the setting.
std::optional<Coat> readCoat(const std::string& text, const std::string& name, double conductorMm, double gapMm);

// Where the coat's outer radius is more than this many times the wire's, the sleeve changes the
// current's distribution and this model of it no longer holds (docs/nec.md).
inline constexpr double kCoatModelHolds = 3;
// The coat's outer radius over the wire's.
double coatRadiusRatio(const Coat& coat, double conductorMm);

// The series inductance per metre the coat adds to a wire of that diameter, in H/m.
double coatHenriesPerMetre(const Coat& coat, double conductorMm);

// What a coat does to a design (nec/trim.h finds it):
struct Shortening {
    double ratio = 1;       // insulated length over bare length, below 1
    double fitRms = 0;      // how closely the insulated curve's shape follows the bare one's
    double checkRatio = 1;  // the scaled insulated model against the bare one: 1 where the ratio holds
    double newHeightMm = 0, newSideMm = 0;
    int runs = 0;              // the insulated model's runs at scaled lengths until the check held
    bool beyondModel = false;  // the coat is thicker than the model holds: a rough figure
};

// "0.5 mm of PVC (relative permittivity 3.5)" or "0.5 mm of relative permittivity 2.8".
std::string coatText(const Coat& coat);

}  // namespace brimalox::nec
