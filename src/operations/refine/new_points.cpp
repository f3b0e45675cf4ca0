// The new points' formulas. All in doubles, the same operations in the
// same order on every machine (the library is built without contraction),
// so the points are the same on every run and thread count.
#include "operations/refine/new_points.hpp"

#include <cmath>
#include <utility>

#include "engine/exact/exact_predicates.hpp"
#include "operations/constrained/crossing_point.hpp"

namespace d2d::operations::refine {

Vec2 midpoint(Vec2 a, Vec2 b) { return Vec2{0.5 * (a.x + b.x), 0.5 * (a.y + b.y)}; }

Vec2 shell_point(Vec2 w, Vec2 b) {
    const double dx = b.x - w.x, dy = b.y - w.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    int exponent = 0;
    // 2d/3 = m 2^e with m in [0.5, 1): r = 2^(e - 1) lies in (d/3, 2d/3].
    std::frexp(2.0 * d / 3.0, &exponent);
    const double r = std::ldexp(1.0, exponent - 1);
    const double f = r / d;
    // On an axis-parallel segment one coordinate is exactly w's, so the
    // point lies exactly on it.
    return Vec2{dx == 0.0 ? w.x : w.x + f * dx, dy == 0.0 ? w.y : w.y + f * dy};
}

bool rounded_on_segment(Vec2 a, Vec2 b, Vec2& near) {
    //        c
    //        |        the cross-cut c - d, half as long as a - b, through
    //   a----+----b   the point wanted; its exact crossing with a - b is
    //        |        rounded
    //        d
    const double ex = b.x - a.x, ey = b.y - a.y;
    const double c[2] = {near.x - 0.25 * ey, near.y + 0.25 * ex};
    const double d[2] = {near.x + 0.25 * ey, near.y - 0.25 * ex};
    const double from[2] = {a.x, a.y}, to[2] = {b.x, b.y};
    const double c_side = orient2d_exact(a.x, a.y, b.x, b.y, c[0], c[1]);
    const double d_side = orient2d_exact(a.x, a.y, b.x, b.y, d[0], d[1]);
    const double a_side = orient2d_exact(c[0], c[1], d[0], d[1], a.x, a.y);
    const double b_side = orient2d_exact(c[0], c[1], d[0], d[1], b.x, b.y);
    if (!(c_side > 0.0 && d_side < 0.0) || !((a_side > 0.0 && b_side < 0.0) || (a_side < 0.0 && b_side > 0.0))) {
        return false;
    }
    const std::pair<double, double> p = constrained::crossing_point(from, to, c, d);
    near = Vec2{p.first, p.second};
    return true;
}

Vec2 off_centre(Vec2 p, Vec2 q, Vec2 r, double cot_half) {
    const Vec2 c = circumcentre(p, q, r);
    if (cot_half <= 0.0) return c;
    const Vec2 m = midpoint(p, q);
    const double ex = q.x - p.x, ey = q.y - p.y;
    const double edge = std::sqrt(ex * ex + ey * ey);
    const double mx = c.x - m.x, my = c.y - m.y;
    const double to_centre = std::sqrt(mx * mx + my * my);
    const double reach = 0.475 * cot_half * edge;
    if (!(to_centre > reach)) return c;
    const double f = reach / to_centre;
    return Vec2{m.x + f * mx, m.y + f * my};
}

}  // namespace d2d::operations::refine
