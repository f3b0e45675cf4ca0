#include "library/prepared_points.hpp"

#include <algorithm>
#include <cmath>

namespace d2d {
namespace {

// Strict split order: ascending x, then descending y.
bool goes_before(const PlacedPoint& a, const PlacedPoint& b) {
    if (a.x != b.x) return a.x < b.x;
    return a.y > b.y;
}

// The power of two that brings the largest magnitude into [0.5, 1).
// Multiplying by it is exact for every coordinate that stays a normal
// number, and it keeps the products inside the predicates clear of overflow
// and of underflow for inputs of any common magnitude.
double unit_scale(const PageBuffer<PlacedPoint>& points) {
    double largest = 0.0;
    for (const PlacedPoint& p : points) largest = std::max(largest, std::max(std::fabs(p.x), std::fabs(p.y)));
    if (largest == 0.0) return 1.0;
    int exponent = 0;
    std::frexp(largest, &exponent);
    return std::ldexp(1.0, -exponent);
}

}  // namespace

PageBuffer<PlacedPoint> place_points(Point3D* const* points, size_t n) {
    PageBuffer<PlacedPoint> placed(n);
    for (size_t i = 0; i < n; ++i) placed[i] = PlacedPoint{points[i]->x, points[i]->y, points[i]};
    return placed;
}

PreparedPoints prepare_points(PageBuffer<PlacedPoint> usable) {
    const PlacedPoint* finite_end =
        std::remove_if(usable.begin(), usable.end(),
                       [](const PlacedPoint& p) { return !(std::isfinite(p.x) && std::isfinite(p.y)); });
    usable.resize(static_cast<size_t>(finite_end - usable.begin()));
    const double scale = unit_scale(usable);
    for (PlacedPoint& p : usable) {
        p.x *= scale;
        p.y *= scale;
    }
    // Points sorted by the split order stay sorted after scaling unless the
    // scaling rounded tiny coordinates together; a host may also hand the
    // partition a range in any order. Either way a stable sort restores the
    // order and keeps the first record of equal points first.
    if (!std::is_sorted(usable.begin(), usable.end(), goes_before)) {
        std::stable_sort(usable.begin(), usable.end(), goes_before);
    }

    PreparedPoints prepared;
    prepared.xy.resize(2 * usable.size());
    prepared.records.resize(usable.size());
    size_t kept = 0;
    for (const PlacedPoint& p : usable) {
        // Records with the coordinates of the previous one are the same vertex.
        if (kept > 0 && prepared.xy[2 * kept - 2] == p.x && prepared.xy[2 * kept - 1] == p.y) continue;
        prepared.xy[2 * kept] = p.x;
        prepared.xy[2 * kept + 1] = p.y;
        prepared.records[kept] = p.record;
        ++kept;
    }
    prepared.xy.resize(2 * kept);
    prepared.records.resize(kept);
    return prepared;
}

}  // namespace d2d
