// The fields that several answers of the command line share, each named
// once: for the window's five volumes, the oil height and the litres to order.
#pragma once

#include <optional>

#include "chart/report_writer.h"
#include "core/volume.h"

namespace varnelle {

Field oilHeightField(double millimetres);
Field litresToOrderField(double litres);

// The window's five volumes with the oil at `oilHeight`, after the sensor's
// distance when the height came from one.
Record windowVolumesRecord(std::optional<double> sensorDistance, double oilHeight,
                           const VolumeResults& volumes);

}  // namespace varnelle
