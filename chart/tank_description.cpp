#include "tank_description.h"

#include <algorithm>
#include <cmath>

#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"
#include "core/tank_rules.h"

namespace varnelle {
namespace {

constexpr double smallestPrecision = 0.001;  // one slice per end
constexpr double largestPrecision = 1000;    // a million slices per end

// Thrown by the checks below and returned by readTankDescription.
struct Refused {
    Refusal refusal;
};

[[noreturn]] void refuse(Measure measure, const QString& message) {
    throw Refused{{QString::fromLatin1(measureKey(measure)), message}};
}

[[noreturn]] void refuse(Measure measure, const char* utf8) {
    refuse(measure, QString::fromUtf8(utf8));
}

[[noreturn]] void refuse(Measure measure, const std::string& utf8) {
    refuse(measure, QString::fromStdString(utf8));
}

// A measure that is given must make sense for a tank: below a millimetre it
// would also starve the computation of significant digits (a width of 1e-310
// gives no finite volume).
void refuseBelowSmallest(Measure measure, double value) {
    if (value < smallestMeasure) {
        refuse(measure, measureTooSmallMessage());
    }
}

// A length given by the source, no larger than any tank; a value that is not a
// number is refused with them, never passed on to the computation.
double length(const MeasureSource& source, Measure measure) {
    const double value = source.value(measure);
    if (!(std::abs(value) <= largestMeasure)) {
        refuse(measure, measureTooLargeMessage());
    }
    return value;
}

double readPerimeterAsDiameter(const MeasureSource& source, TankDescription& description) {
    const double perimeter = length(source, Measure::Perimeter);
    if (perimeter == 0) {
        refuse(Measure::Perimeter, ruleText::perimeterMissing);
    }
    if (perimeter < 0) {
        refuse(Measure::Perimeter, "Le périmètre de la cuve ne peut pas être négatif !");
    }
    description.perimeter = perimeter;
    const double diameter = diameterForPerimeter(perimeter);
    if (diameter == 0) {
        refuse(Measure::Perimeter,
               "Le périmètre est trop petit : le diamètre arrondi au millimètre est nul !");
    }
    return diameter;
}

double readDiameter(const MeasureSource& source, TankDescription& description) {
    if (source.has(Measure::Diameter) && source.has(Measure::Perimeter)) {
        refuse(Measure::Perimeter, "Donnez le diamètre ou le périmètre de la cuve, pas les deux.");
    }
    if (source.has(Measure::Perimeter)) {
        return readPerimeterAsDiameter(source, description);
    }
    const double diameter = source.has(Measure::Diameter) ? length(source, Measure::Diameter) : 0;
    if (diameter == 0) {
        refuse(Measure::Diameter, ruleText::diameterMissing);
    }
    if (diameter < 0) {
        refuse(Measure::Diameter, "Le diamètre de la cuve ne peut pas être négatif !");
    }
    refuseBelowSmallest(Measure::Diameter, diameter);
    return diameter;
}

double readCylinderLength(const MeasureSource& source) {
    if (!source.has(Measure::CylinderLength)) {
        refuse(Measure::CylinderLength,
               "Veuillez rentrer une valeur de la longueur de la partie cylindrique");
    }
    const double cylinderLength = length(source, Measure::CylinderLength);
    if (!(cylinderLength > 0)) {
        refuse(Measure::CylinderLength,
               "La longueur de la partie cylindrique doit être supérieure à zéro !");
    }
    refuseBelowSmallest(Measure::CylinderLength, cylinderLength);
    return cylinderLength;
}

void checkCapWidth(Measure measure, double width, double diameter) {
    if (width == 0) {
        refuse(measure, ruleText::capWidthZero);
    }
    if (width < 0) {
        refuse(measure, "La largeur de la calotte ne peut pas être négative !");
    }
    refuseBelowSmallest(measure, width);
    if (width > diameter / 2) {
        refuse(measure, ruleText::capWidthAboveRadius);
    }
}

double capWidthFromArc(const MeasureSource& source, TankDescription& description,
                       const OutputConventions& numbers) {
    const double diameter = description.tank.diameter;
    const double arc = length(source, Measure::ArcLength);
    if (arc < diameter) {
        refuse(Measure::ArcLength,
               ruleText::arcBelowDiameter(numbers.number(diameter).toStdString()));
    }
    if (arc > Pi * diameter / 2) {
        refuse(Measure::ArcLength,
               ruleText::arcAboveHalfCircle(numbers.number(Pi * diameter / 2).toStdString()));
    }
    const std::optional<double> width = capWidthForArcLength(diameter, arc);
    if (!width) {
        refuse(Measure::ArcLength,
               "Aucune largeur de calotte ne correspond à cette longueur d'arc !");
    }
    description.arcLength = arc;
    checkCapWidth(Measure::ArcLength, *width, diameter);
    return *width;
}

const char* const endWidthMissing = "Veuillez rentrer une valeur de la largeur des bords";

double readCapWidth(const MeasureSource& source, TankDescription& description,
                    const OutputConventions& numbers) {
    if (source.has(Measure::EndWidth) && source.has(Measure::ArcLength)) {
        refuse(Measure::ArcLength,
               "Donnez la largeur de la calotte ou la longueur de son arc, pas les deux.");
    }
    if (source.has(Measure::ArcLength)) {
        return capWidthFromArc(source, description, numbers);
    }
    if (!source.has(Measure::EndWidth)) {
        refuse(Measure::EndWidth, endWidthMissing);
    }
    const double width = length(source, Measure::EndWidth);
    checkCapWidth(Measure::EndWidth, width, description.tank.diameter);
    return width;
}

// Truncated-cone and quarter-round ends.
double readEndWidth(const MeasureSource& source, EndShape shape, double diameter) {
    if (!source.has(Measure::EndWidth)) {
        refuse(Measure::EndWidth, endWidthMissing);
    }
    const double width = length(source, Measure::EndWidth);
    if (width == 0) {
        refuse(Measure::EndWidth, ruleText::endWidthZero);
    }
    if (width < 0) {
        refuse(Measure::EndWidth, "La largeur ne peut pas être négative !");
    }
    refuseBelowSmallest(Measure::EndWidth, width);
    if (shape == EndShape::QuarterRoundEnds && width > diameter / 2) {
        refuse(Measure::EndWidth, ruleText::endWidthAboveRadius);
    }
    return width;
}

double readEndCircleDiameter(const MeasureSource& source, double diameter) {
    constexpr Measure measure = Measure::EndCircleDiameter;
    if (!source.has(measure)) {
        refuse(measure, "Veuillez rentrer une valeur du diamètre du cercle de l'extrémité");
    }
    const double endCircle = length(source, measure);
    if (endCircle < 0) {
        refuse(measure, "Le diamètre du cercle de l'extrémité ne peut pas être négatif !");
    }
    // A cone that widens outwards would reach below the bottom of the
    // cylinder, from which every height is measured.
    if (endCircle > diameter) {
        refuse(measure,
               "Le diamètre du cercle de l'extrémité ne peut pas être supérieur au diamètre de la "
               "cuve !");
    }
    return endCircle;
}

void readEnds(const MeasureSource& source, TankDescription& description,
              const OutputConventions& numbers) {
    TankParameters& tank = description.tank;
    tank.endShape = source.endShape();
    switch (tank.endShape) {
        case EndShape::FlatEnds:
            break;
        case EndShape::ConicalEnds:
            tank.endWidth = readEndWidth(source, tank.endShape, tank.diameter);
            tank.endCircleDiameter = readEndCircleDiameter(source, tank.diameter);
            break;
        case EndShape::SphericalCapEnds:
            tank.endWidth = readCapWidth(source, description, numbers);
            break;
        case EndShape::QuarterRoundEnds:
            tank.endWidth = readEndWidth(source, tank.endShape, tank.diameter);
            break;
    }
}

double readStrainerHeight(const MeasureSource& source, double diameter) {
    if (!source.has(Measure::StrainerHeight)) {
        return 0;
    }
    const double strainer = length(source, Measure::StrainerHeight);
    if (strainer < 0) {
        refuse(Measure::StrainerHeight, "La hauteur de la crépine ne peut pas être négative !");
    }
    if (strainer > diameter) {
        refuse(Measure::StrainerHeight, ruleText::strainerAboveDiameter);
    }
    return strainer;
}

double readPrecision(const MeasureSource& source, const OutputConventions& numbers) {
    if (!source.has(Measure::Precision)) {
        return defaultPrecisionThousands;
    }
    const double thousands = source.value(Measure::Precision);
    if (!(thousands >= smallestPrecision && thousands <= largestPrecision)) {
        refuse(Measure::Precision,
               QStringLiteral("La précision doit être comprise entre %1 et %2 "
                              "(milliers d'intervalles par extrémité).")
                   .arg(numbers.number(smallestPrecision), numbers.number(largestPrecision)));
    }
    return thousands;
}

TankDescription readTank(const MeasureSource& source, const OutputConventions& numbers) {
    TankDescription description;
    TankParameters& tank = description.tank;
    tank.diameter = readDiameter(source, description);
    tank.cylinderLength = readCylinderLength(source);
    readEnds(source, description, numbers);
    tank.strainerHeight = readStrainerHeight(source, tank.diameter);
    description.precisionThousands = readPrecision(source, numbers);
    tank.intervals = description.precisionThousands * 1000;
    return description;
}

// What a refused step names.
const QString stepKey = QStringLiteral("pas");

}  // namespace

Outcome<TankDescription> readTankDescription(const MeasureSource& source,
                                             const OutputConventions& numbers) {
    try {
        return readTank(source, numbers);
    } catch (const Refused& refused) {
        return refused.refusal;
    }
}

const char* measureKey(Measure measure) {
    switch (measure) {
        case Measure::Diameter:
            return measureKeys::diameter;
        case Measure::Perimeter:
            return measureKeys::perimeter;
        case Measure::CylinderLength:
            return measureKeys::cylinderLength;
        case Measure::EndWidth:
            return measureKeys::endWidth;
        case Measure::ArcLength:
            return measureKeys::arcLength;
        case Measure::EndCircleDiameter:
            return measureKeys::endCircleDiameter;
        case Measure::StrainerHeight:
            return measureKeys::strainerHeight;
        case Measure::Precision:
            break;
    }
    return measureKeys::precision;
}

std::optional<Measure> measureForKey(const QString& key) {
    for (const Measure measure : {Measure::Diameter, Measure::Perimeter, Measure::CylinderLength,
                                  Measure::EndWidth, Measure::ArcLength, Measure::EndCircleDiameter,
                                  Measure::StrainerHeight, Measure::Precision}) {
        if (key == QLatin1String(measureKey(measure))) {
            return measure;
        }
    }
    return std::nullopt;
}

QString measureTooLargeMessage() {
    return QStringLiteral("La valeur ne peut pas dépasser %1 mm !")
        .arg(measureString(largestMeasure, ','));
}

QString measureTooSmallMessage() {
    return QStringLiteral("La valeur doit être d'au moins %1 mm !")
        .arg(measureString(smallestMeasure, ','));
}

std::optional<Refusal> chartStepRefusal(double diameter, std::optional<double> typed,
                                        const OutputConventions& conventions) {
    const double step = typed.value_or(0);
    if (!typed || !(step >= 1) || step != std::floor(step) || !std::isfinite(step)) {
        return Refusal{
            stepKey,
            QStringLiteral("Le pas doit être un nombre entier de millimètres, au moins 1.")};
    }
    // A wider step leaves the chart with its two ends alone.
    if (step > diameter) {
        return Refusal{stepKey,
                       QStringLiteral("Le pas ne peut pas dépasser le diamètre de la cuve (%1).")
                           .arg(conventions.millimetres(diameter))};
    }
    if (chartLineCount(diameter, step) > mostChartLines) {
        return Refusal{
            stepKey,
            QStringLiteral("Le barème aurait plus de %1 lignes : choisissez un pas plus grand.")
                .arg(mostChartLines)};
    }
    return std::nullopt;
}

std::optional<Refusal> chartWorkRefusal(const TankDescription& description, double step,
                                        const OutputConventions& conventions) {
    const double diameter = description.tank.diameter;
    const double slices = description.tank.intervals;
    const auto lines = static_cast<double>(chartLineCount(diameter, step));
    if (lines * slices <= mostChartSlices) {
        return std::nullopt;
    }
    // Precision in thousands, rounded down to its smallest unit.
    const double precisionThatFits = std::floor(mostChartSlices / lines) / 1000;
    const double mostLines = std::floor(mostChartSlices / slices);
    double stepThatFits = std::max(1.0, std::ceil(diameter / (mostLines - 1)));
    while (static_cast<double>(chartLineCount(diameter, stepThatFits)) > mostLines) {
        stepThatFits += 1;
    }
    // The step or the precision may be changed: the caller names the one given.
    return Refusal{
        QString(),
        QStringLiteral("Le barème demanderait trop de calcul : choisissez une précision d'au "
                       "plus %1 ou un pas d'au moins %2 mm.")
            .arg(conventions.number(precisionThatFits), conventions.number(stepThatFits))};
}

QString endShapeKey(EndShape shape) {
    switch (shape) {
        case EndShape::FlatEnds:
            return QStringLiteral("plats");
        case EndShape::ConicalEnds:
            return QStringLiteral("tronconiques");
        case EndShape::SphericalCapEnds:
            return QStringLiteral("calotte");
        case EndShape::QuarterRoundEnds:
            return QStringLiteral("quart-de-cercle");
    }
    return QString();
}

std::optional<EndShape> endShapeForKey(const QString& key) {
    for (const EndShape shape : allEndShapes) {
        if (endShapeKey(shape) == key) {
            return shape;
        }
    }
    return std::nullopt;
}

}  // namespace varnelle
