#pragma once
// ACCEPT and the three CHANGE buttons. Each reads the fields it needs, computes, and writes; a failed
// step throws ClickFailure and leaves what was written so far.

#include "numtext/form.h"
#include "numtext/mod1.h"

namespace brimalox {

// ACCEPT: the recommended minimum conductor for the frequency field, in mm, inches and AWG.
void accept(Form& form, Mod1& shared);
// CHANGE below the AWG field: the gauge's table diameter in inches, and millimetres from it.
void changeGauge(Form& form, Mod1& shared);
// CHANGE below the inch field: millimetres and the gauge from the typed inches.
void changeInches(Form& form, Mod1& shared);
// CHANGE below the millimetre field: inches and the gauge from the typed millimetres.
void changeMillimetres(Form& form, Mod1& shared);

}  // namespace brimalox
