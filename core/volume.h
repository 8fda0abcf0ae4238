// Volume of oil in a horizontal cylindrical tank with shaped ends.
//
// The cylindrical part is computed in closed form from the area of a circular
// segment; each end is integrated over thin slices across the tank axis, with a
// left-endpoint sum that gives an upper bound of the end volume.
#pragma once

#include <cmath>
#include <functional>

namespace varnelle {

// Index of the selected end-shape button.
enum class EndShape { FlatEnds = 0, ConicalEnds = 1, SphericalCapEnds = 2, QuarterRoundEnds = 3 };

// The four shapes, in the order the window offers them.
inline constexpr EndShape allEndShapes[] = {EndShape::FlatEnds, EndShape::ConicalEnds,
                                            EndShape::SphericalCapEnds, EndShape::QuarterRoundEnds};

// The measurements of a tank, in millimetres.
struct TankParameters {
    double diameter = 0;           // inner diameter of the cylinder
    double oilHeight = 0;          // oil surface above the lowest point of the tank
    double cylinderLength = 0;     // length of the cylindrical part, ends excluded
    double strainerHeight = 0;     // suction strainer above the lowest point
    double endWidth = 0;           // axial depth of each end
    double endCircleDiameter = 0;  // outer face of a truncated-cone end
    EndShape endShape = EndShape::FlatEnds;
    double intervals = 0;  // slices per end; need not be a whole number
};

// The five volumes, in litres, unrounded.
struct VolumeResults {
    double cylinderVolume = 0;
    double endsVolume = 0;
    double totalVolume = 0;
    double belowStrainerVolume = 0;
    double availableVolume = 0;
};

// Receives the fraction done, between 0 and 1.
using ProgressCallback = std::function<void(double)>;

// 4·atan(1), spelled out so that it folds into constant expressions.
inline constexpr double Pi = 3.141592653589793238462643383279502884;

// Arcsine through the arctangent, for -1 <= x <= 1; NaN outside.
// The two ends are exact so that the root of 0 is never divided by.
inline double ASIN(double x) {
    constexpr double quarterPi = Pi / 4;  // equals atan(1) to the last bit
    if (x == 1) {
        return quarterPi + quarterPi;
    }
    if (x == -1) {
        return quarterPi * -2;
    }
    return std::atan(x / std::sqrt(1 - x * x));
}

// Area in mm² of the part of a circle of the given radius that lies below a
// horizontal line at `level` above the circle's lowest point.
inline double segmentArea(double radius, double level) {
    const double u = level / radius;
    const double c = 1 - u;
    return radius * radius * ((Pi / 2 - ASIN(c)) - c * std::sqrt(u * (2 - u)));
}

// Radius of an end's cross-section at slice `step` (of `intervals`).
double sliceRadius(const TankParameters& tank, double step);

// Litres of oil held by both ends when the oil surface is at `level`.
// `progress` is called with step / intervals after every tenth slice is added
// (steps 0, 10, 20 ...); it may throw to abandon the computation.
double endsVolumeAt(const TankParameters& tank, double level,
                    const ProgressCallback& progress = {});

// The five volumes. Only the first end integral (at the oil height) reports progress.
VolumeResults computeVolumes(const TankParameters& tank, const ProgressCallback& progress = {});

// The five volumes from the two end integrals, endsVolumeAt() at the oil height
// and at the strainer height: what computeVolumes() returns, for a caller that
// runs the two integrals itself (to keep a window live during the second one).
VolumeResults volumesFromEnds(const TankParameters& tank, double endsAtOil, double endsAtStrainer);

}  // namespace varnelle
