// The tank that the window starts with, shared by the tests and benchmarks.
#pragma once

#include "core/volume.h"

namespace varnelle {

// 1000 mm across, 2000 mm long, oil at 300 mm, strainer at 100 mm, ends
// 100 mm deep, truncated cones closing on an 800 mm circle; `thousands` of
// slices per end as "Combo1" gives them.
inline TankParameters startUpTank(EndShape shape, double thousands = 10) {
    TankParameters tank;
    tank.diameter = 1000;
    tank.oilHeight = 300;
    tank.cylinderLength = 2000;
    tank.strainerHeight = 100;
    tank.endWidth = 100;
    tank.endCircleDiameter = 800;
    tank.endShape = shape;
    tank.intervals = thousands * 1000;
    return tank;
}

}  // namespace varnelle
