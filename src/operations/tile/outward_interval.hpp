// Interval arithmetic rounded outward, for decisions that must never be
// wrong in one direction.
//
// Each operation rounds to nearest as usual and then steps its lower end one
// double down and its upper end one double up. Rounding to nearest lands on
// one of the two doubles around the exact value, so the exact value lies
// within one step of the rounded one and the interval always holds it:
//
//        exact
//   ------|--+-------|----   doubles: down(r)   r   up(r)
//      down(r)  r     up(r)
//
// This holds through underflow (subnormals are doubles like any other) and
// overflow: a result rounded to +inf steps down to the largest double, which
// is at most the exact value. An operation whose exact result is unbounded or
// undefined (inf - inf, 0 * inf, a divisor interval that holds 0) gives the
// whole line, so a NaN never stands in for a bound. Callers compare
// ends with `>` and `<`, which is false for the whole line's infinite ends
// where it must be.
#ifndef DELAUNAY2D_OPERATIONS_TILE_OUTWARD_INTERVAL_HPP
#define DELAUNAY2D_OPERATIONS_TILE_OUTWARD_INTERVAL_HPP

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace d2d::operations::tile {

// The next double above x (x itself for NaN and +inf). Works on the bits:
// for finite doubles of one sign, consecutive bit patterns are consecutive
// doubles, away from zero as the pattern grows.
inline double step_up(double x) {
    if (std::isnan(x) || x == std::numeric_limits<double>::infinity()) return x;
    if (x == 0.0) return std::numeric_limits<double>::denorm_min();
    const uint64_t bits = std::bit_cast<uint64_t>(x);
    return std::bit_cast<double>(x > 0.0 ? bits + 1 : bits - 1);
}

inline double step_down(double x) { return -step_up(-x); }

struct Interval {
    double lo, hi;
};

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();
inline constexpr Interval kWholeLine{-kInfinity, kInfinity};

// The lower and upper bounds of one rounded result; a NaN (the result of an
// undefined operation on infinite ends) widens to the whole line.
inline double lower_end(double rounded) { return std::isnan(rounded) ? -kInfinity : step_down(rounded); }
inline double upper_end(double rounded) { return std::isnan(rounded) ? kInfinity : step_up(rounded); }

// A single double, exactly.
inline Interval point(double v) { return Interval{v, v}; }

inline Interval operator+(Interval a, Interval b) { return Interval{lower_end(a.lo + b.lo), upper_end(a.hi + b.hi)}; }

inline Interval operator-(Interval a, Interval b) { return Interval{lower_end(a.lo - b.hi), upper_end(a.hi - b.lo)}; }

inline Interval operator*(Interval a, Interval b) {
    const double products[4] = {a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi};
    Interval r{kInfinity, -kInfinity};
    for (const double p : products) {
        const double lo = lower_end(p);
        const double hi = upper_end(p);
        if (lo < r.lo) r.lo = lo;
        if (hi > r.hi) r.hi = hi;
    }
    return r;
}

// x^2, which is never negative (a * a of an interval around 0 would be).
inline Interval square(Interval a) {
    if (a.lo >= 0.0) return Interval{lower_end(a.lo * a.lo), upper_end(a.hi * a.hi)};
    if (a.hi <= 0.0) return Interval{lower_end(a.hi * a.hi), upper_end(a.lo * a.lo)};
    const double m = -a.lo > a.hi ? -a.lo : a.hi;
    return Interval{0.0, upper_end(m * m)};
}

// a / b; the whole line when b may be 0 (or is not a number).
inline Interval operator/(Interval a, Interval b) {
    if (!(b.lo > 0.0 || b.hi < 0.0)) return kWholeLine;
    const double quotients[4] = {a.lo / b.lo, a.lo / b.hi, a.hi / b.lo, a.hi / b.hi};
    Interval r{kInfinity, -kInfinity};
    for (const double q : quotients) {
        const double lo = lower_end(q);
        const double hi = upper_end(q);
        if (lo < r.lo) r.lo = lo;
        if (hi > r.hi) r.hi = hi;
    }
    return r;
}

}  // namespace d2d::operations::tile

#endif
