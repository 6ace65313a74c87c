#include "wiresize/wiresize.h"

#include "numtext/fieldio.h"
#include "numtext/fpcheck.h"
#include "numtext/mod1.h"
#include "numtext/numtext.h"
#include "wiresize/gauge_table.h"

namespace brimalox {
namespace {

constexpr double kInchesPerMillimetre = 0.0394;  // the sizing factor, deliberately not 1/25.4

// The gauge of the diameter the inch field shows now, read back at double precision.
void writeGaugeOfInchField(Form& form) {
    const double inches = readDouble(form, Field::Text6);
    form.setText(Field::Text4, integerToText(gaugeForDiameter(inches)));
}

// The millimetre field from an inch diameter: inches / 0.0394 to 2 places.
void writeMillimetresOfInches(Form& form, float inches) {
    FloatFaults faults;
    const double millimetres = faults.div(inches, kInchesPerMillimetre);
    faults.check("converting the inch diameter to millimetres");
    form.setText(Field::Text8, doubleToText(roundPlaces(millimetres, 2)));
}

}  // namespace

void accept(Form& form, Mod1& shared) {
    FloatFaults faults;
    shared.designFrequency = readSingle(form, Field::Text2);

    const double millimetres = faults.div(faults.div(kWavelengthMmMhz, shared.designFrequency), kRecommendedDivisor);
    faults.check("computing the recommended diameter from the frequency");
    form.setText(Field::Text8, doubleToText(roundPlaces(millimetres, 3)));

    // Later steps work on the rounded value the field shows, not on the unrounded quotient.
    const double inches = faults.mul(readDouble(form, Field::Text8), kInchesPerMillimetre);
    faults.check("converting the millimetre diameter to inches");
    form.setText(Field::Text6, doubleToText(roundPlaces(inches, 3)));

    writeGaugeOfInchField(form);
}

void changeGauge(Form& form, Mod1& shared) {
    const double gauge = readDouble(form, Field::Text4);
    if (const auto inches = diameterForGauge(gauge)) form.setText(Field::Text6, doubleToText(*inches));

    shared.convertedDiameter = readSingle(form, Field::Text6);
    writeMillimetresOfInches(form, shared.convertedDiameter);
}

void changeInches(Form& form, Mod1& shared) {
    shared.enteredInchDiameter = readSingle(form, Field::Text6);
    writeMillimetresOfInches(form, shared.enteredInchDiameter);

    // The typed text at double precision, so a typed row diameter reaches its row.
    writeGaugeOfInchField(form);
}

void changeMillimetres(Form& form, Mod1& shared) {
    FloatFaults faults;
    shared.convertedDiameter = readSingle(form, Field::Text8);
    const double inches = faults.mul(shared.convertedDiameter, kInchesPerMillimetre);
    faults.check("converting the millimetre diameter to inches");
    form.setText(Field::Text6, doubleToText(roundPlaces(inches, 3)));

    // The lookup sees the three-place inch text just written.
    writeGaugeOfInchField(form);
}

}  // namespace brimalox
