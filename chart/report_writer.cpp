#include "report_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

#include "chart/chart_numbers.h"
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

// A JSON number written by us rather than by QJsonDocument, which would print
// 0.1 + 0.2 as 0.30000000000000004 and lose the three-decimal rounding.
QString jsonNumber(const Field& field) {
    return valueText(field, '.');
}

QString jsonString(const QString& text) {
    // QJsonDocument does the escaping; the brackets are cut off again.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

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

QString rightAligned(const QString& text, int width) {
    return text.rightJustified(width, ' ');
}

}  // namespace

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

QString recordJson(const Record& record) {
    QStringList members;
    for (const Field& field : record) {
        members << jsonString(field.key) + ':' + jsonNumber(field);
    }
    return '{' + members.join(',') + "}\n";
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
        {QStringLiteral("Volume total"), QStringLiteral("Volume total"), QStringLiteral("litres")},
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

QStringList chartLineCells(const ChartLine& line, const OutputConventions& conventions) {
    return {conventions.number(line.height), conventions.number(line.height / 10, 1, 4),
            conventions.litres(line.totalLitres), conventions.litres(line.availableLitres)};
}

QString chartText(const TankDescription& description, double step, const Chart& chart,
                  const OutputConventions& conventions) {
    const QChar decimal = conventions.decimal;
    QString text =
        "Barème de jaugeage : " + QString::fromStdString(endShapeName(description.tank.endShape)) +
        '\n';
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
    text += "\nCapacité (cuve pleine) : " + litresString(chart.capacity, decimal) + " litres\n";
    text += "Volume sous la crépine : " + litresString(chart.belowStrainerLitres, decimal) +
            " litres\n";
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
    const auto mm = [](double value) { return measureString(value, '.'); };
    const auto litres = [](double value) { return litresString(value, '.'); };

    QString text = "{\"diametre_mm\":" + mm(tank.diameter) +
                   ",\"longueur_partie_cylindrique_mm\":" + mm(tank.cylinderLength) +
                   ",\"bords\":" + jsonString(endShapeKey(tank.endShape));
    if (tank.endShape != EndShape::FlatEnds) {
        text += ",\"largeur_bords_mm\":" + mm(tank.endWidth);
    }
    if (tank.endShape == EndShape::ConicalEnds) {
        text += ",\"diametre_cercle_extremite_mm\":" + mm(tank.endCircleDiameter);
    }
    text += ",\"hauteur_crepine_mm\":" + mm(tank.strainerHeight) +
            ",\"precision_milliers\":" + mm(description.precisionThousands) +
            ",\"pas_mm\":" + mm(step) + ",\"capacite_litres\":" + litres(chart.capacity) +
            ",\"volume_sous_crepine_litres\":" + litres(chart.belowStrainerLitres) +
            ",\"lignes\":[";
    QStringList lines;
    for (const ChartLine& line : chart.lines) {
        lines << "{\"hauteur_mm\":" + mm(line.height) +
                     ",\"volume_total_litres\":" + litres(line.totalLitres) +
                     ",\"volume_disponible_litres\":" + litres(line.availableLitres) + '}';
    }
    return text + lines.join(',') + "]}\n";
}

}  // namespace varnelle
