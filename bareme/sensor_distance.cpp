#include "sensor_distance.h"

#include "chart/chart_numbers.h"

namespace varnelle {
namespace {

QString millimetres(double value) {
    return measureString(value, '.');
}

}  // namespace

Outcome<double> heightAtDistance(double diameter, const SensorMount& mount, double distance,
                                 const QString& written, ZeroDistance zero) {
    if (distance == 0 && zero == ZeroDistance::NoReading) {
        return Refusal{QString(),
                       QStringLiteral("pas de mesure : le capteur donne une distance nulle (%1).")
                           .arg(written)};
    }
    if (distance < mount.blindZone) {
        return Refusal{QString(), QStringLiteral("pas de mesure : la distance %1 est dans la zone "
                                                 "morte du capteur (moins de %2 mm).")
                                      .arg(written, millimetres(mount.blindZone))};
    }
    const double height = diameter - (distance - mount.offset);
    if (!(height >= 0 && height <= diameter)) {
        return Refusal{
            QString(),
            QStringLiteral("la distance %1 est hors de la cuve (de %2 à %3 mm).")
                .arg(written, millimetres(mount.offset), millimetres(mount.offset + diameter))};
    }
    return height;
}

}  // namespace varnelle
