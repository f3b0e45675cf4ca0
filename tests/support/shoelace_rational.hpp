// Twice the signed area of a polygon, exactly: the checkers compare kept
// areas and triangle areas without rounding.
#pragma once

#include <gmpxx.h>

#include <cstddef>
#include <vector>

namespace d2dtest {

// Twice the signed area of the closed polygon x0, y0, x1, y1, ...
// (positive when counter-clockwise).
inline mpq_class shoelace(const std::vector<double>& ring) {
    mpq_class sum = 0;
    const size_t n = ring.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        sum += mpq_class(ring[2 * i]) * mpq_class(ring[2 * j + 1]) - mpq_class(ring[2 * j]) * mpq_class(ring[2 * i + 1]);
    }
    return sum;
}

}  // namespace d2dtest
