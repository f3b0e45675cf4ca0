// Error-free floating-point arithmetic on expansions.
//
// An expansion is an array of doubles whose exact (unrounded) sum is the
// value it stands for. Components are kept in order of increasing magnitude,
// nonoverlapping, with zero components removed; an expansion of length 0 is
// the value 0. The largest component then carries the sign of the whole
// value. The building blocks are the error-free transformations: a rounded
// sum or product together with its exact rounding error.
//
// Every operation here is exact as long as no intermediate result overflows
// and no product has a nonzero part below the smallest subnormal (2^-1074).
// Callers establish that by bounding the magnitude and the lowest set bit of
// their inputs (see exact_predicates.cpp).
//
// Room. The operations that build longer expansions take arrays, whose
// declared sizes are the most components each operand can have, and check
// at compile time that the result's array holds the most components the
// result can have: a difference or a product of two doubles 2, a sum of
// expansions of E and F components E + F, a product 2 E F. The arithmetic relies on IEEE-754
// binary64 with round-to-nearest-even and on every operation being rounded
// separately: no fused multiply-add (the library is compiled with
// -ffp-contract=off), no extended-precision intermediates.
#ifndef DELAUNAY2D_ENGINE_EXACT_EXPANSION_ARITHMETIC_HPP
#define DELAUNAY2D_ENGINE_EXACT_EXPANSION_ARITHMETIC_HPP

#include <cmath>
#include <cstddef>

namespace d2d::expansion {

// x = fl(a + b) and y = (a + b) - x exactly.
inline void two_sum(double a, double b, double& x, double& y) {
    x = a + b;
    const double b_virtual = x - a;
    const double a_virtual = x - b_virtual;
    const double b_round = b - b_virtual;
    const double a_round = a - a_virtual;
    y = a_round + b_round;
}

// x = fl(a + b) and y = (a + b) - x exactly; requires |a| >= |b| (or a == 0).
inline void fast_two_sum(double a, double b, double& x, double& y) {
    x = a + b;
    const double b_virtual = x - a;
    y = b - b_virtual;
}

// x = fl(a - b) and y = (a - b) - x exactly.
inline void two_diff(double a, double b, double& x, double& y) {
    x = a - b;
    const double b_virtual = a - x;
    const double a_virtual = x + b_virtual;
    const double b_round = b_virtual - b;
    const double a_round = a - a_virtual;
    y = a_round + b_round;
}

// Dekker's split: a == hi + lo with hi and lo holding at most 26 significant
// bits each, so that products of halves are exact. Requires |a| < 2^995.
inline void split(double a, double& hi, double& lo) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double c = kSplitter * a;
    const double a_big = c - a;
    hi = c - a_big;
    lo = a - hi;
}

// x = fl(a * b) and y = a * b - x exactly (Dekker's product, without any
// fused multiply-add so that every platform gives the same bits).
inline void two_product(double a, double b, double& x, double& y) {
    x = a * b;
    double a_hi, a_lo, b_hi, b_lo;
    split(a, a_hi, a_lo);
    split(b, b_hi, b_lo);
    const double err1 = x - a_hi * b_hi;
    const double err2 = err1 - a_lo * b_hi;
    const double err3 = err2 - a_hi * b_lo;
    y = a_lo * b_lo - err3;
}

// Writes the two-part value x + y (|y| the smaller) into h as an expansion,
// leaving out zero parts; returns its length.
inline int two_part_expansion(double x, double y, double* h) {
    int n = 0;
    if (y != 0.0) h[n++] = y;
    if (x != 0.0) h[n++] = x;
    return n;
}

// Writes the exact difference a - b as an expansion of at most 2 components
// into h; returns its length.
inline int diff_expansion(double a, double b, double (&h)[2]) {
    double x, y;
    two_diff(a, b, x, y);
    return two_part_expansion(x, y, h);
}

