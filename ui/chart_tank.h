// The tank of the chart window: the measures that "Calculer" reads, checked by
// the chart library, and the step of the chart; a refusal is one sentence.
#pragma once

#include <QString>

#include "chart/chart_numbers.h"
#include "chart/tank_description.h"
#include "core/volume.h"
#include "files/refusal.h"

namespace varnelle {

// The description of the tank read from the window's fields, or the French
// sentence that says which measure keeps it from having a chart.
// The subject is the field's name.
Outcome<TankDescription> chartTankFrom(const TankParameters& fields,
                                       const OutputConventions& conventions);

// The step typed or chosen, or the sentence that refuses it: a whole number of
// millimetres, from 1 to the diameter, and not so small that the chart would
// never end.
Outcome<double> chartStepFrom(const QString& text, const TankDescription& description,
                              const OutputConventions& conventions);

}  // namespace varnelle
