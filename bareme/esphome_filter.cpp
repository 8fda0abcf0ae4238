#include "esphome_filter.h"

#include <QRegularExpression>
#include <QStringList>

#include "chart/chart_numbers.h"
#include "chart/report_writer.h"

namespace varnelle {
namespace {

// ESPHome's sensors give metres; to the micrometre, finer than any sensor.
QString metres(double millimetres) {
    constexpr double millimetresPerMetre = 1000;
    constexpr int metreDecimals = 6;
    return measureString(millimetres / millimetresPerMetre, '.', 1, metreDecimals);
}

// The calibration's points, from the full tank (the sensor closest to the oil)
// to the empty one: ESPHome wants the distances strictly ascending. Heights
// differ as written to the thousandth of a millimetre, so their distances
// differ to the millionth of a metre; a point written as the previous one
// anyway (rounding the other way) is left out rather than refused by ESPHome.
QString datapoints(double diameter, const Chart& chart) {
    QString text;
    QString previous;
    for (auto line = chart.lines.rbegin(); line != chart.lines.rend(); ++line) {
        const QString distance = metres(diameter - line->height);
        if (distance == previous) {
            continue;
        }
        previous = distance;
        text += QStringLiteral("            - %1 -> %2\n")
                    .arg(distance, litresString(line->totalLitres, '.'));
    }
    return text;
}

// What is done to the distance before it is looked up in the chart.
QString mountFilters(const SensorMount& mount) {
    QString text;
    if (mount.blindZone > 0) {
        text += QStringLiteral(
                    "      # Plus près que la zone morte du capteur : pas de mesure.\n"
                    "      - lambda: |-\n"
                    "          if (x < %1) return {};\n"
                    "          return x;\n")
                    .arg(metres(mount.blindZone));
    }
    if (mount.offset != 0) {
        text += QStringLiteral(
                    "      # Le zéro du capteur est %1 m au-dessus du haut intérieur de la cuve.\n"
                    "      - offset: %2\n")
                    .arg(metres(mount.offset), metres(-mount.offset));
    }
    return text;
}

}  // namespace

bool isEsphomeId(const QString& id) {
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return shape.match(id).hasMatch();
}

QString esphomeSensor(const TankDescription& description, double step, const Chart& chart,
                      const EsphomeSource& source) {
    QString text;
    for (const QString& line : tankSummaryLines(description, step, OutputConventions{})) {
        text += QStringLiteral("  # %1\n").arg(line);
    }
    const QString capacity = litresString(chart.capacity, '.');
    text += QStringLiteral(
                "  # À coller sous « sensor: ». Nécessite ESPHome 2023.8 ou plus récent "
                "(calibrate_linear avec method: exact, et clamp).\n"
                "  # Le capteur %1 doit donner la distance du capteur au mazout en mètres.\n"
                "  - platform: copy\n"
                "    source_id: %1\n"
                "    name: \"Mazout dans la cuve\"\n"
                "    unit_of_measurement: L\n"
                "    device_class: volume_storage\n"
                "    state_class: measurement\n"
                "    accuracy_decimals: 0\n"
                "    filters:\n")
                .arg(source.id);
    text += mountFilters(source.mount);
    text += QStringLiteral(
        "      # Distance du haut de la cuve au mazout (m) -> volume total (litres)\n"
        "      - calibrate_linear:\n"
        "          method: exact\n"
        "          datapoints:\n");
    text += datapoints(description.tank.diameter, chart);
    // Beyond the chart's ends calibrate_linear draws its first and last
    // segments on: a sensor reading past the bottom would give negative
    // litres, one too close to the oil more than the tank holds.
    text += QStringLiteral(
                "      # Hors de la cuve, les litres restent entre 0 et la capacité.\n"
                "      - clamp:\n"
                "          min_value: 0\n"
                "          max_value: %1\n")
                .arg(capacity);
    return text;
}

}  // namespace varnelle
