// What a delivery cannot be, said in the same words wherever it is typed: on
// the command line and in the carnet window's dialog.
#pragma once

#include <QString>
#include <optional>

#include "chart/chart_numbers.h"
#include "logbook/consumption.h"

namespace varnelle {

namespace deliveryText {
inline constexpr char nothingDelivered[] = "Une livraison apporte plus de 0 litre.";
inline constexpr char afterBelowBefore[] = "La hauteur après la livraison est plus basse qu'avant.";
}  // namespace deliveryText

// Why `receiptLitres` cannot have been delivered into a tank of `capacity`
// litres, or nothing.
std::optional<QString> capacityRefusal(double receiptLitres, double capacity,
                                       const OutputConventions& numbers);

// A delivery larger than the room above the oil before it (`heightBefore`,
// mm) cannot have been received; the play between the receipt and the chart
// is allowed for. Nothing when no height before is known.
std::optional<QString> overfillRefusal(const Delivery& delivery, std::optional<double> heightBefore,
                                       double capacity, const LitresAt& litresAt,
                                       const OutputConventions& numbers);

}  // namespace varnelle
