#include "esphome_filter.h"

#include <QStringList>

#include "chart/chart_numbers.h"
#include "chart/report_writer.h"

namespace varnelle {

QString esphomeFilter(const TankDescription& description, double step, const Chart& chart) {
    QString text;
    for (const QString& line : tankSummaryLines(description, step, '.')) {
        text += QStringLiteral("    # %1\n").arg(line);
    }
    text += QStringLiteral(
        "    # Distance du capteur au mazout (m) -> volume total (litres)\n"
        "    filters:\n"
        "      - calibrate_linear:\n"
        "          method: exact\n"
        "          datapoints:\n");
    const double diameter = description.tank.diameter;
    // From the full tank (the sensor closest to the oil) to the empty one.
    for (auto line = chart.lines.rbegin(); line != chart.lines.rend(); ++line) {
        constexpr double millimetresPerMetre = 1000;
        text += QStringLiteral("            - %1 -> %2\n")
                    .arg(measureString((diameter - line->height) / millimetresPerMetre, '.', 1, 6),
                         litresString(line->totalLitres, '.'));
    }
    return text;
}

}  // namespace varnelle
