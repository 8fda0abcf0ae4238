#include "cap_conversion.h"

#include <cmath>
#include <limits>

#include "volume.h"

namespace varnelle {

double capArcLength(double R, double w) {
    const double m = 2 * w * w / (R * R + w * w);
    const double halfAngle = Pi / 2 - ASIN(1 - m);
    return halfAngle * (R * R + w * w) / w;
}

double capWidthForArc(double R, double s) {
    // The arc falls towards s from above; each step of excess / Pi stays on the
    // near side of the solution. For a 1000 mm tank the slowest case (s = 2·R)
    // takes about 1,900 steps; the bound leaves room for tanks a thousand times wider.
    constexpr int maxSteps = 1'000'000;
    constexpr double tolerance = 0.001;  // millimetres

    double w = R;
    for (int step = 0; step < maxSteps; ++step) {
        const double excess = capArcLength(R, w) - s;
        if (excess < tolerance) {
            return w;
        }
        if (!std::isfinite(excess)) {
            break;
        }
        w -= excess / Pi;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

}  // namespace varnelle
