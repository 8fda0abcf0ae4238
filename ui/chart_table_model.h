// The lines of a chart as a table: the chart program's texts, written for
// people ("1 570,796"), in Qt::DisplayRole, the unrounded values as doubles
// in Qt::UserRole.
#pragma once

#include <QAbstractTableModel>
#include <QModelIndexList>

#include "chart/chart_numbers.h"
#include "chart/tank_chart.h"

namespace varnelle {

class ChartTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ChartTableModel(QObject* parent = nullptr);

    void setChart(Chart chart, const OutputConventions& conventions);
    const Chart& chart() const { return chart_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row whose height is nearest to `height`, in mm.
    int rowNearest(double height) const;

    // The rows of these cells, whole, as tab-separated lines under the
    // table's column titles: what a spreadsheet pastes into as many cells,
    // its numbers without grouping.
    QString rowsAsText(const QModelIndexList& cells) const;

  private:
    Chart chart_;
    OutputConventions conventions_;
};

}  // namespace varnelle
