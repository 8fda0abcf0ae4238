#include "volume.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "end_geometry.h"
#include "slice_areas_avx2.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace varnelle {
namespace {

constexpr double cubicMillimetresPerLitre = 1'000'000;

// The segment area of one slice of radius rho, centred on the tank axis, is
// rho²·((Pi/2 − ASIN(c)) − c·√(u·(2 − u))) with u = y / rho and c = 1 − u.
// The slices of a block are evaluated in two passes so that the arctangents,
// the costly part, can be taken two or four at a time by the vector math library.
struct SliceTerms {
    double rhoSquared;
    double c;
    double root;         // √(u·(2 − u)), which is also √(1 − c²)
    double arcsine = 0;  // ASIN(c)
};

inline SliceTerms sliceTerms(double R, double rho, double level) {
    double y = level - (R - rho);
    if (!(y >= 0)) {  // also catches a level that is not a number
        y = 0;
    }
    if (y > 2 * rho) {
        y = 2 * rho;
    }
    const double u = y / rho;
    const double c = 1 - u;
    return {rho * rho, c, std::sqrt(u * (2 - u))};
}

// An empty or a full slice: its arcsine is settled by sliceArea() without an
// arctangent, which a chart, with many such slices, is spared.
inline bool isSettled(const SliceTerms& t) {
    return t.c == 1 || t.c == -1;
}

// The argument whose arctangent is ASIN(c); the exact ends are settled later.
inline double arctangentArgument(const SliceTerms& t) {
    return t.c / t.root;
}

inline double sliceArea(const SliceTerms& t) {
    double arcsine = t.arcsine;
    if (t.c == 1) {
        arcsine = Pi / 2;
    } else if (t.c == -1) {
        arcsine = -Pi / 2;
    }
    return t.rhoSquared * ((Pi / 2 - arcsine) - t.c * t.root);
}

// Slices are evaluated a block at a time: the terms of every slice of the
// block, then their arctangents together, then the areas added in step order.
// The size is a whole number of progress periods and of vector lanes.
constexpr std::int64_t progressPeriod = 10;
constexpr std::size_t blockSize = 20;
using Block = std::array<SliceTerms, blockSize>;
using Areas = std::array<double, blockSize>;

#if VARNELLE_HAVE_MVEC
// glibc's vector arctangents, two and four lanes; the names are glibc's,
// reserved as they are.
extern "C" __m128d _ZGVbN2v_atan(__m128d);  // NOLINT(bugprone-reserved-identifier)
extern "C"
    [[gnu::target("avx2")]] __m256d _ZGVdN4v_atan(__m256d);  // NOLINT(bugprone-reserved-identifier)

void arctangentsTwoAtATime(Block& terms, std::size_t count) {
    std::size_t k = 0;
    for (; k + 1 < count; k += 2) {
        if (isSettled(terms[k]) && isSettled(terms[k + 1])) {
            continue;
        }
        const __m128d arguments =
            _mm_set_pd(arctangentArgument(terms[k + 1]), arctangentArgument(terms[k]));
        alignas(16) double results[2];
        _mm_store_pd(results, _ZGVbN2v_atan(arguments));
        terms[k].arcsine = results[0];
        terms[k + 1].arcsine = results[1];
    }
    for (; k < count; ++k) {
        terms[k].arcsine = std::atan(arctangentArgument(terms[k]));
    }
}

#else
void arctangentsTwoAtATime(Block& terms, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        terms[k].arcsine = std::atan(arctangentArgument(terms[k]));
    }
}
#endif

#if defined(__x86_64__) || defined(__i386__)
// A progress callback that draws a window may come back with the upper halves
// of the vector registers in use (the toolkit paints with AVX code). Until they
// are cleared, each SSE-encoded instruction of the loop pays a transition
// penalty on processors with AVX, which made a run in the window cost three
// times its computation.
[[gnu::target("avx")]] void clearUpperVectorHalves() {
    _mm256_zeroupper();
}

bool hasUpperVectorHalves() {
    return __builtin_cpu_supports("avx");
}
#else
void clearUpperVectorHalves() {}
bool hasUpperVectorHalves() {
    return false;
}
#endif

