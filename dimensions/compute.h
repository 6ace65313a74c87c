#pragma once
// COMPUTE: the antenna's height, side, gap and 300 ohm series match length, in millimetres and
// inches, for the frequency field and the conductor in the millimetre field.

#include "numtext/form.h"
#include "numtext/mod1.h"

namespace brimalox {

// The correction coefficient for a diameter excess (conductor / recommended - 1, at most 40).
float correctionCoefficient(float diameterExcess);

void compute(Form& form, Mod1& shared);

}  // namespace brimalox