// h = e + f. h must have room for elen + flen components and must not alias
// e or f. Returns the length of h.
inline int sum_into(int elen, const double* e, int flen, const double* f, double* h) {
    // Merge by increasing magnitude, then run one Two-Sum chain over the
    // merged sequence, emitting the nonzero roundoff terms.
    const int total = elen + flen;
    int i = 0;
    int j = 0;
    int n = 0;
    double q = 0.0;
    for (int k = 0; k < total; ++k) {
        double g;
        if (j >= flen || (i < elen && std::fabs(e[i]) <= std::fabs(f[j]))) {
            g = e[i];
            ++i;
        } else {
            g = f[j];
            ++j;
        }
        if (k == 0) {
            q = g;
            continue;
        }
        double x, y;
        two_sum(q, g, x, y);
        if (y != 0.0) h[n++] = y;
        q = x;
    }
    if (q != 0.0) h[n++] = q;
    return n;
}

// h = e * b. h must have room for 2 * elen components and must not alias e.
// Returns the length of h.
inline int scale(int elen, const double* e, double b, double* h) {
    if (elen == 0 || b == 0.0) return 0;
    int n = 0;
    double q, hh;
    two_product(e[0], b, q, hh);
    if (hh != 0.0) h[n++] = hh;
    for (int i = 1; i < elen; ++i) {
        double product_hi, product_lo, s;
        two_product(e[i], b, product_hi, product_lo);
        two_sum(q, product_lo, s, hh);
        if (hh != 0.0) h[n++] = hh;
        fast_two_sum(product_hi, s, q, hh);
        if (hh != 0.0) h[n++] = hh;
    }
    if (q != 0.0) h[n++] = q;
    return n;
}

// Writes the exact product a * b as an expansion of at most 2 components
// into h; returns its length.
inline int product_expansion(double a, double b, double (&h)[2]) {
    double x, y;
    two_product(a, b, x, y);
    return two_part_expansion(x, y, h);
}

// The sign (-1, 0, 1) of the value of e: that of its largest component.
inline int sign(int elen, const double* e) {
    if (elen == 0) return 0;
    return e[elen - 1] > 0.0 ? 1 : -1;
}

// Negates an expansion in place.
inline void negate(int elen, double* e) {
    for (int i = 0; i < elen; ++i) e[i] = -e[i];
}

// A rounded approximation of the value of e with the sign of the exact value
// (the largest component dominates the sum of all the others).
inline double estimate(int elen, const double* e) {
    if (elen == 0) return 0.0;
    double s = 0.0;
    for (int i = 0; i < elen; ++i) s += e[i];
    const double top = e[elen - 1];
    if ((s > 0.0) != (top > 0.0) || s == 0.0) return top;
    return s;
}

// h = e * f, with elen * flen <= Terms. h must have room for 2 * elen * flen
// components and must not alias e or f. Returns the length. The scratch is
// sized by the caller's largest product, not by a fixed worst case: these
// arrays live on the stack of whatever thread runs the predicate, which may
// be a small host thread's.
template <int Terms>
int product_into(int elen, const double* e, int flen, const double* f, double* h) {
    if (elen == 0 || flen == 0) return 0;
    if (elen < flen) {  // fewer, longer partial products
        const int tn = elen;
        elen = flen;
        flen = tn;
        const double* tp = e;
        e = f;
        f = tp;
    }
    double partial[2 * Terms];
    double accumulated[2 * Terms];
    int n = scale(elen, e, f[0], h);
    for (int j = 1; j < flen; ++j) {
        const int pn = scale(elen, e, f[j], partial);
        for (int k = 0; k < n; ++k) accumulated[k] = h[k];
        n = sum_into(n, accumulated, pn, partial, h);
    }
    return n;
}

// h = e + f, for expansions of at most E and F components (elen <= E,
// flen <= F); h must not alias e or f. Returns the length of h.
template <std::size_t E, std::size_t F, std::size_t H>
int sum(int elen, const double (&e)[E], int flen, const double (&f)[F], double (&h)[H]) {
    static_assert(H >= E + F, "a sum of E and F components has up to E + F");
    return sum_into(elen, e, flen, f, h);
}

// h = e * f, for expansions of at most E and F components; h must not alias
// e or f. Returns the length of h.
template <std::size_t E, std::size_t F, std::size_t H>
int product(int elen, const double (&e)[E], int flen, const double (&f)[F], double (&h)[H]) {
    static_assert(H >= 2 * E * F, "a product of E and F components has up to 2 E F");
    return product_into<static_cast<int>(E * F)>(elen, e, flen, f, h);
}

}  // namespace d2d::expansion

#endif
