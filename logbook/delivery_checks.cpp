#include "logbook/delivery_checks.h"

namespace varnelle {

std::optional<QString> capacityRefusal(double receiptLitres, double capacity,
                                       const OutputConventions& numbers) {
    if (!(receiptLitres > 0)) {
        return QString::fromUtf8(deliveryText::nothingDelivered);
    }
    if (receiptLitres > capacity) {
        return QStringLiteral("La livraison dépasse la capacité de la cuve, soit : %1 !")
            .arg(numbers.litresWithUnit(capacity, 0));
    }
    return std::nullopt;
}

std::optional<QString> overfillRefusal(const Delivery& delivery, std::optional<double> heightBefore,
                                       double capacity, const LitresAt& litresAt,
                                       const OutputConventions& numbers) {
    if (!heightBefore || !litresAt) {
        return std::nullopt;
    }
    const double room = capacity - litresAt(*heightBefore);
    if (delivery.receiptLitres <= room * (1 + receiptTolerancePercent / 100)) {
        return std::nullopt;
    }
    return QStringLiteral(
               "La livraison de %1 ne tient pas dans la cuve : avec le mazout à %2, "
               "il reste de la place pour %3.")
        .arg(numbers.litresWithUnit(delivery.receiptLitres, 0), numbers.millimetres(*heightBefore),
             numbers.litresWithUnit(room, 0));
}

}  // namespace varnelle
