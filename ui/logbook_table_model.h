// The carnet's journal as the window's table shows it: the readings and the
// deliveries, newest first, with each reading's litres and the litres used
// per day since the reading before it.
#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <optional>
#include <vector>

#include "chart/chart_numbers.h"
#include "logbook/carnet_store.h"
#include "logbook/consumption.h"

namespace varnelle {

// One line of the journal.
struct JournalRow {
    enum class Kind { Dipstick, Sensor, Delivery };
    Kind kind = Kind::Dipstick;
    QDateTime time;
    std::optional<double> heightMm;  // a reading's; none for a delivery
    double litres = 0;               // a reading's litres, or the receipt's
    // Since the reading before; none across a delivery (recorded, or a rise
    // the play of the readings does not explain).
    std::optional<double> litresPerDay;
    std::optional<double> pricePerLitre;
    qint64 id = 0;  // the row in the carnet's readings or deliveries
};

// The journal's lines, newest first. A reading taken at the time of a
// delivery is the oil after it.
std::vector<JournalRow> journalRows(const std::vector<StoredReading>& readings,
                                    const std::vector<StoredDelivery>& deliveries,
                                    const LitresAt& litresAt);

class LogbookTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { DateColumn, KindColumn, HeightColumn, LitresColumn, PerDayColumn, PriceColumn };

    LogbookTableModel(OutputConventions numbers, QObject* parent);

    void setRows(std::vector<JournalRow> rows);
    const JournalRow* journalRow(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QString cellText(const JournalRow& row, int column) const;

    OutputConventions numbers_;
    std::vector<JournalRow> rows_;
};

// "relevé (jauge)", "relevé (capteur)", "livraison".
QString journalKindText(JournalRow::Kind kind);

}  // namespace varnelle
