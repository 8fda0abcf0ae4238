#include "carnet_tank.h"

#include <cmath>

#include "logbook/consumption.h"

namespace varnelle {
namespace {

// Any length the description accepts, until the real one is deduced.
constexpr double provisionalLength = 1000;

class CarnetMeasures : public MeasureSource {
  public:
    explicit CarnetMeasures(const TankValues& values) : values_(values) {}

    bool has(Measure measure) const override {
        return values_.contains(QLatin1String(measureKey(measure))) ||
               (measure == Measure::CylinderLength &&
                values_.contains(QLatin1String(carnetKeys::nominalCapacity)));
    }

    double value(Measure measure) const override {
        const QString key = QLatin1String(measureKey(measure));
        if (measure == Measure::CylinderLength && !values_.contains(key)) {
            return provisionalLength;
        }
        // What is not a number is refused by the description as such.
        return OutputConventions().read(values_.value(key)).value_or(std::nan(""));
    }

    EndShape endShape() const override {
        return endShapeForKey(values_.value(QLatin1String(carnetKeys::endShape)).trimmed())
            .value_or(EndShape::FlatEnds);
    }

  private:
    const TankValues& values_;
};

Refusal keyRefusal(const char* key, const QString& sentence) {
    return Refusal{QLatin1String(key), sentence};
}

}  // namespace

QString storedNumberText(double value) {
    return QString::number(value, 'g', 17);
}

Outcome<TankDescription> carnetTankDescription(const TankValues& values,
                                               const OutputConventions& numbers) {
    const QString shape = values.value(QLatin1String(carnetKeys::endShape));
    if (!shape.isEmpty() && !endShapeForKey(shape.trimmed())) {
        return keyRefusal(carnetKeys::endShape,
                          QStringLiteral("Forme inconnue : « %1 ».").arg(shape.left(40)));
    }
    Outcome<TankDescription> read = readTankDescription(CarnetMeasures(values), numbers);
    TankDescription* description = std::get_if<TankDescription>(&read);
    const QString nominal = values.value(QLatin1String(carnetKeys::nominalCapacity));
    if (description == nullptr || nominal.isEmpty() ||
        values.contains(QLatin1String(measureKeys::cylinderLength))) {
        return read;
    }
    const Outcome<double> length = deduceCylinderLength(
        description->tank, OutputConventions().read(nominal).value_or(std::nan("")));
    if (const Refusal* why = refusalOf(length)) {
        return keyRefusal(carnetKeys::nominalCapacity, why->sentence);
    }
    description->tank.cylinderLength = std::get<double>(length);
    return read;
}

TankValues carnetValuesOf(const TankParameters& tank) {
    TankValues values{
        {measureKeys::diameter, storedNumberText(tank.diameter)},
        {measureKeys::cylinderLength, storedNumberText(tank.cylinderLength)},
        {carnetKeys::endShape, endShapeKey(tank.endShape)},
        {measureKeys::strainerHeight, storedNumberText(tank.strainerHeight)},
        {measureKeys::precision, storedNumberText(tank.intervals / 1000)},
    };
    if (tank.endShape != EndShape::FlatEnds) {
        values.insert(measureKeys::endWidth, storedNumberText(tank.endWidth));
    }
    if (tank.endShape == EndShape::ConicalEnds) {
        values.insert(measureKeys::endCircleDiameter, storedNumberText(tank.endCircleDiameter));
    }
    return values;
}

bool sameTank(const TankParameters& a, const TankParameters& b) {
    return a.diameter == b.diameter && a.cylinderLength == b.cylinderLength &&
           a.strainerHeight == b.strainerHeight && a.endShape == b.endShape &&
           a.intervals == b.intervals &&
           (a.endShape == EndShape::FlatEnds ||
            (a.endWidth == b.endWidth && (a.endShape != EndShape::ConicalEnds ||
                                          a.endCircleDiameter == b.endCircleDiameter)));
}

}  // namespace varnelle
