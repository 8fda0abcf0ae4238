// A sensor at the top of the tank measures the distance down to the oil;
// how it is mounted decides which distances are readings and what height
// each one means.
#pragma once

#include <QString>

#include "files/refusal.h"

namespace varnelle {

struct SensorMount {
    double blindZone = 0;  // mm: the shortest distance the sensor can measure (--zone-morte)
    double offset = 0;     // mm: its zero above the inside top of the tank (--decalage)
};

// Whether a distance of 0 means the sensor has no reading (radio sensors
// send 0 so), or the oil touching the sensor (a distance typed by hand).
enum class ZeroDistance { NoReading, Reading };

// The oil height that `distance` (mm) gives in a tank of `diameter`, or why
// it gives none (a French clause, quoting the reading as `written`, as the
// refusal's sentence):
// height = diameter - (distance - offset).
Outcome<double> heightAtDistance(double diameter, const SensorMount& mount, double distance,
                                 const QString& written, ZeroDistance zero);

}  // namespace varnelle
