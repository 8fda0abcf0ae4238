// The chart as an ESPHome sensor filter: an ultrasonic sensor reports the
// distance down to the oil in metres, and calibrate_linear with the exact
// method turns it into litres, one point per chart line.
#pragma once

#include <QString>

#include "chart/tank_chart.h"
#include "chart/tank_description.h"

namespace varnelle {

// The "filters:" block, indented to be pasted under a sensor of the
// "sensor:" list.
QString esphomeFilter(const TankDescription& description, double step, const Chart& chart);

}  // namespace varnelle
