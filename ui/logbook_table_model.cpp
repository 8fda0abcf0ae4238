#include "logbook_table_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "logbook/carnet_time.h"
#include "logbook/journal_order.h"

namespace varnelle {
namespace {

JournalRow readingRow(const StoredReading& stored, const LitresAt& litresAt) {
    const bool sensor = stored.reading.source == Reading::Source::Sensor;
    return {sensor ? JournalRow::Kind::Sensor : JournalRow::Kind::Dipstick,
            stored.reading.time,
            stored.reading.heightMm,
            readingLitres(stored, litresAt),
            std::nullopt,
            std::nullopt,
            stored.id};
}

JournalRow deliveryRow(const StoredDelivery& stored) {
    const Delivery& delivery = stored.delivery;
    return {JournalRow::Kind::Delivery,
            delivery.time,
            std::nullopt,
            delivery.receiptLitres,
            std::nullopt,
            delivery.pricePerLitre,
            stored.id};
}

}  // namespace

std::vector<JournalRow> journalRows(const std::vector<StoredReading>& readings,
                                    const std::vector<StoredDelivery>& deliveries,
                                    const LitresAt& litresAt) {
    std::vector<JournalRow> rows;
    rows.reserve(readings.size() + deliveries.size());
    for (const StoredReading& stored : readings) {
        rows.push_back(readingRow(stored, litresAt));
    }
    for (const StoredDelivery& stored : deliveries) {
        rows.push_back(deliveryRow(stored));
    }
    orderJournal(rows,
                 [](const JournalRow& row) { return row.kind == JournalRow::Kind::Delivery; });
    std::reverse(rows.begin(), rows.end());
    return rows;
}

QString journalKindText(JournalRow::Kind kind) {
    switch (kind) {
        case JournalRow::Kind::Sensor:
            return QString::fromUtf8(journalKind::sensor);
        case JournalRow::Kind::Delivery:
            return QString::fromUtf8(journalKind::delivery);
        default:
            return QString::fromUtf8(journalKind::dipstick);
    }
}

LogbookTableModel::LogbookTableModel(OutputConventions numbers, QObject* parent)
    : QAbstractTableModel(parent), numbers_(std::move(numbers)) {}

void LogbookTableModel::setRows(std::vector<JournalRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

const JournalRow* LogbookTableModel::journalRow(int row) const {
    return row >= 0 && row < rowCount() ? &rows_[static_cast<std::size_t>(row)] : nullptr;
}

int LogbookTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogbookTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : PriceColumn + 1;
}

QString LogbookTableModel::cellText(const JournalRow& row, int column) const {
    switch (column) {
        case DateColumn:
            return frenchTimeText(row.time);
        case KindColumn:
            return journalKindText(row.kind);
        case HeightColumn:
            return row.heightMm ? numbers_.number(*row.heightMm, 0, 1) : QString();
        case LitresColumn:
            return std::isfinite(row.litres) ? numbers_.number(row.litres, 0, 0) : QString();
        case PerDayColumn:
            return row.litresPerDay ? numbers_.number(*row.litresPerDay, 1, 1) : QString();
        case PriceColumn:
            return row.pricePerLitre ? numbers_.number(*row.pricePerLitre, 3, 3) : QString();
        default:
            return QString();
    }
}

QVariant LogbookTableModel::data(const QModelIndex& index, int role) const {
    const JournalRow* row = journalRow(index.row());
    if (!row) {
        return QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return cellText(*row, index.column());
    }
    if (role == Qt::TextAlignmentRole && index.column() >= HeightColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant LogbookTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const titles[] = {"Date",   "Nature",          "Hauteur (mm)",
                                         "Litres", "Litres par jour", "Prix du litre (€)"};
    return section >= 0 && section <= PriceColumn ? QString::fromUtf8(titles[section]) : QVariant();
}

}  // namespace varnelle
