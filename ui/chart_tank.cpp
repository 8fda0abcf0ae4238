#include "chart_tank.h"

#include <cmath>

#include "chart/tank_chart.h"
#include "field_number.h"

namespace varnelle {
namespace {

// More lines than any dipstick needs: a step this fine on so large a tank is a
// slip of the keyboard, and would keep the machine busy for minutes.
constexpr std::size_t mostChartLines = 100'000;

// The main window's fields, as "Calculer" reads them: each measure is there,
// possibly 0; the perimeter and the arc length reach the chart only through
// the diameter and the width that the field checks derived from them.
class FieldMeasures : public MeasureSource {
  public:
    explicit FieldMeasures(const TankParameters& fields) : fields_(fields) {}

    bool has(Measure measure) const override {
        return measure != Measure::Perimeter && measure != Measure::ArcLength;
    }

    double value(Measure measure) const override {
        switch (measure) {
            case Measure::Diameter:
                return fields_.diameter;
            case Measure::CylinderLength:
                return fields_.cylinderLength;
            case Measure::EndWidth:
                return fields_.endWidth;
            case Measure::EndCircleDiameter:
                return fields_.endCircleDiameter;
            case Measure::StrainerHeight:
                return fields_.strainerHeight;
            case Measure::Precision:
                return fields_.intervals / 1000;
            case Measure::Perimeter:
            case Measure::ArcLength:
                break;
        }
        return 0;
    }

    EndShape endShape() const override { return fields_.endShape; }

  private:
    const TankParameters& fields_;
};

// The field of the main window that holds the measure, as its label names it.
QString fieldName(Measure measure) {
    switch (measure) {
        case Measure::Diameter:
        case Measure::Perimeter:
            return QStringLiteral("Diamètre de la cuve");
        case Measure::CylinderLength:
            return QStringLiteral("Longueur de la partie cylindrique");
        case Measure::EndWidth:
        case Measure::ArcLength:
            return QStringLiteral("Largeur des bords");
        case Measure::EndCircleDiameter:
            return QStringLiteral("Diamètre du cercle de l'extrémité");
        case Measure::StrainerHeight:
            return QStringLiteral("Hauteur de la crépine");
        case Measure::Precision:
            return QStringLiteral("Précision du calcul");
    }
    return QString();
}

}  // namespace

std::variant<TankDescription, QString> chartTankFrom(const TankParameters& fields) {
    const TankReading reading = readTankDescription(FieldMeasures(fields));
    if (reading.refusal) {
        return QStringLiteral("%1 : %2").arg(fieldName(reading.refusal->measure),
                                             reading.refusal->message);
    }
    return reading.description;
}

std::variant<double, QString> chartStepFrom(const QString& text, double diameter) {
    const double step = numberIn(text);
    if (!(step >= 1) || step != std::floor(step) || !std::isfinite(step)) {
        return QStringLiteral(
            "Le pas du barème doit être un nombre entier de millimètres, au "
            "moins 1.");
    }
    if (chartLineCount(diameter, step) > mostChartLines) {
        return QStringLiteral("Le barème aurait plus de %1 lignes : choisissez un pas plus grand.")
            .arg(mostChartLines);
    }
    return step;
}

}  // namespace varnelle
