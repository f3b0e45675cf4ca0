#include "common/quality_shapes.hpp"

#include <cmath>

namespace d2dcommon {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Adds the closed ring (x, y pairs) as points and segments, and as a ring
// of the domain when `counts` (its orientation says how).
void add_ring(QualityShape& s, const std::vector<double>& ring, bool counts = true) {
    const uint32_t first = static_cast<uint32_t>(s.xy.size() / 2);
    const uint32_t n = static_cast<uint32_t>(ring.size() / 2);
    s.xy.insert(s.xy.end(), ring.begin(), ring.end());
    for (uint32_t i = 0; i < n; ++i) {
        s.segments.push_back(first + i);
        s.segments.push_back(first + (i + 1) % n);
    }
    if (counts) s.rings.push_back(ring);
}

// The square of side `side` centred at (cx, cy), counter-clockwise or not.
std::vector<double> square(double cx, double cy, double side, bool ccw) {
    const double h = side / 2;
    std::vector<double> r = {cx - h, cy - h, cx + h, cy - h, cx + h, cy + h, cx - h, cy + h};
    if (!ccw) r = {cx - h, cy - h, cx - h, cy + h, cx + h, cy + h, cx + h, cy - h};
    return r;
}

// A regular polygon of n sides around (cx, cy), radius r.
std::vector<double> circle(double cx, double cy, double r, std::size_t n, bool ccw) {
    std::vector<double> ring;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2 * kPi * static_cast<double>(ccw ? i : n - i) / static_cast<double>(n);
        ring.push_back(cx + r * std::cos(t));
        ring.push_back(cy + r * std::sin(t));
    }
    return ring;
}

}  // namespace

QualityShape wavy_polygon_with_holes(std::size_t vertices, std::size_t hole_rows) {
    QualityShape s;
    s.name = "wavy" + std::to_string(vertices) + "_holes" + std::to_string(hole_rows * hole_rows);
    std::vector<double> outer;
    for (std::size_t i = 0; i < vertices; ++i) {
        const double t = 2 * kPi * static_cast<double>(i) / static_cast<double>(vertices);
        const double r = 1.0 + 0.08 * std::sin(23 * t);
        outer.push_back(r * std::cos(t));
        outer.push_back(r * std::sin(t));
    }
    add_ring(s, outer);
    // The grid of holes stays within radius 0.7 < 0.92, the wave's low.
    const double pitch = hole_rows > 1 ? 0.9 / static_cast<double>(hole_rows - 1) : 0.0;
    for (std::size_t i = 0; i < hole_rows; ++i) {
        for (std::size_t j = 0; j < hole_rows; ++j) {
            const double cx = -0.45 + pitch * static_cast<double>(i), cy = -0.45 + pitch * static_cast<double>(j);
            add_ring(s, square(cx, cy, 0.04, false));
            s.holes.push_back(cx);
            s.holes.push_back(cy);
        }
    }
    return s;
}

QualityShape unit_square() {
    QualityShape s;
    s.name = "unit_square";
    add_ring(s, {0, 0, 1, 0, 1, 1, 0, 1});
    return s;
}

QualityShape fan_in_box(std::size_t count, double step_degrees) {
    QualityShape s;
    s.name = "fan" + std::to_string(count);
    add_ring(s, {-1, -1, 1, -1, 1, 1, -1, 1});
    s.xy.push_back(0.0);
    s.xy.push_back(0.0);
    const uint32_t centre = static_cast<uint32_t>(s.xy.size() / 2 - 1);
    for (std::size_t k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) * step_degrees * kPi / 180.0;
        s.xy.push_back(0.9 * std::cos(t));
        s.xy.push_back(0.9 * std::sin(t));
        s.segments.push_back(centre);
        s.segments.push_back(static_cast<uint32_t>(s.xy.size() / 2 - 1));
    }
    return s;
}

