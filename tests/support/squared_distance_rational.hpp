// Which of two points is nearer to a third, in exact rational arithmetic
// (GMP), independent of the library's own arithmetic: the oracle of the
// nearest-point and cell tests.
#pragma once

#include <gmp.h>

namespace d2dtest {

// Sign (-1, 0, 1) of |a - q|^2 - |b - q|^2: -1 when a is nearer q.
inline int compare_squared_distances_rational(double ax, double ay, double bx, double by, double qx, double qy) {
    mpq_t v[6], d, s, t;
    const double in[6] = {ax, ay, bx, by, qx, qy};
    for (int i = 0; i < 6; ++i) mpq_init(v[i]), mpq_set_d(v[i], in[i]);
    mpq_init(d), mpq_init(s), mpq_init(t);
    // s = |a - q|^2 - |b - q|^2, one squared difference at a time.
    for (int k = 0; k < 4; ++k) {
        mpq_sub(d, v[k], v[4 + k % 2]);
        mpq_mul(t, d, d);
        if (k < 2) mpq_add(s, s, t);
        else mpq_sub(s, s, t);
    }
    const int sign = mpq_sgn(s);
    for (int i = 0; i < 6; ++i) mpq_clear(v[i]);
    mpq_clear(d), mpq_clear(s), mpq_clear(t);
    return sign;
}

}  // namespace d2dtest
