// What the readers of a carnet make of its stored readings.
#include "logbook/carnet_store.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace varnelle {

std::vector<Reading> plainReadings(const std::vector<StoredReading>& stored) {
    std::vector<Reading> readings;
    readings.reserve(stored.size());
    for (const StoredReading& each : stored) {
        readings.push_back(each.reading);
    }
    return readings;
}

std::vector<Delivery> plainDeliveries(const std::vector<StoredDelivery>& stored) {
    std::vector<Delivery> deliveries;
    deliveries.reserve(stored.size());
    for (const StoredDelivery& each : stored) {
        deliveries.push_back(each.delivery);
    }
    return deliveries;
}

std::vector<std::pair<double, double>> storedLitres(const std::vector<StoredReading>& stored) {
    std::vector<std::pair<double, double>> litres;
    litres.reserve(stored.size());
    for (const StoredReading& each : stored) {
        if (each.litres) {
            litres.emplace_back(each.reading.heightMm, *each.litres);
        }
    }
    return litres;
}

namespace {

using StoredIterator = std::vector<StoredReading>::const_iterator;

// The first of `stored` (by time) taken at `time` or later, or after it.
StoredIterator firstAt(const std::vector<StoredReading>& stored, const QDateTime& time) {
    const qint64 at = time.toMSecsSinceEpoch();
    return std::lower_bound(stored.begin(), stored.end(), at,
                            [](const StoredReading& each, qint64 ms) {
                                return each.reading.time.toMSecsSinceEpoch() < ms;
                            });
}

StoredIterator firstAfter(const std::vector<StoredReading>& stored, const QDateTime& time) {
    const qint64 at = time.toMSecsSinceEpoch();
    return std::upper_bound(stored.begin(), stored.end(), at,
                            [](qint64 ms, const StoredReading& each) {
                                return ms < each.reading.time.toMSecsSinceEpoch();
                            });
}

}  // namespace

std::optional<double> heightReadBefore(const std::vector<StoredReading>& stored,
                                       const QDateTime& time) {
    const auto after = firstAfter(stored, time);
    if (after == stored.begin()) {
        return std::nullopt;
    }
    return std::prev(after)->reading.heightMm;
}

std::vector<Reading> readingsNearDelivery(const std::vector<StoredReading>& stored,
                                          const QDateTime& time) {
    const auto first = firstAt(stored, time.addSecs(-receiptReadingWindowSeconds));
    const auto last =
        std::max(first, firstAfter(stored, time.addSecs(receiptReadingWindowSeconds)));
    std::vector<Reading> near;
    near.reserve(static_cast<std::size_t>(last - first));
    for (auto each = first; each != last; ++each) {
        near.push_back(each->reading);
    }
    return near;
}

}  // namespace varnelle
