// Any measurements at all, read from the input as raw doubles so that every bit
// pattern turns up (NaN, infinities, negatives, subnormals, huge values), fed to
// the volume computation and to the cap conversions. Nothing may crash, hang or
// trip a sanitizer; where the measurements describe a real tank, the results must
// make sense, and a broken rule aborts with a message.
//
// Input layout; missing bytes read as zero:
//   byte 0     end shape, modulo 4
//   byte 1     mode bits: FoldIntoTank, AbandonRun, WholeSlices (below)
//   byte 2     progress call that abandons the run
//   10 doubles diameter, oilHeight, cylinderLength, strainerHeight, endWidth,
//              endCircleDiameter, intervals, then R, s and w for the cap conversions
//
// Slices: a finite `intervals` outside [-5, 2000] is folded back into [-5, 2000)
// (fmod of its magnitude by 2005, minus 5), so that one input costs at most a few
// thousand slices; fractions and negative values stay. NaN and -inf pass unchanged
// (no slice runs); +inf passes too, and its run is then always abandoned through
// the progress callback, since nothing else ends it.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/cap_conversion.h"
#include "core/volume.h"

namespace {

using varnelle::EndShape;
using varnelle::Pi;
using varnelle::TankParameters;
using varnelle::VolumeResults;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double maxSlices = 2000;

enum Mode : std::uint8_t {
    FoldIntoTank = 1,  // bend every double into a real tank, so that the checks apply
    AbandonRun = 2,    // throw from the progress callback
    WholeSlices = 4,   // with FoldIntoTank: a whole number of slices
};

struct Case;
const Case* currentCase = nullptr;  // shown when a rule breaks
void describe(const Case& c);

[[noreturn]] void fail(const char* broken) {
    std::fprintf(stderr, "volume_fuzz: %s\n", broken);
    if (currentCase) {
        describe(*currentCase);
    }
    std::abort();
}

void check(bool holds, const char* rule) {
    if (!holds) {
        fail(rule);
    }
}

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() {
        const std::uint8_t value = position_ < size_ ? data_[position_] : 0;
        ++position_;
        return value;
    }