// Sums the slice areas in step order, a block at a time; the progress call,
// when there is one, follows the slices 0, 10, 20 ...
template <typename BlockAreas>
double sumSlicesWith(const EndGeometry& g, const ProgressCallback& progress,
                     BlockAreas blockAreas) {
    const std::int64_t steps = g.steps();
    const bool clearAfterProgress = progress && hasUpperVectorHalves();
    Areas areas{};
    double sum = 0;
    for (std::int64_t first = 0; first < steps; first += blockSize) {
        const auto count =
            static_cast<std::size_t>(std::min(static_cast<std::int64_t>(blockSize), steps - first));
        blockAreas(first, count, areas);
        for (std::size_t k = 0; k < count; ++k) {
            sum += areas[k];
            if (k % progressPeriod == 0 && progress) {
                progress(static_cast<double>(first + static_cast<std::int64_t>(k)) / g.N);
                if (clearAfterProgress) {
                    clearUpperVectorHalves();
                }
            }
        }
    }
    return sum;
}

template <typename Radius>
double sumSlicesTwoAtATime(const EndGeometry& g, double level, const ProgressCallback& progress,
                           Radius radius) {
    Block terms{};
    const auto blockAreas = [&](std::int64_t first, std::size_t count, Areas& areas) {
        for (std::size_t k = 0; k < count; ++k) {
            terms[k] = sliceTerms(g.R, radius(static_cast<double>(first + k)), level);
        }
        arctangentsTwoAtATime(terms, count);
        for (std::size_t k = 0; k < count; ++k) {
            areas[k] = sliceArea(terms[k]);
        }
    };
    return sumSlicesWith(g, progress, blockAreas);
}

// Flat ends: every slice is the same circle of radius R, so one area serves
// them all; the loop remains only for its progress calls.
double flatEndSum(const EndGeometry& g, double level, const ProgressCallback& progress) {
    const std::int64_t steps = g.steps();
    SliceTerms terms = sliceTerms(g.R, g.R, level);
    terms.arcsine = std::atan(arctangentArgument(terms));
    const double area = sliceArea(terms);
    if (progress) {
        for (std::int64_t i = 0; i < steps; i += 10) {
            progress(static_cast<double>(i) / g.N);
        }
    }
    return static_cast<double>(steps) * area;
}

double endSum(const EndGeometry& g, double level, const ProgressCallback& progress) {
    if (g.shape == EndShape::FlatEnds) {
        return flatEndSum(g, level, progress);
    }
#if VARNELLE_HAVE_MVEC
    if (__builtin_cpu_supports("avx2")) {
        return sumSlicesWith(g, progress, [&](std::int64_t first, std::size_t count, Areas& areas) {
            sliceAreasFourAtATime(g, level, first, count, areas.data());
        });
    }
#endif
    switch (g.shape) {
        case EndShape::ConicalEnds:
            return sumSlicesTwoAtATime(g, level, progress,
                                       [&g](double i) { return g.coneRadius(i); });
        case EndShape::SphericalCapEnds:
            return sumSlicesTwoAtATime(g, level, progress,
                                       [&g](double i) { return g.capRadius(i); });
        case EndShape::QuarterRoundEnds:
            return sumSlicesTwoAtATime(g, level, progress,
                                       [&g](double i) { return g.roundRadius(i); });
        case EndShape::FlatEnds:
            break;
    }
    return 0;
}

double cylinderVolumeAt(const TankParameters& tank, double level) {
    return segmentArea(tank.diameter / 2, level) * tank.cylinderLength / cubicMillimetresPerLitre;
}

}  // namespace

double sliceRadius(const TankParameters& tank, double step) {
    return EndGeometry(tank).radius(step);
}

double endsVolumeAt(const TankParameters& tank, double level, const ProgressCallback& progress) {
    const EndGeometry g(tank);
    const double sum = endSum(g, level, progress);
    return 2 * sum * g.w / (cubicMillimetresPerLitre * g.N);
}

VolumeResults computeVolumes(const TankParameters& tank, const ProgressCallback& progress) {
    const double endsAtOil = endsVolumeAt(tank, tank.oilHeight, progress);
    return volumesFromEnds(tank, endsAtOil, endsVolumeAt(tank, tank.strainerHeight));
}

VolumeResults volumesFromEnds(const TankParameters& tank, double endsAtOil, double endsAtStrainer) {
    const double cylinder = cylinderVolumeAt(tank, tank.oilHeight);
    const double cylinderBelowStrainer = cylinderVolumeAt(tank, tank.strainerHeight);

    VolumeResults results;
    results.cylinderVolume = cylinder;
    results.endsVolume = endsAtOil;
    results.belowStrainerVolume = cylinderBelowStrainer + endsAtStrainer;
    results.totalVolume = cylinder + endsAtOil;
    results.availableVolume = (results.totalVolume - cylinderBelowStrainer) - endsAtStrainer;
    return results;
}

}  // namespace varnelle
