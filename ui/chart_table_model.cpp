#include "chart_table_model.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <set>

#include "chart/report_writer.h"

namespace varnelle {
namespace {

QString columnTitle(const ChartColumn& column) {
    return column.shortName + ' ' + unitInBrackets(column);
}

}  // namespace

ChartTableModel::ChartTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ChartTableModel::setChart(Chart chart, const OutputConventions& conventions) {
    beginResetModel();
    chart_ = std::move(chart);
    conventions_ = conventions;
    endResetModel();
}

int ChartTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(chart_.lines.size());
}

int ChartTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(chartColumns().size());
}

QVariant ChartTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ChartLine& line = chart_.lines[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return chartLineCells(line, conventions_).at(index.column());
        case Qt::UserRole:
            return chartLineValues(line).at(static_cast<std::size_t>(index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ChartTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    const ChartColumn& column = chartColumns().at(static_cast<std::size_t>(section));
    return column.shortName + '\n' + unitInBrackets(column);
}

int ChartTableModel::rowNearest(double height) const {
    const auto above =
        std::lower_bound(chart_.lines.begin(), chart_.lines.end(), height,
                         [](const ChartLine& line, double wanted) { return line.height < wanted; });
    if (above == chart_.lines.end()) {
        return rowCount() - 1;
    }
    if (above != chart_.lines.begin() &&
        height - std::prev(above)->height < above->height - height) {
        return static_cast<int>(std::prev(above) - chart_.lines.begin());
    }
    return static_cast<int>(above - chart_.lines.begin());
}

QString ChartTableModel::rowsAsText(const QModelIndexList& cells) const {
    std::set<int> rows;
    for (const QModelIndex& cell : cells) {
        rows.insert(cell.row());
    }
    QStringList titles;
    for (const ChartColumn& column : chartColumns()) {
        titles << columnTitle(column);
    }
    QString text = titles.join('\t') + '\n';
    for (const int row : rows) {
        text += chartLineCells(chart_.lines[static_cast<std::size_t>(row)], conventions_.forFiles())
                    .join('\t') +
                '\n';
    }
    return text;
}

}  // namespace varnelle