    double number() {
        unsigned char bytes[sizeof(double)] = {};
        for (unsigned char& b : bytes) {
            b = byte();
        }
        double value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

double boundedSlices(double intervals) {
    if (!std::isfinite(intervals) || (intervals >= -5 && intervals <= maxSlices)) {
        return intervals;
    }
    return std::fmod(std::fabs(intervals), maxSlices + 5) - 5;
}

// A fraction in [0, 1], with 0 and 1 themselves common.
double fraction(double x) {
    const double f = std::fmod(std::fabs(x), 1.25);
    return f <= 1 ? f : 1;  // NaN and infinities give 1 as well
}

// A length from 1e-100 to 1e100 mm, spread evenly over the exponents.
double anyLength(double x) {
    return std::pow(10.0, 200 * fraction(x) - 100);
}

// Lengths are squared and multiplied together: within these bounds nothing
// overflows or sinks into subnormals.
bool usableLength(double x) {
    return x >= 1e-100 && x <= 1e100;
}

struct Case {
    TankParameters tank;
    std::uint8_t mode = 0;
    int abandonAfterCalls = 0;
    double R = 0;  // cap conversions
    double s = 0;
    double w = 0;
};

Case decode(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    Case c;
    c.tank.endShape = static_cast<EndShape>(in.byte() % 4);
    c.mode = in.byte();
    c.abandonAfterCalls = in.byte();
    TankParameters& t = c.tank;
    t.diameter = in.number();
    t.oilHeight = in.number();
    t.cylinderLength = in.number();
    t.strainerHeight = in.number();
    t.endWidth = in.number();
    t.endCircleDiameter = in.number();
    t.intervals = boundedSlices(in.number());
    c.R = in.number();
    c.s = in.number();
    c.w = in.number();
    return c;
}

void describe(const Case& c) {
    const TankParameters& t = c.tank;
    std::fprintf(stderr,
                 "  end shape %d, diameter %.17g, oil %.17g, length %.17g, strainer %.17g,\n"
                 "  end width %.17g, end circle %.17g, slices %.17g; R %.17g, s %.17g, w %.17g\n",
                 static_cast<int>(t.endShape), t.diameter, t.oilHeight, t.cylinderLength,
                 t.strainerHeight, t.endWidth, t.endCircleDiameter, t.intervals, c.R, c.s, c.w);
}

void foldIntoTank(Case& c) {
    TankParameters& t = c.tank;
    const double D = anyLength(t.diameter);
    t.diameter = D;
    t.oilHeight = D * fraction(t.oilHeight);
    t.cylinderLength = anyLength(t.cylinderLength);
    t.strainerHeight = D * fraction(t.strainerHeight);
    // Down to 1e-30 of the radius: very shallow ends are where rounding bites.
    t.endWidth = D / 2 * std::pow(10.0, -30 * fraction(t.endWidth));
    t.endCircleDiameter = D * fraction(t.endCircleDiameter);
    const double slices = 1 + (maxSlices - 1) * fraction(t.intervals);
    t.intervals = (c.mode & WholeSlices) ? std::floor(slices) : slices;

    c.R = 5e5 * std::pow(10.0, -100 * fraction(c.R));
    c.s = std::min(c.R * (2 + (Pi - 2) * fraction(c.s)), Pi * c.R);
    c.w = c.R * std::pow(10.0, -3 * fraction(c.w));
}

// --- Cap conversions -------------------------------------------------------

void checkCapConversions(double R, double s, double w) {
    const double width = varnelle::capWidthForArc(R, s);
    check(std::isnan(width) || std::isfinite(width), "capWidthForArc gave an infinity");

    // The window converts an arc between the diameter and half the perimeter.
    // Up to R = 5e5 mm the search settles well within its bound.
    if (usableLength(R) && R <= 5e5 && s >= 2 * R && s <= Pi * R) {
        check(std::isfinite(width), "no cap width for an arc the window lets through");
        check(width > 0 && width <= R, "cap width outside (0, R]");
        const double arc = varnelle::capArcLength(R, width);
        check(arc - s < 0.001, "cap width misses the arc by 0.001 mm or more");
        // The search comes down towards the answer and never steps past it.
        check(arc >= s * (1 - 1e-12), "cap width search stepped past the answer");
    }

    const double arc = varnelle::capArcLength(R, w);
    // Below a thousandth of the radius, 1 - m in the arc formula keeps too few digits.
    if (usableLength(R) && w >= R * 1e-3 && w <= R) {
        check(std::isfinite(arc), "no arc length for a cap of width in (0, R]");
        check(arc >= 2 * R * (1 - 1e-9) && arc <= Pi * R * (1 + 1e-12),
              "cap arc length outside [2R, Pi R]");
    }
}

// --- Volumes ---------------------------------------------------------------

struct Abandoned {};

// Records the progress calls and, when asked, abandons the run.
struct ProgressLog {
    int calls = 0;
    int throwAtCall = -1;  // none
    double last = -inf;
    bool fractionsInOrder = true;

    void operator()(double fraction) {
        ++calls;
        if (!(fraction >= 0 && fraction < 1 && fraction >= last)) {
            fractionsInOrder = false;
        }
        last = fraction;
        if (calls == throwAtCall) {
            throw Abandoned{};
        }
    }
};

// Steps i = 0, 1, 2 ... while i <= N - 1, counted one by one.
double stepCount(double N) {
    double steps = 0;
    const double last = N - 1;
    for (double i = 0; i <= last; ++i) {
        ++steps;
    }
    return steps;
}

bool tankInDomain(const TankParameters& t) {
    const double D = t.diameter;
    const double R = D / 2;
    const double w = t.endWidth;
    if (!usableLength(D) || !(t.cylinderLength == 0 || usableLength(t.cylinderLength))) {
        return false;
    }
    if (!(t.oilHeight >= 0 && t.oilHeight <= D && t.strainerHeight >= 0 && t.strainerHeight <= D)) {
        return false;
    }
    if (!(t.intervals >= 1 && t.intervals <= maxSlices)) {
        return false;
    }
    switch (t.endShape) {
        case EndShape::FlatEnds:
            return true;
        case EndShape::ConicalEnds:
            // A cone that widens outward is a real solid too, but the bounds
            // below hold only for one that narrows.
            return usableLength(w) && t.endCircleDiameter >= 0 && t.endCircleDiameter <= D;
        case EndShape::SphericalCapEnds:
            // The window warns about a cap deeper than the radius.
            return usableLength(w) && w <= R;
        case EndShape::QuarterRoundEnds:
            return usableLength(w) && w <= R;
    }
    return false;
}

// Volume of one end as a solid, in mm³, and its radius at the outer face.
struct EndSolid {
    double volume;
    double outerRadius;
};

EndSolid endSolid(const TankParameters& t) {
    const double R = t.diameter / 2;
    const double w = t.endWidth;
    switch (t.endShape) {
        case EndShape::ConicalEnds: {
            const double r = t.endCircleDiameter / 2;
            return {Pi * w * (R * R + R * r + r * r) / 3, r};
        }
        case EndShape::SphericalCapEnds: {
            const double sphere = (R * R + w * w) / (2 * w);
            return {Pi * w * w * (3 * sphere - w) / 3, 0};
        }
        case EndShape::QuarterRoundEnds: {
            const double r = R - w;
            return {Pi * (r * r * w + Pi * r * w * w / 2 + 2 * w * w * w / 3), r};
        }
        case EndShape::FlatEnds:
            break;
    }
    return {0, R};
}

void checkVolumes(const TankParameters& t, const VolumeResults& v) {
    const double R = t.diameter / 2;
    const double N = t.intervals;
    const double fullCylinder = Pi * R * R * t.cylinderLength / 1e6;
    const double fullEnds = varnelle::endsVolumeAt(t, t.diameter);

    const double results[] = {v.cylinderVolume,      v.endsVolume,      v.totalVolume,
                              v.belowStrainerVolume, v.availableVolume, fullEnds};
    double scale = fullCylinder;
    for (double r : results) {
        check(std::isfinite(r), "a volume of a real tank is not finite");
        scale = std::max(scale, std::fabs(r));
    }
    // Rounding slack. Near the bottom or the top of a circle the arcsine through
    // the arctangent keeps only half the digits (1 - x*x cancels), so a segment
    // may be off by about 1e-8 of its radius squared, a hair below zero included.
    const double slack = 1e-8 * scale + 1e-290;

    check(v.totalVolume == v.cylinderVolume + v.endsVolume, "total is not cylinder plus ends");
    check(std::fabs(v.availableVolume - (v.totalVolume - v.belowStrainerVolume)) <= slack,
          "available is not total minus below the strainer");
    check(v.cylinderVolume >= -slack && v.endsVolume >= -slack && v.totalVolume >= -slack &&
              v.belowStrainerVolume >= -slack,
          "negative volume in a real tank");
    check(v.cylinderVolume <= fullCylinder + slack, "cylinder holds more than when full");
    check(v.endsVolume <= fullEnds + slack, "ends hold more than when full");
    // Volumes grow with the level: the oil above the strainer is no less than
    // nothing when the oil stands higher, and no more than nothing when lower.
    if (t.oilHeight >= t.strainerHeight) {
        check(v.availableVolume >= -slack, "less oil at a higher level");
    } else {
        check(v.availableVolume <= slack, "more oil at a lower level");
    }

    if (t.endShape == EndShape::FlatEnds) {
        check(v.endsVolume == 0 && fullEnds == 0, "flat ends hold oil");
        return;
    }
    // Each slice takes the radius at its inner side, the largest over a slice of
    // an end that narrows outward: a full end never holds less than the solid
    // (unless a fractional last slice is left out), and no more than one slice's
    // worth of difference between the inner and outer circles above it.
    const EndSolid solid = endSolid(t);
    const double exact = 2 * solid.volume / 1e6;
    const double sliceWidth = t.endWidth / N;
    const double R2 = R * R;
    const double excessBound =
        2 * sliceWidth * Pi * (R2 - solid.outerRadius * solid.outerRadius) / 1e6;
    check(fullEnds <= (exact + excessBound) * (1 + 1e-9) + slack,
          "full ends exceed the solid by more than one slice");
    if (N == std::floor(N)) {
        check(fullEnds >= exact * (1 - 1e-9) - slack, "full ends hold less than the solid");
    }
}

void checkRun(const Case& c) {
    const TankParameters& t = c.tank;
    const bool endless = t.intervals == inf;  // only an abandoning callback ends it
    ProgressLog progress;
    if ((c.mode & AbandonRun) || endless) {
        progress.throwAtCall = c.abandonAfterCalls + 1;
    }
    VolumeResults v;
    try {
        v = varnelle::computeVolumes(t, [&progress](double f) { progress(f); });
    } catch (const Abandoned&) {
        return;  // the caller gets the callback's exception: that is all it needs
    }
    check(progress.throwAtCall < 0 || progress.calls < progress.throwAtCall,
          "abandoning throw was swallowed");
    check(progress.fractionsInOrder, "progress outside [0, 1) or going back");
    if (!endless) {
        const double steps = stepCount(t.intervals);
        check(progress.calls == std::ceil(steps / 10), "not one progress call per ten slices");
    }
    if (tankInDomain(t)) {
        checkVolumes(t, v);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Case c = decode(data, size);
    if (c.mode & FoldIntoTank) {
        foldIntoTank(c);
    }
    currentCase = &c;
    checkRun(c);
    checkCapConversions(c.R, c.s, c.w);
    currentCase = nullptr;
    return 0;
}
