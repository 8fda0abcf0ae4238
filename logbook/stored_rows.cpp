// What the readers of a carnet make of its stored readings.
#include "logbook/carnet_store.h"

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

std::optional<double> heightReadBefore(const std::vector<StoredReading>& stored,
                                       const QDateTime& time) {
    const qint64 at = time.toMSecsSinceEpoch();
    std::optional<double> before;
    for (const StoredReading& each : stored) {
        if (each.reading.time.toMSecsSinceEpoch() > at) {
            break;
        }
        before = each.reading.heightMm;
    }
    return before;
}

}  // namespace varnelle
