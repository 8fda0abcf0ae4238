// A carnet's tank: its measures kept as texts under the tank file's keys
// ("diametre", "bords"...), read back into a description, and written from
// the window's fields.
#pragma once

#include <QString>

#include "chart/chart_numbers.h"
#include "chart/tank_description.h"
#include "core/volume.h"
#include "files/refusal.h"
#include "logbook/carnet_store.h"

namespace varnelle {

// The keys of a carnet's tank beside the measures' own (measureKeys).
namespace carnetKeys {

inline constexpr char endShape[] = "bords";
// In place of the length, for a tank whose length cannot be measured.
inline constexpr char nominalCapacity[] = "capacite-nominale";

}  // namespace carnetKeys

// A number as a carnet and a tank file keep it: read back to the same double.
QString storedNumberText(double value);

// The description of a carnet's tank, its length deduced when the carnet
// gives a nominal capacity in its place; refused, naming the key at fault,
// when the values describe no tank.
Outcome<TankDescription> carnetTankDescription(const TankValues& values,
                                               const OutputConventions& numbers);

// The values a carnet keeps for `tank` (the diameter and widths, never a
// perimeter or an arc: the window's fields hold the converted measures).
TankValues carnetValuesOf(const TankParameters& tank);

// Whether two tanks are the same, the oil height aside.
bool sameTank(const TankParameters& a, const TankParameters& b);

}  // namespace varnelle
