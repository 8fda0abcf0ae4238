// What the window and the chart know alike about a tank: the French names of
// the end shapes, the French texts of the measurement rules, and the
// conversions of a perimeter or an arc length as the window rounds them.
// Texts are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/volume.h"

namespace varnelle {

// "bords plats", "bords en calotte sphérique" ...: the ends alone, as the
// chart's headings name them.
std::string endShapeWords(EndShape shape);
// "cuve cylindrique à bords plats" ..., the captions of the end-shape choice.
std::string endShapeName(EndShape shape);

// What a field holds in place of a measure that could not be found; it reads
// back as 0.
inline constexpr char incorrectMarker[] = "incorrect";

// A measure in whole millimetres, as the window writes it into a field or
// appends it to a message. A value beyond the range of doubles (a typed 1e999,
// or Pi times a huge diameter) shows as the incorrect marker, never as "inf"
// or "nan".
std::string wholeMillimetresText(double value);

// The companion field of a pair, as the window fills it: the perimeter of a
// diameter, the diameter of a perimeter, the arc length through the centre of
// a cap of the given width, and the width of a cap of the given arc length.
std::string perimeterTextFor(double diameter);
std::string diameterTextFor(double perimeter);
std::string arcLengthTextFor(double diameter, double capWidth);
// None when there is no cap to solve for (a diameter of 0) or the search finds
// no width.
std::optional<std::string> capWidthTextFor(double diameter, double arcLength);

// What reaches the calculation from a perimeter or an arc length: the
// companion text above read back, so rounded to the millimetre.
double diameterForPerimeter(double perimeter);
std::optional<double> capWidthForArcLength(double diameter, double arcLength);

// The texts of the rules that the measurements must follow.
namespace ruleText {

inline constexpr char diameterMissing[] = "Veuillez rentrer une valeur du diamètre de la cuve";
inline constexpr char diameterBelowOil[] =
    "Le diamètre de la cuve doit être supérieur ou égal à la hauteur de mazout !";
inline constexpr char perimeterMissing[] = "Veuillez rentrer une valeur du périmètre de la cuve";
inline constexpr char oilAboveDiameter[] =
    "La hauteur de mazout doit être inférieure au diamètre de la cuve !";
inline constexpr char oilBelowStrainer[] =
    "La hauteur de mazout doit être supérieure à la hauteur de la crépine !";
inline constexpr char strainerAboveDiameter[] =
    "La hauteur de la crépine doit être inférieure au diamètre de la cuve !";
inline constexpr char strainerAboveOil[] =
    "La hauteur de la crépine doit être inférieure à la hauteur de mazout !";
inline constexpr char capWidthZero[] =
    "Dans cette configuration, la largeur de la calotte sphérique ne peut pas être nulle !";
inline constexpr char capWidthAboveRadius[] =
    "La largeur de la calotte ne peut pas être supérieure au rayon de la cuve !";
inline constexpr char endWidthZero[] =
    "Dans cette configuration, la largeur ne peut pas être nulle !";
inline constexpr char endWidthAboveRadius[] =
    "La largeur ne peut pas être supérieure au rayon de la cuve !";

// A perimeter whose diameter lies below the oil, followed by the smallest
// perimeter that would hold it.
std::string perimeterBelowOil(std::string_view smallestPerimeter);
// An arc length shorter than the diameter, or longer than half the
// circumference, followed by that bound.
std::string arcBelowDiameter(std::string_view diameter);
std::string arcAboveHalfCircle(std::string_view halfCircumference);

}  // namespace ruleText

}  // namespace varnelle
