#include "report_writer.h"

#include <algorithm>

#include "chart/chart_numbers.h"
#include "chart/chart_texts.h"
#include "chart/json_object.h"
#include "core/tank_rules.h"

namespace varnelle {
namespace {

QString unitName(Unit unit) {
    switch (unit) {
        case Unit::Millimetres:
            return QStringLiteral("mm");
        case Unit::Centimetres:
            return QStringLiteral("cm");
        case Unit::Litres:
            return QStringLiteral("litres");
        case Unit::Percent:
            return QStringLiteral("%");
    }
    return QString();
}

QString valueText(const Field& field, QChar decimal) {
    switch (field.unit) {
        case Unit::Litres:
            return litresString(field.value, decimal);
        case Unit::Centimetres:
            return measureString(field.value, decimal, 1, 4);
        case Unit::Millimetres:
        case Unit::Percent:
            break;
    }
    return measureString(field.value, decimal);
}

QString rightAligned(const QString& text, int width) {
    return text.rightJustified(width, ' ');
}

}  // namespace

QString csvLine(const QStringList& cells, QChar separator) {
    QStringList quoted;
    for (const QString& cell : cells) {
        if (cell.contains(separator) || cell.contains('"') || cell.contains('\n')) {
            quoted << '"' + QString(cell).replace("\"", "\"\"") + '"';
        } else {
            quoted << cell;
        }
    }
    return quoted.join(separator) + '\n';
}

QString recordText(const Record& record, const OutputConventions& conventions) {
    int labelWidth = 0;
    for (const Field& field : record) {
        labelWidth = std::max(labelWidth, static_cast<int>(field.label.size()));
    }
    QString text;
    for (const Field& field : record) {
        text += field.label.leftJustified(labelWidth) + " : " +
                valueText(field, conventions.decimal) + ' ' + unitName(field.unit) + '\n';
    }
    return text;
}

QString recordCsv(const Record& record, const OutputConventions& conventions) {
    QStringList titles;
    QStringList values;
    for (const Field& field : record) {
        titles << field.label + " (" + unitName(field.unit) + ')';
        values << valueText(field, conventions.decimal);
    }
    return csvLine(titles, conventions.csvSeparator) + csvLine(values, conventions.csvSeparator);
}

Field capacityField(double litres) {
    return {jsonKey::capacity, QString::fromUtf8(chartWords::capacity), Unit::Litres, litres};
}

QString recordJson(const Record& record) {
    JsonObject object;
    for (const Field& field : record) {
        object.number(field.key, valueText(field, '.'));
    }
    return object.text() + '\n';
}

QStringList tankSummaryLines(const TankDescription& description, double step,
                             const OutputConventions& conventions) {
    const TankParameters& tank = description.tank;
    const auto mm = [&conventions](double value) { return conventions.millimetres(value); };

    QString diameter = "Diamètre : " + mm(tank.diameter);
    if (description.perimeter) {
        diameter += " (d'après un périmètre de " + mm(*description.perimeter) + ')';
    }

    QString ends;
    switch (tank.endShape) {
        case EndShape::FlatEnds:
            ends = "Bords plats";
            break;
        case EndShape::ConicalEnds:
            ends = "Bords tronconiques : largeur " + mm(tank.endWidth) +
                   ", diamètre du cercle de l'extrémité " + mm(tank.endCircleDiameter);
            break;
        case EndShape::SphericalCapEnds:
            ends = "Bords en calotte sphérique : largeur " + mm(tank.endWidth);
            if (description.arcLength) {
                ends += " (d'après un arc de " + mm(*description.arcLength) + ')';
            }
            break;
        case EndShape::QuarterRoundEnds:
            ends = "Bords 1/4 de cercle : largeur " + mm(tank.endWidth);
            break;
    }

    return {diameter,
            "Longueur de la partie cylindrique : " + mm(tank.cylinderLength),
            ends,
            "Crépine : " + mm(tank.strainerHeight) + " au-dessus du fond",
            "Pas du barème : " + mm(step),
            "Précision : " + conventions.number(description.precisionThousands) +
                " milliers d'intervalles d'intégration par extrémité"};
}

const std::vector<ChartColumn>& chartColumns() {
    static const std::vector<ChartColumn> columns = {
        {QStringLiteral("Hauteur"), QStringLiteral("Hauteur"), QStringLiteral("mm")},
        {QStringLiteral("Hauteur"), QStringLiteral("Hauteur"), QStringLiteral("cm")},
        {QString::fromUtf8(chartWords::totalVolume), QString::fromUtf8(chartWords::totalVolume),
         QStringLiteral("litres")},
        {QStringLiteral("Volume disponible"), QStringLiteral("Disponible"),
         QStringLiteral("litres")},
    };
    return columns;
}

QString unitInBrackets(const ChartColumn& column) {
    return '(' + column.unit + ')';
}

QStringList chartColumnTitles() {
    QStringList titles;
    for (const ChartColumn& column : chartColumns()) {
        titles << column.name + ' ' + unitInBrackets(column);
    }
    return titles;
}

std::vector<double> chartLineValues(const ChartLine& line) {
    return {line.height, line.height / millimetresPerCentimetre, line.totalLitres,
            line.availableLitres};
}

QStringList chartLineCells(const ChartLine& line, const OutputConventions& conventions) {
    const std::vector<double> values = chartLineValues(line);
    return {conventions.number(values[0]), conventions.number(values[1], 1, 4),
            conventions.litres(values[2]), conventions.litres(values[3])};
}

QString chartText(const TankDescription& description, double step, const Chart& chart,
                  const OutputConventions& conventions) {
    QString text = QString::fromUtf8(chartWords::title) + " : " +
                   QString::fromStdString(endShapeName(description.tank.endShape)) + '\n';
    for (const QString& line : tankSummaryLines(description, step, conventions)) {
        text += line + '\n';
    }

    // Two header lines, "Hauteur" above "(mm)", keep the columns narrow.
    const int widths[] = {9, 9, 14, 14};
    QString top;
    QString bottom;
    for (std::size_t c = 0; c < chartColumns().size(); ++c) {
        top += rightAligned(chartColumns()[c].shortName, widths[c]);
        bottom += rightAligned(unitInBrackets(chartColumns()[c]), widths[c]);
    }
    text += '\n' + top + '\n' + bottom + '\n';
    for (const ChartLine& line : chart.lines) {
        const QStringList cells = chartLineCells(line, conventions);
        for (int c = 0; c < cells.size(); ++c) {
            text += rightAligned(cells[c], widths[c]);
        }
        text += '\n';
    }
    text += '\n' + QString::fromUtf8(chartWords::capacity) + " : " +
            conventions.litresWithUnit(chart.capacity) + '\n';
    text += QString::fromUtf8(chartWords::belowStrainer) + " : " +
            conventions.litresWithUnit(chart.belowStrainerLitres) + '\n';
    return text;
}

QString chartCsv(const Chart& chart, const OutputConventions& conventions) {
    QString text = csvLine(chartColumnTitles(), conventions.csvSeparator);
    for (const ChartLine& line : chart.lines) {
        text += csvLine(chartLineCells(line, conventions), conventions.csvSeparator);
    }
    return text;
}

QString chartJson(const TankDescription& description, double step, const Chart& chart) {
    const TankParameters& tank = description.tank;
    JsonObject head;
    head.millimetres("diametre_mm", tank.diameter)
        .millimetres("longueur_partie_cylindrique_mm", tank.cylinderLength)
        .string("bords", endShapeKey(tank.endShape));
    if (tank.endShape != EndShape::FlatEnds) {
        head.millimetres("largeur_bords_mm", tank.endWidth);
    }
    if (tank.endShape == EndShape::ConicalEnds) {
        head.millimetres("diametre_cercle_extremite_mm", tank.endCircleDiameter);
    }
    head.millimetres("hauteur_crepine_mm", tank.strainerHeight)
        .millimetres("precision_milliers", description.precisionThousands)
        .millimetres("pas_mm", step)
        .litres(jsonKey::capacity, chart.capacity)
        .litres(jsonKey::belowStrainerLitres, chart.belowStrainerLitres);
    QStringList lines;
    for (const ChartLine& line : chart.lines) {
        lines << JsonObject()
                     .millimetres("hauteur_mm", line.height)
                     .litres(jsonKey::totalLitres, line.totalLitres)
                     .litres(jsonKey::availableLitres, line.availableLitres)
                     .text();
    }
    return head.array("lignes", lines).text() + '\n';
}

}  // namespace varnelle
