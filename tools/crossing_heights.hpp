// z for the points the constrained call adds where segments cross: each
// lies on the segments it was made from, and takes z interpolated along
// one of them.
#pragma once

#include <span>
#include <vector>

#include "formats/read/constrained_input.hpp"

namespace d2dcli {

// zw: z and w of the input points, grown here to cover every point of
// all_xy (the input points, then the added ones). An added point takes z
// and w interpolated linearly along the segment of the input it lies on;
// where several pass through it (a crossing), the one listed first in the
// input. A point on none (refinement's points inside a region, were there
// any) takes the values of the nearest segment's nearest point.
void add_crossing_heights(const ConstrainedInput& input, std::span<const double> all_xy, std::vector<double>& zw);

}  // namespace d2dcli
