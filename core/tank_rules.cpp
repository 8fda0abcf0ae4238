#include "tank_rules.h"

#include <cmath>

#include "core/cap_conversion.h"
#include "core/number_text.h"

namespace varnelle {

std::string endShapeWords(EndShape shape) {
    switch (shape) {
        case EndShape::FlatEnds:
            return "bords plats";
        case EndShape::ConicalEnds:
            return "bords tronconiques";
        case EndShape::SphericalCapEnds:
            return "bords en calotte sphérique";
        case EndShape::QuarterRoundEnds:
            return "bords 1/4 de cercle";
    }
    return std::string();
}

std::string endShapeName(EndShape shape) {
    return "cuve cylindrique à " + endShapeWords(shape);
}

std::string wholeMillimetresText(double value) {
    if (!std::isfinite(value)) {
        return incorrectMarker;
    }
    return wholeNumberText(value);
}

std::string perimeterTextFor(double diameter) {
    return wholeMillimetresText(Pi * diameter);
}

std::string diameterTextFor(double perimeter) {
    return wholeMillimetresText(perimeter / Pi);
}

std::string arcLengthTextFor(double diameter, double capWidth) {
    return wholeMillimetresText(capArcLength(diameter / 2, capWidth));
}

std::optional<std::string> capWidthTextFor(double diameter, double arcLength) {
    const double radius = diameter / 2;
    // With no diameter there is no cap to solve for.
    if (!(radius > 0)) {
        return std::nullopt;
    }
    const double width = capWidthForArc(radius, arcLength);
    if (!std::isfinite(width)) {
        return std::nullopt;
    }
    return wholeMillimetresText(width);
}

double diameterForPerimeter(double perimeter) {
    return numberFromText(diameterTextFor(perimeter));
}

std::optional<double> capWidthForArcLength(double diameter, double arcLength) {
    const std::optional<std::string> text = capWidthTextFor(diameter, arcLength);
    if (!text) {
        return std::nullopt;
    }
    return numberFromText(*text);
}

namespace ruleText {

std::string perimeterBelowOil(std::string_view smallestPerimeter) {
    return "Le diamètre de la cuve doit être supérieur à la hauteur de mazout ! soit le "
           "périmètre > à " +
           std::string(smallestPerimeter);
}

std::string arcBelowDiameter(std::string_view diameter) {
    return "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas être "
           "inférieur au diamètre de la cuve soit : " +
           std::string(diameter) + " !";
}

std::string arcAboveHalfCircle(std::string_view halfCircumference) {
    return "Dans cette configuration, le périmètre de la calotte sphérique ne peut pas être "
           "supérieur au demi périmètre de la cuve cylindrique soit : " +
           std::string(halfCircumference) + " !";
}

}  // namespace ruleText

}  // namespace varnelle
