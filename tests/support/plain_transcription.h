// A plain line-by-line transcription of the volume computation, with pow(x,
// 0.5) and a floating-point step counter: the yardstick that the fast loop of
// the core is checked and timed against.
#pragma once

#include <algorithm>
#include <cmath>

#include "core/volume.h"

namespace varnelle {

inline double plainAsin(double x) {
    if (x == 1) {
        return std::atan(1.0) + std::atan(1.0);
    }
    if (x == -1) {
        return std::atan(1.0) * -2;
    }
    return std::atan(x / std::pow(1 - x * x, 0.5));
}

inline double plainSegment(double rho, double y) {
    const double pi = 4 * std::atan(1.0);
    const double u = y / rho;
    return rho * rho * ((pi / 2 - plainAsin(1 - u)) - (1 - u) * std::pow(u * (2 - u), 0.5));
}

// Litres in both ends with the oil at `level`. With `withProgress`, adds the
// fraction done to `sink` every tenth slice, as a progress call would see it.
inline double plainEnds(const TankParameters& t, double level, bool withProgress, double& sink) {
    const double R = t.diameter / 2;
    const double N = t.intervals;
    double w = t.endWidth, r = 0, Rs = 0;
    switch (t.endShape) {
        case EndShape::SphericalCapEnds:
            Rs = (R * R + w * w) / (2 * w);
            break;
        case EndShape::QuarterRoundEnds:
            r = R - w;
            break;
        case EndShape::ConicalEnds:
            r = t.endCircleDiameter / 2;
            break;
        case EndShape::FlatEnds:
            w = 0;
            break;
    }
    double S = 0;
    const double last = N - 1;
    for (double i = 0; i <= last; i += 1) {
        double rho = R;
        switch (t.endShape) {
            case EndShape::ConicalEnds:
                rho = R - (i * (R - r)) / N;
                break;
            case EndShape::SphericalCapEnds:
                rho = std::pow(2 * Rs * w * (1 - i / N) - w * w * (1 - i / N) * (1 - i / N), 0.5);
                break;
            case EndShape::QuarterRoundEnds:
                rho = r + std::pow((R - r) * (R - r) - (w * w * i * i) / (N * N), 0.5);
                break;
            case EndShape::FlatEnds:
                break;
        }
        double y = level - (R - rho);
        if (!(y >= 0)) {
            y = 0;
        }
        if (y > 2 * rho) {
            y = 2 * rho;
        }
        S += plainSegment(rho, y);
        if (withProgress && std::fmod(i, 10) == 0) {
            sink += i / N;
        }
    }
    return 2 * S * w / (1'000'000 * N);
}

inline VolumeResults plainVolumes(const TankParameters& t, double& sink) {
    const double R = t.diameter / 2;
    VolumeResults v;
    v.cylinderVolume = plainSegment(R, t.oilHeight) * t.cylinderLength / 1'000'000;
    v.endsVolume = plainEnds(t, t.oilHeight, true, sink);
    const double cylS = plainSegment(R, t.strainerHeight) * t.cylinderLength / 1'000'000;
    const double endsS = plainEnds(t, t.strainerHeight, false, sink);
    v.belowStrainerVolume = cylS + endsS;
    v.totalVolume = v.cylinderVolume + v.endsVolume;
    v.availableVolume = (v.totalVolume - cylS) - endsS;
    return v;
}

// The fast loop adds the same slices in the same order, but its roots and
// vector arctangents round differently (by about 2e-16 of a volume, measured
// on every path): the volumes agree to this share.
inline constexpr double plainAgreement = 1e-12;

inline bool agreesWithPlain(double fast, double plain) {
    return fast == plain || std::abs(fast - plain) <= plainAgreement * std::abs(plain);
}

}  // namespace varnelle
