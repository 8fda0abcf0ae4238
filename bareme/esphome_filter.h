// The chart as an ESPHome sensor: a copy of the user's ultrasonic sensor,
// which reports the distance down to the oil in metres, turned into litres by
// calibrate_linear with the exact method (one point per chart line) and held
// within the tank by clamp, both of ESPHome 2023.8 and later.
#pragma once

#include <QString>

#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

// The id of the distance sensor copied when none is given.
inline constexpr const char* defaultEsphomeSource = "distance_cuve";

// Whether `id` can name an ESPHome component: ASCII letters, digits and
// underscores, not starting with a digit.
bool isEsphomeId(const QString& id);

// A whole sensor, one item of the "sensor:" list, indented to be pasted under
// it: it copies the sensor `sourceId` and publishes litres.
QString esphomeSensor(const TankDescription& description, double step, const Chart& chart,
                      const QString& sourceId);

}  // namespace varnelle
