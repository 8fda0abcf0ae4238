// The slice areas of an end integral, four slices at a time, for processors
// with AVX2 (the caller checks): the same terms as the two-lane loop, taken
// with 256-bit vectors and glibc's four-lane arctangent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "end_geometry.h"

namespace varnelle {

// Writes the areas of the slices first ... first + count - 1 to `areas`, which
// has room for count rounded up to a multiple of four (the extra lanes hold
// areas past the last slice, to be ignored). Not for flat ends.
void sliceAreasFourAtATime(const EndGeometry& g, double level, std::int64_t first,
                           std::size_t count, double* areas);

}  // namespace varnelle
