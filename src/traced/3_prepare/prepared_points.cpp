#include "traced/3_prepare/prepared_points.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/exact/double_bits.hpp"
#include "blocks/point/point_order.hpp"

namespace d2d::traced {
namespace {

// The split order on finite coordinates alone: ascending x, then
// descending y. Points equal in both are the same vertex, whatever z + w.
bool goes_before(double ax, double ay, double bx, double by) {
    return split_order_before(ax, ay, 0.0, bx, by, 0.0);
}

bool is_usable(const PlacedPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The predicates are homogeneous: multiplying every coordinate by one power
// of two keeps every sign. Bringing the largest magnitude into [0.5, 1) keeps
// the products of their fast paths clear of overflow and underflow for
// inputs of any common magnitude, and it is exact for every coordinate that
// stays a normal number. A coordinate that falls below 2^-1022 keeps its
// value only while none of its set bits falls below 2^-1074; where some
// would, the factor is raised to the smallest power of two that rounds no
// coordinate (1 at most): points equal only after rounding would merge, and
// turns would change. The exact predicates take coordinates of any finite
// magnitude, only more slowly far from 1.
//
// Factors beyond the range of a double (subnormal inputs need more than
// 2^1023) are applied in two halves, each exact: the intermediate product
// lies between the coordinate and its final value. A factor of one is
// skipped.
struct UnitScale {
    double factors[2] = {1.0, 1.0};

    explicit UnitScale(const PageBuffer<PlacedPoint>& points) {
        double largest = 0.0;
        constexpr double kNone = std::numeric_limits<double>::infinity();
        double smallest = kNone;  // of the nonzero magnitudes
        for (const PlacedPoint& p : points) {
            // Without branches: the loop runs over every point of a call.
            const bool usable = is_usable(p);
            const double ax = usable ? std::fabs(p.x) : 0.0;
            const double ay = usable ? std::fabs(p.y) : 0.0;
            largest = std::max(largest, std::max(ax, ay));
            smallest = std::min(smallest, std::min(ax != 0.0 ? ax : kNone, ay != 0.0 ? ay : kNone));
        }
        if (largest == 0.0) return;
        int largest_exponent = 0;  // largest < 2^largest_exponent
        std::frexp(largest, &largest_exponent);
        int smallest_exponent = 0;
        std::frexp(smallest, &smallest_exponent);
        int exponent = -largest_exponent;
        // The smallest magnitude, at least 2^(smallest_exponent - 1), stays
        // normal: every product is exact.
        if (smallest_exponent - 1 + exponent < -1022) exponent = std::max(exponent, -1074 - lowest_bit(points));
        if (exponent == 0) return;
        const bool one_step = exponent > -1022 && exponent < 1022;
        const int first = one_step ? exponent : exponent / 2;
        factors[0] = std::ldexp(1.0, first);
        factors[1] = std::ldexp(1.0, exponent - first);
    }

    double apply(double v) const {
        if (factors[0] != 1.0) v *= factors[0];
        if (factors[1] != 1.0) v *= factors[1];
        return v;
    }

 private:
    // The exponent of the lowest set bit among the usable nonzero
    // coordinates.
    static int lowest_bit(const PageBuffer<PlacedPoint>& points) {
        int lowest = std::numeric_limits<int>::max();
        const auto include = [&lowest](double v) {
            if (v != 0.0) lowest = std::min(lowest, lowest_set_bit(v));
        };
        for (const PlacedPoint& p : points) {
            if (!is_usable(p)) continue;
            include(p.x);
            include(p.y);
        }
        return lowest;
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

// The general case: the usable points are not in split order (a host handed
// the partition an unsorted range). A stable sort restores the order and
// keeps the first record of equal points first.
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

}  // namespace d2d::traced
