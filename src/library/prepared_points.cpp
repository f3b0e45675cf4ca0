#include "library/prepared_points.hpp"

#include <algorithm>
#include <cmath>

#include "point/point_order.hpp"

namespace d2d {
namespace {

// The split order on finite coordinates alone: ascending x, then
// descending y. Points equal in both are the same vertex, whatever z + w.
bool goes_before(const PlacedPoint& a, const PlacedPoint& b) {
    return split_order_before(a.x, a.y, 0.0, b.x, b.y, 0.0);
}

// Multiplies every coordinate by the power of two that brings the largest
// magnitude into [0.5, 1). That is exact for every coordinate that stays a
// normal number, and it keeps the products inside the predicates clear of
// overflow and of underflow for inputs of any common magnitude. Factors
// beyond the range of a double (subnormal inputs need more than 2^1023) are
// applied in two halves.
void scale_to_unit(PageBuffer<PlacedPoint>& points) {
    double largest = 0.0;
    for (const PlacedPoint& p : points) largest = std::max(largest, std::max(std::fabs(p.x), std::fabs(p.y)));
    if (largest == 0.0) return;
    int exponent = 0;
    std::frexp(largest, &exponent);
    // One factor where 2^-exponent is a normal double, else two halves.
    const bool one_step = exponent > -1022 && exponent < 1022;
    const int first = one_step ? -exponent : -exponent / 2;
    const double factors[2] = {std::ldexp(1.0, first), std::ldexp(1.0, -exponent - first)};
    for (const double factor : factors) {
        if (factor == 1.0) continue;
        for (PlacedPoint& p : points) {
            p.x *= factor;
            p.y *= factor;
        }
    }
}

}  // namespace

PreparedPoints prepare_points(PageBuffer<PlacedPoint> usable) {
    const PlacedPoint* finite_end =
        std::remove_if(usable.begin(), usable.end(),
                       [](const PlacedPoint& p) { return !(std::isfinite(p.x) && std::isfinite(p.y)); });
    usable.resize(static_cast<size_t>(finite_end - usable.begin()));
    scale_to_unit(usable);
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
