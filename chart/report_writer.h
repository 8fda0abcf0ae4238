// The answers written as text for people, CSV for spreadsheets and JSON for
// scripts.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

enum class Unit { Millimetres, Centimetres, Litres, Percent };

// One named value of an answer: `key` for JSON, `label` for people.
struct Field {
    QString key;
    QString label;
    Unit unit;
    double value;
};

using Record = std::vector<Field>;

// The tank's capacity, as every answer names it.
Field capacityField(double litres);

// One CSV line, its end included; cells holding the separator, a quote or a
// line end are quoted.
QString csvLine(const QStringList& cells, QChar separator);

// "Label : value unit" lines, the colons aligned.
QString recordText(const Record& record, const OutputConventions& conventions);
// A header line and one line of values.
QString recordCsv(const Record& record, const OutputConventions& conventions);
// One JSON object on one line.
QString recordJson(const Record& record);

// The measurements in a few lines, for the heads of the text chart and the PDF.
QStringList tankSummaryLines(const TankDescription& description, double step,
                             const OutputConventions& conventions);

// Height in mm and cm, total and available litres, for each line of a chart.
QString chartText(const TankDescription& description, double step, const Chart& chart,
                  const OutputConventions& conventions);
QString chartCsv(const Chart& chart, const OutputConventions& conventions);
QString chartJson(const TankDescription& description, double step, const Chart& chart);

// The chart's columns, shared by the text, CSV and PDF forms: "Volume
// disponible (litres)" in full, "Disponible" above "(litres)" where room is short.
struct ChartColumn {
    QString name;
    QString shortName;
    QString unit;
};
const std::vector<ChartColumn>& chartColumns();
QStringList chartColumnTitles();  // "Hauteur (mm)" ...
QString unitInBrackets(const ChartColumn& column);

// The values of one line of the chart, in the order of the columns.
std::vector<double> chartLineValues(const ChartLine& line);
// The cells of one line of the chart, in the order of the columns.
QStringList chartLineCells(const ChartLine& line, const OutputConventions& conventions);

}  // namespace varnelle
