// The constants of one end of a tank for its slice integral, shared by the
// slice loops of the end integrals.
#pragma once

#include <cmath>
#include <cstdint>

#include "volume.h"

namespace varnelle {

// The constants of one end, worked out once per integral so that the slice
// loop only evaluates what changes from slice to slice.
struct EndGeometry {
    EndShape shape;
    double R;             // radius of the cylinder
    double w;             // axial depth of the end (0 for flat ends)
    double N;             // slices
    double r = 0;         // outer radius of cone and quarter-round ends
    double Rs = 0;        // sphere radius of a cap
    double coneDrop;      // R - r
    double twoRsW;        // 2·Rs·w
    double wSquared;      // w·w
    double roundSquared;  // (R - r)²
    double NSquared;      // N·N

    EndGeometry(const TankParameters& tank)
        : shape(tank.endShape),
          R(tank.diameter / 2),
          w(tank.endShape == EndShape::FlatEnds ? 0.0 : tank.endWidth),
          N(tank.intervals) {
        switch (shape) {
            case EndShape::SphericalCapEnds:
                Rs = (R * R + w * w) / (2 * w);
                break;
            case EndShape::QuarterRoundEnds:
                r = R - w;
                break;
            case EndShape::ConicalEnds:
                r = tank.endCircleDiameter / 2;
                break;
            case EndShape::FlatEnds:
                break;
        }
        coneDrop = R - r;
        twoRsW = 2 * Rs * w;
        wSquared = w * w;
        roundSquared = (R - r) * (R - r);
        NSquared = N * N;
    }

    double coneRadius(double i) const { return R - (i * coneDrop) / N; }

    double capRadius(double i) const {
        const double x = 1 - i / N;
        return std::sqrt(twoRsW * x - wSquared * x * x);
    }

    // When the rounding radius is far below R, R - r may come out a hair short
    // of w and the root's argument a hair below zero near the outer face; the
    // radius there is r, not NaN.
    double roundRadius(double i) const {
        const double square = roundSquared - (wSquared * i * i) / NSquared;
        return r + std::sqrt(square < 0 ? 0 : square);
    }

    double radius(double i) const {
        switch (shape) {
            case EndShape::ConicalEnds:
                return coneRadius(i);
            case EndShape::SphericalCapEnds:
                return capRadius(i);
            case EndShape::QuarterRoundEnds:
                return roundRadius(i);
            case EndShape::FlatEnds:
                break;
        }
        return R;
    }

    // Number of steps of "for i = 0 while i <= N - 1": none when N < 1 or N is
    // not a number. The count is capped far beyond any run that could finish.
    std::int64_t steps() const {
        const double last = N - 1;
        if (!(last >= 0)) {
            return 0;
        }
        constexpr double cap = 4.0e18;
        return last >= cap ? static_cast<std::int64_t>(cap) : static_cast<std::int64_t>(last) + 1;
    }
};

}  // namespace varnelle
