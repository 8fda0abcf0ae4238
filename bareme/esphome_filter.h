// The chart as an ESPHome sensor: a copy of the user's ultrasonic sensor,
// which reports the distance down to the oil in metres, turned into litres by
// calibrate_linear with the exact method (one point per chart line) and held
// within the tank by clamp, both of ESPHome 2023.8 and later.
#pragma once

#include <QString>

#include "bareme/sensor_distance.h"
#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

// The id of the distance sensor copied when none is given.
inline constexpr const char* defaultEsphomeSource = "distance_cuve";

// Whether `id` can name an ESPHome component: ASCII letters, digits and
// underscores, not starting with a digit.
bool isEsphomeId(const QString& id);

struct EsphomeSource {
    QString id;         // the distance sensor copied
    SensorMount mount;  // its blind zone and the offset of its zero
};

// A whole sensor, one item of the "sensor:" list, indented to be pasted under
// it: it copies the distance sensor and publishes litres. Distances in the
// sensor's blind zone are dropped, and its offset taken off, before the
// calibration.
QString esphomeSensor(const TankDescription& description, double step, const Chart& chart,
                      const EsphomeSource& source);

}  // namespace varnelle
