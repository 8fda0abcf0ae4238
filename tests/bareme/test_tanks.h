// Tanks shared by the tests of the chart program.
#pragma once

#include "core/volume.h"

namespace varnelle {

// The window's start-up measurements with the given ends; no oil height, as
// each question sets its own.
inline TankParameters startUpTank(EndShape shape, double thousands = 10) {
    TankParameters tank;
    tank.diameter = 1000;
    tank.cylinderLength = 2000;
    tank.strainerHeight = 100;
    tank.endWidth = 100;
    tank.endCircleDiameter = 800;
    tank.endShape = shape;
    tank.intervals = thousands * 1000;
    return tank;
}

}  // namespace varnelle
