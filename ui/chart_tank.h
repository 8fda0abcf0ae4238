// The tank of the chart window: the measures that "Calculer" reads, checked by
// the chart library, and the step of the chart; a refusal is one sentence.
#pragma once

#include <QString>
#include <variant>

#include "chart/chart_numbers.h"
#include "chart/tank_description.h"
#include "core/volume.h"

namespace varnelle {

// The description of the tank read from the window's fields, or the French
// sentence that says which measure keeps it from having a chart.
std::variant<TankDescription, QString> chartTankFrom(const TankParameters& fields);

// The step typed or chosen, or the sentence that refuses it: a whole number of
// millimetres, from 1 to the diameter, and not so small that the chart would
// never end.
std::variant<double, QString> chartStepFrom(const QString& text, const TankDescription& description,
                                            const OutputConventions& conventions);

}  // namespace varnelle
