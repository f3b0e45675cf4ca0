// Inputs shared by the predicate tests: plain points (printed exactly in
// failure messages), ulp steps, power-of-two scalings, and the integer points
// of one circle (also as a point set for the triangulation tests).
#pragma once

#include <cmath>
#include <cstdint>
#include <ios>
#include <ostream>
#include <random>
#include <vector>

#include "delaunay2d.h"

namespace d2dtest {

struct P {
    double x;
    double y;
};

// The point as exact hexadecimal "x,y", for failure messages.
inline std::ostream& operator<<(std::ostream& out, P p) {
    const std::ios_base::fmtflags flags = out.flags();
    out << std::hexfloat << p.x << "," << p.y;
    out.flags(flags);
    return out;
}

inline int sign_of(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

inline P scaled(P p, int exponent) { return {std::ldexp(p.x, exponent), std::ldexp(p.y, exponent)}; }
inline P offset(P p, double by) { return {p.x + by, p.y + by}; }

// A double moved by k units in the last place.
inline double ulps(double v, int k) {
    while (k > 0) {
        v = std::nextafter(v, INFINITY);
        --k;
    }
    while (k < 0) {
        v = std::nextafter(v, -INFINITY);
        ++k;
    }
    return v;
}

// The integer points on x^2 + y^2 = 5^2 * 13^2 * 17^2: every four of them
// are exactly cocircular.
inline std::vector<P> lattice_circle() {
    const std::int64_t r2 = 5LL * 5 * 13 * 13 * 17 * 17;
    std::vector<P> circle;
    for (std::int64_t x = -1105; x <= 1105; ++x) {
        const std::int64_t y2 = r2 - x * x;
        const auto y = static_cast<std::int64_t>(std::llround(std::sqrt(static_cast<double>(y2))));
        if (y * y == y2) {
            circle.push_back({static_cast<double>(x), static_cast<double>(y)});
            if (y != 0) circle.push_back({static_cast<double>(x), static_cast<double>(-y)});
        }
    }
    return circle;
}

// The same 108 points as records for the triangulations: the worst case of
// cocircular ties.
inline std::vector<Point3D> lattice_circle_points() {
    std::vector<Point3D> points;
    for (const P q : lattice_circle()) points.push_back(Point3D{q.x, q.y, 0.0, 0.0});
    return points;
}

// Calls visit(a, b, c, d) for four points on a circle (random radius,
// centred at the origin or off it), rounded to doubles, with d moved by -1, 0
// and 1 ulp in x and in y.
template <class Visit>
void for_nearly_cocircular(int circles, Visit visit) {
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586);
    std::uniform_real_distribution<double> radius(1e-3, 10.0);
    for (int i = 0; i < circles; ++i) {
        const double r = radius(rng);
        const P centre{i % 2 == 0 ? 0.0 : 0.3, i % 3 == 0 ? 0.0 : -1.7};
        P q[4];
        for (P& p : q) {
            const double t = angle(rng);
            p = {centre.x + r * std::cos(t), centre.y + r * std::sin(t)};
        }
        for (int kx = -1; kx <= 1; ++kx) {
            for (int ky = -1; ky <= 1; ++ky) visit(q[0], q[1], q[2], P{ulps(q[3].x, kx), ulps(q[3].y, ky)});
        }
    }
}

}  // namespace d2dtest
