// Conversions between the width (height) of a spherical-cap end and the length
// of the arc of the sphere that runs through the cap's centre, from rim to rim.
#pragma once

namespace varnelle {

// Arc length through the centre of a cap of width `w` on a circle of radius `R`.
// Defined for w != 0.
double capArcLength(double R, double w);

// The cap width whose arc length is `s`, found by descending from the
// hemisphere (w = R) until the arc exceeds `s` by less than 0.001 mm.
// Meant for R > 0 and 2·R <= s <= Pi·R. Returns NaN ("no width") when the
// search meets a value that is not a number or does not settle.
double capWidthForArc(double R, double s);

}  // namespace varnelle