QualityShape comb(std::size_t teeth) {
    QualityShape s;
    s.name = "comb" + std::to_string(teeth);
    const double width = static_cast<double>(teeth);
    //   _   _   _
    //  | | | | | |
    //  | |_| |_| |
    //  |_________|
    std::vector<double> ring = {0, 0, width, 0};
    for (std::size_t k = teeth; k-- > 0;) {
        const double x = static_cast<double>(k);
        ring.insert(ring.end(), {x + 1.0, 5, x + 0.5, 5, x + 0.5, 1, x, 1});
    }
    add_ring(s, ring);
    return s;
}

QualityShape key() {
    QualityShape s;
    s.name = "key";
    //    ___
    //   /   \_______________
    //  | ( ) ___________   _|
    //   \___/          |_|
    std::vector<double> ring;
    const double h = std::sin(15 * kPi / 180);
    for (int d = 15; d <= 345; d += 15) {
        ring.push_back(std::cos(d * kPi / 180));
        ring.push_back(std::sin(d * kPi / 180));
    }
    ring.insert(ring.end(), {4.0, -h, 4.0, -0.6, 4.4, -0.6, 4.4, -h, 4.8, -h, 4.8, -0.75, 5.2, -0.75, 5.2, h});
    add_ring(s, ring);
    add_ring(s, circle(-0.2, 0.0, 0.4, 12, false));
    s.holes = {-0.2, 0.0};
    return s;
}

QualityShape spiral(double turns, std::size_t per_turn) {
    QualityShape s;
    s.name = "spiral";
    // Centre line r = 0.3 + 0.3 t / (2 pi): turns 0.3 apart, band 0.15 wide.
    const std::size_t n = static_cast<std::size_t>(turns * static_cast<double>(per_turn));
    std::vector<double> outside, inside;
    for (std::size_t i = 0; i <= n; ++i) {
        const double t = 2 * kPi * static_cast<double>(i) / static_cast<double>(per_turn);
        const double r = 0.3 + 0.3 * t / (2 * kPi);
        outside.push_back((r + 0.075) * std::cos(t));
        outside.push_back((r + 0.075) * std::sin(t));
        inside.push_back((r - 0.075) * std::cos(t));
        inside.push_back((r - 0.075) * std::sin(t));
    }
    // Out along the outer side, back along the inner: counter-clockwise.
    std::vector<double> ring = outside;
    for (std::size_t i = n + 1; i-- > 0;) {
        ring.push_back(inside[2 * i]);
        ring.push_back(inside[2 * i + 1]);
    }
    add_ring(s, ring);
    return s;
}

QualityShape nested_holes() {
    QualityShape s;
    s.name = "nested_holes";
    add_ring(s, square(0, 0, 8, true));
    add_ring(s, square(0, 0, 6, false));
    add_ring(s, square(0, 0, 4, true));
    add_ring(s, square(0, 0, 2, false));
    s.holes = {0.0, 2.5, 0.0, 0.0};
    return s;
}

QualityShape regions_with_areas() {
    QualityShape s;
    s.name = "regions";
    s.whole_hull = true;  // the inner square is a region, not a hole
    add_ring(s, {0, 0, 1, 0, 2, 0, 2, 1, 1, 1, 0, 1});
    s.segments.insert(s.segments.end(), {1, 4});
    add_ring(s, square(1.5, 0.5, 0.2, true), false);
    s.regions = {{0.5, 0.5, 1.0, 0.002}, {1.2, 0.5, 2.0, 0.02}, {1.5, 0.5, 3.0, 0.0}};
    return s;
}

QualityShape near_coincident_points() {
    QualityShape s;
    s.name = "near_coincident";
    add_ring(s, {0, 0, 1, 0, 1, 1, 0, 1});
    s.xy.insert(s.xy.end(), {0.5, 0.5, 0.5 + 1e-11, 0.5, 0.5, 0.5 + 1e-11, 0.2, 0.3});
    const uint32_t end = static_cast<uint32_t>(s.xy.size() / 2);
    s.xy.insert(s.xy.end(), {0.5 - 1e-10, 0.5});
    s.segments.insert(s.segments.end(), {end - 1, end});
    return s;
}

QualityShape thin_sliver() {
    QualityShape s;
    s.name = "sliver";
    add_ring(s, {0, 0, 1, 0, 1, 1e-3, 0, 1e-3});
    return s;
}

}  // namespace d2dcommon
