#include "prepare/prepared_points.hpp"

#include <algorithm>
#include <cmath>

#include "point/point_order.hpp"

namespace d2d {
namespace {

// The split order on finite coordinates alone: ascending x, then
// descending y. Points equal in both are the same vertex, whatever z + w.
bool goes_before(double ax, double ay, double bx, double by) {
    return split_order_before(ax, ay, 0.0, bx, by, 0.0);
}

bool is_usable(const PlacedPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Multiplying every coordinate by the power of two that brings the largest
// magnitude into [0.5, 1) is exact for every coordinate that stays a normal
// number, and it keeps the products inside the predicates clear of overflow
// and of underflow for inputs of any common magnitude. Factors beyond the
// range of a double (subnormal inputs need more than 2^1023) are applied in
// two halves; a factor of one is skipped.
struct UnitScale {
    double factors[2] = {1.0, 1.0};

    explicit UnitScale(const PageBuffer<PlacedPoint>& points) {
        double largest = 0.0;
        for (const PlacedPoint& p : points) {
            if (is_usable(p)) largest = std::max(largest, std::max(std::fabs(p.x), std::fabs(p.y)));
        }
        if (largest == 0.0) return;
        int exponent = 0;
        std::frexp(largest, &exponent);
        const bool one_step = exponent > -1022 && exponent < 1022;
        const int first = one_step ? -exponent : -exponent / 2;
        factors[0] = std::ldexp(1.0, first);
        factors[1] = std::ldexp(1.0, -exponent - first);
    }

    double apply(double v) const {
        if (factors[0] != 1.0) v *= factors[0];
        if (factors[1] != 1.0) v *= factors[1];
        return v;
    }
};

// Appends a usable point unless it repeats the previous one's coordinates.
void keep_unless_repeated(PreparedPoints& prepared, size_t& kept, double x, double y, Point3D* record) {
    if (kept > 0 && prepared.xy[2 * kept - 2] == x && prepared.xy[2 * kept - 1] == y) return;
    prepared.xy[2 * kept] = x;
    prepared.xy[2 * kept + 1] = y;
    prepared.records[kept] = record;
    ++kept;
}

void shrink_to(PreparedPoints& prepared, size_t kept) {
    prepared.xy.resize(2 * kept);
    prepared.records.resize(kept);
}

// The general case: the scaled usable points are not in split order (the
// scaling rounded tiny coordinates together, or a host handed the partition
// an unsorted range). A stable sort restores the order and keeps the first
// record of equal points first.
PreparedPoints prepare_unsorted(const PageBuffer<PlacedPoint>& points, const UnitScale& scale) {
    PageBuffer<PlacedPoint> usable(points.size());
    size_t count = 0;
    for (const PlacedPoint& p : points) {
        if (is_usable(p)) usable[count++] = PlacedPoint{scale.apply(p.x), scale.apply(p.y), p.zw, p.record};
    }
    usable.resize(count);
    std::stable_sort(usable.begin(), usable.end(),
                     [](const PlacedPoint& a, const PlacedPoint& b) { return goes_before(a.x, a.y, b.x, b.y); });
    PreparedPoints prepared;
    prepared.xy.resize(2 * count);
    prepared.records.resize(count);
    size_t kept = 0;
    for (const PlacedPoint& p : usable) keep_unless_repeated(prepared, kept, p.x, p.y, p.record);
    shrink_to(prepared, kept);
    return prepared;
}

}  // namespace

PreparedPoints prepare_points(const PageBuffer<PlacedPoint>& points) {
    const UnitScale scale(points);
    PreparedPoints prepared;
    prepared.xy.resize(2 * points.size());
    prepared.records.resize(points.size());
    // One pass for points that are in split order after scaling, which is
    // the rule for the entry points' sorted input.
    size_t kept = 0;
    for (const PlacedPoint& p : points) {
        if (!is_usable(p)) continue;
        const double x = scale.apply(p.x);
        const double y = scale.apply(p.y);
        if (kept > 0 && goes_before(x, y, prepared.xy[2 * kept - 2], prepared.xy[2 * kept - 1])) {
            return prepare_unsorted(points, scale);
        }
        keep_unless_repeated(prepared, kept, x, y, p.record);
    }
    shrink_to(prepared, kept);
    return prepared;
}

}  // namespace d2d
