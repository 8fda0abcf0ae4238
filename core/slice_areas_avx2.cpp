#include "slice_areas_avx2.h"

#if VARNELLE_HAVE_MVEC
#include <immintrin.h>

// glibc's four-lane arctangent; the name is glibc's, reserved as it is.
extern "C" [[gnu::target("avx2")]] __m256d _ZGVdN4v_atan(__m256d);  // NOLINT

namespace varnelle {
namespace {

// Each operation below is the one of the scalar loop, in the same order and
// without fused multiply-adds, so that every lane gives the scalar bits (the
// arctangent aside, which may differ from the two-lane one in the last bit).

[[gnu::target("avx2")]] __m256d where(__m256d condition, __m256d then, __m256d otherwise) {
    return _mm256_blendv_pd(otherwise, then, condition);
}

[[gnu::target("avx2")]] __m256d radii(const EndGeometry& g, __m256d i) {
    const __m256d zero = _mm256_setzero_pd();
    switch (g.shape) {
        case EndShape::ConicalEnds:
            return _mm256_sub_pd(
                _mm256_set1_pd(g.R),
                _mm256_div_pd(_mm256_mul_pd(i, _mm256_set1_pd(g.coneDrop)), _mm256_set1_pd(g.N)));
        case EndShape::SphericalCapEnds: {
            const __m256d x =
                _mm256_sub_pd(_mm256_set1_pd(1), _mm256_div_pd(i, _mm256_set1_pd(g.N)));
            const __m256d outer = _mm256_mul_pd(_mm256_set1_pd(g.twoRsW), x);
            const __m256d inner = _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(g.wSquared), x), x);
            return _mm256_sqrt_pd(_mm256_sub_pd(outer, inner));
        }
        case EndShape::QuarterRoundEnds: {
            const __m256d fall =
                _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(g.wSquared), i), i),
                              _mm256_set1_pd(g.NSquared));
            __m256d square = _mm256_sub_pd(_mm256_set1_pd(g.roundSquared), fall);
            square = where(_mm256_cmp_pd(square, zero, _CMP_LT_OQ), zero, square);
            return _mm256_add_pd(_mm256_set1_pd(g.r), _mm256_sqrt_pd(square));
        }
        case EndShape::FlatEnds:
            break;
    }
    return _mm256_set1_pd(g.R);
}

[[gnu::target("avx2")]] __m256d areasAt(const EndGeometry& g, double level, __m256d rho) {
    const __m256d zero = _mm256_setzero_pd();
    const __m256d one = _mm256_set1_pd(1);
    const __m256d halfPi = _mm256_set1_pd(Pi / 2);
    __m256d y = _mm256_sub_pd(_mm256_set1_pd(level), _mm256_sub_pd(_mm256_set1_pd(g.R), rho));
    y = where(_mm256_cmp_pd(y, zero, _CMP_GE_OQ), y, zero);  // also empties a level that is NaN
    const __m256d diameter = _mm256_mul_pd(_mm256_set1_pd(2), rho);
    y = where(_mm256_cmp_pd(y, diameter, _CMP_GT_OQ), diameter, y);
    const __m256d u = _mm256_div_pd(y, rho);
    const __m256d c = _mm256_sub_pd(one, u);
    const __m256d root = _mm256_sqrt_pd(_mm256_mul_pd(u, _mm256_sub_pd(_mm256_set1_pd(2), u)));
    const __m256d empty = _mm256_cmp_pd(c, one, _CMP_EQ_OQ);
    const __m256d full = _mm256_cmp_pd(c, _mm256_set1_pd(-1), _CMP_EQ_OQ);
    // Slices that the oil leaves empty or fills need no arctangent: a chart
    // has many of them, away from the middle of the tank.
    const bool allSettled = _mm256_movemask_pd(_mm256_or_pd(empty, full)) == 0xF;
    __m256d arcsine = allSettled ? zero : _ZGVdN4v_atan(_mm256_div_pd(c, root));
    arcsine = where(empty, halfPi, arcsine);
    arcsine = where(full, _mm256_set1_pd(-Pi / 2), arcsine);
    const __m256d chord = _mm256_mul_pd(c, root);
    return _mm256_mul_pd(_mm256_mul_pd(rho, rho),
                         _mm256_sub_pd(_mm256_sub_pd(halfPi, arcsine), chord));
}

}  // namespace

[[gnu::target("avx2")]] void sliceAreasFourAtATime(const EndGeometry& g, double level,
                                                   std::int64_t first, std::size_t count,
                                                   double* areas) {
    const __m256d lanes = _mm256_set_pd(3, 2, 1, 0);
    for (std::size_t k = 0; k < count; k += 4) {
        const auto step = static_cast<double>(first + static_cast<std::int64_t>(k));
        const __m256d i = _mm256_add_pd(_mm256_set1_pd(step), lanes);
        _mm256_storeu_pd(areas + k, areasAt(g, level, radii(g, i)));
    }
}

}  // namespace varnelle
#endif
