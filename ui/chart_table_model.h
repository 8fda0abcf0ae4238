// The lines of a chart as a table: the texts of the chart program in
// Qt::DisplayRole, the unrounded values as doubles in Qt::UserRole.
#pragma once

#include <QAbstractTableModel>
#include <QChar>
#include <QModelIndexList>

#include "chart/tank_chart.h"

namespace varnelle {

class ChartTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ChartTableModel(QObject* parent = nullptr);

    void setChart(Chart chart, QChar decimal);
    const Chart& chart() const { return chart_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row whose height is nearest to `height`, in mm.
    int rowNearest(double height) const;

    // The rows of these cells, whole, as tab-separated lines under the column
    // titles: what a spreadsheet pastes into as many cells.
    QString rowsAsText(const QModelIndexList& cells) const;

  private:
    Chart chart_;
    QChar decimal_ = '.';
};

}  // namespace varnelle
