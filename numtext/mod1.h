#pragma once
// The handlers' shared single-precision values. All 0 at start, never saved. Every value is written
// by a handler before that handler reads it in the same click, except the side length, which a
// COMPUTE with no option selected shows again from an earlier click.

namespace brimalox {

// The rule both ACCEPT and COMPUTE size the conductor by: the free-space wavelength over a divisor.
inline constexpr double kWavelengthMmMhz = 300000.0;   // free-space wavelength in mm = 300000 / MHz
inline constexpr double kRecommendedDivisor = 1263.7;  // wavelength / recommended diameter

struct Mod1 {
    float designFrequency = 0;      // MHz; COMPUTE replaces it by the corrected frequency
    float recommendedDiameter = 0;  // mm
    float conductorDiameter = 0;    // mm
    float diameterExcess = 0;       // ratio
    float correctionCoefficient = 0;
    float seriesMatchLength = 0;    // mm
    float sideLength = 0;           // mm
    float gapLength = 0;            // mm
    float enteredInchDiameter = 0;  // inch
    float convertedDiameter = 0;    // inch or mm
};

}  // namespace brimalox
