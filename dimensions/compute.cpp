#include "dimensions/compute.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "numtext/fieldio.h"
#include "numtext/fpcheck.h"
#include "numtext/mod1.h"
#include "numtext/numtext.h"

namespace brimalox {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr float kMaxExcess = 40.0f;

// Thicker conductors need less correction. An excess equal to a threshold belongs to the band below.
struct Band {
    float upTo;
    float coefficient;
};
constexpr std::array<Band, 7> kBands{{
    {5.375f, 0.002f},
    {11.525f, 0.0007f},
    {17.675f, 0.00025f},
    {23.775f, 0.00009f},
    {29.975f, 0.00003f},
    {36.075f, 0.00001f},
    {39.5f, 0.000004f},
}};
constexpr float kCoefficientBelowCeiling = 0.000001f;
constexpr float kCoefficientAtCeiling = 0.0000003f;

}  // namespace

float correctionCoefficient(float diameterExcess) {
    for (const Band& band : kBands)
        if (diameterExcess <= band.upTo) return band.coefficient;
    return diameterExcess < kMaxExcess ? kCoefficientBelowCeiling : kCoefficientAtCeiling;
}

void compute(Form& form, Mod1& shared) {
    FloatFaults faults;
    // 300000 / f, divided first and afresh for each quantity.
    auto wavelength = [&faults](float frequency) { return faults.div(kWavelengthMmMhz, frequency); };

    shared.designFrequency = readSingle(form, Field::Text2);

    // The series match section is cut for the frequency as typed: 0.82 of a quarter wave.
    shared.seriesMatchLength = faults.toSingle(faults.mul(faults.div(wavelength(shared.designFrequency), 4), 0.82));
    faults.check("computing the series match length");
    form.setText(Field::Text23, singleToText(shared.seriesMatchLength));
    const double matchInches = faults.div(shared.seriesMatchLength, kMillimetresPerInch);
    faults.check("converting the series match length to inches");
    form.setText(Field::Text22, doubleToText(matchInches));

    shared.conductorDiameter = readSingle(form, Field::Text8);
    shared.recommendedDiameter = faults.toSingle(faults.div(wavelength(shared.designFrequency), kRecommendedDivisor));
    faults.check("computing the recommended diameter");
    shared.diameterExcess =
        faults.toSingle(faults.sub(faults.div(shared.conductorDiameter, shared.recommendedDiameter), 1.0));
    faults.check("comparing the conductor with the recommended diameter");
    if (shared.diameterExcess > kMaxExcess) shared.diameterExcess = kMaxExcess;
    shared.correctionCoefficient = correctionCoefficient(shared.diameterExcess);

    // A thicker conductor is electrically longer: cut for a slightly higher frequency.
    const double correction = faults.add(faults.mul(shared.correctionCoefficient, shared.diameterExcess), 1.0);
    shared.designFrequency = faults.toSingle(faults.mul(correction, shared.designFrequency));
    faults.check("correcting the frequency for the conductor");
    const float corrected = shared.designFrequency;

    OptionalNumber height;  // stays empty when no option button is selected
    if (form.selected(Option::Option1)) {
        height = faults.div(wavelength(corrected), 2.8609);
        faults.check("computing the height");
    }
    if (form.selected(Option::Option2)) {
        height = faults.mul(wavelength(corrected), 0.33046);
        faults.check("computing the height");
    }
    form.setText(Field::Text13, doubleToText(roundPlaces(height, 3)));
    form.setText(Field::Text11, doubleToText(roundPlaces(divide(height, kMillimetresPerInch), 3)));

    // With no option selected, the side length of an earlier click is shown again.
    if (form.selected(Option::Option1)) {
        shared.sideLength = faults.toSingle(faults.div(wavelength(corrected), 7.704));
        faults.check("computing the side length");
    }
    if (form.selected(Option::Option2)) {
        shared.sideLength = faults.toSingle(faults.mul(wavelength(corrected), 0.19039));
        faults.check("computing the side length");
    }
    // The side and the gap in mm and in inches, each to 3 places.
    auto showLength = [&](float mm, Field mmField, Field inchField, std::string_view what) {
        form.setText(mmField, singleToText(roundPlaces(mm, 3)));
        const double inches = faults.div(mm, kMillimetresPerInch);
        faults.check("converting the " + std::string(what) + " to inches");
        form.setText(inchField, doubleToText(roundPlaces(inches, 3)));
    };
    showLength(shared.sideLength, Field::Text17, Field::Text16, "side length");

    shared.gapLength = faults.toSingle(faults.div(wavelength(corrected), 212.5));
    faults.check("computing the gap length");
    showLength(shared.gapLength, Field::Text20, Field::Text19, "gap length");
}

}  // namespace brimalox
