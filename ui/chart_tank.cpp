#include "chart_tank.h"

#include "chart/tank_chart.h"

namespace varnelle {
namespace {

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

const QString stepFieldName = QStringLiteral("Pas");

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

// The rule broken, after the name of the field and a colon: "Diamètre de la
// cuve : veuillez rentrer une valeur du diamètre de la cuve." The rules are
// the main window's error boxes, which start with a capital and may end with
// an exclamation mark.
QString afterColon(QString rule) {
    rule = rule.trimmed();
    while (rule.endsWith('!') || rule.endsWith('.')) {
        rule.chop(1);
        rule = rule.trimmed();
    }
    if (!rule.isEmpty()) {
        rule[0] = rule[0].toLower();
    }
    return rule + '.';
}

}  // namespace

Outcome<TankDescription> chartTankFrom(const TankParameters& fields,
                                       const OutputConventions& conventions) {
    Outcome<TankDescription> tank = readTankDescription(FieldMeasures(fields), conventions);
    if (const Refusal* refusal = refusalOf(tank)) {
        const QString field =
            fieldName(measureForKey(refusal->subject).value_or(Measure::Diameter));
        return Refusal{field, QStringLiteral("%1 : %2").arg(field, afterColon(refusal->sentence))};
    }
    return tank;
}

Outcome<double> chartStepFrom(const QString& text, const TankDescription& description,
                              const OutputConventions& conventions) {
    // A text that is not wholly a number gives no step, which is refused.
    const std::optional<double> step = conventions.read(text);
    if (std::optional<Refusal> refusal =
            chartStepRefusal(description.tank.diameter, *step, conventions)) {
        return Refusal{stepFieldName, refusal->sentence};
    }
    if (std::optional<Refusal> refusal = chartWorkRefusal(description, *step, conventions)) {
        return Refusal{stepFieldName, refusal->sentence};
    }
    return *step;
}

}  // namespace varnelle
