// The stages of the exact predicates behind the floating-point filter,
// shared by the files that hold them (see exact_predicates.cpp for how a
// call chooses among them).
#ifndef DELAUNAY2D_ENGINE_EXACT_EXACT_STAGES_HPP
#define DELAUNAY2D_ENGINE_EXACT_EXACT_STAGES_HPP

#include <cmath>
#include <limits>

namespace d2d::exact_detail {

// A value with the given sign (-1, 0, 1), using the rounded approximation for
// the magnitude when it is usable.
inline double with_sign(int sign, double approximation) {
    if (sign == 0) return 0.0;
    const double magnitude = std::fabs(approximation);
    const double m = (magnitude > 0.0 && !std::isnan(magnitude)) ? magnitude : std::numeric_limits<double>::denorm_min();
    return sign > 0 ? m : -m;
}

// Coordinates inside a window where expansion arithmetic is exact
// (adaptive_stages.cpp): the determinants by adaptive stages, ending with the
// full expansion; the result has the exact sign.
double orient_adaptive(double ax, double ay, double bx, double by, double cx, double cy);
double incircle_adaptive(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy);

// Coordinates spread wider than any window (spread_coordinates.cpp), given
// as x0, y0, x1, y1, ...: the sign by the filter on coordinates scaled into
// [-1, 1] (`s`), or 0 where that cannot decide; and the sign by a wide
// integer sum of the unscaled coordinates' products (`c`), always decided.
int orient_spread_sign(const double* s);
int incircle_spread_sign(const double* s);
int orient_wide_sign(const double* c);
int incircle_wide_sign(const double* c);

}  // namespace d2d::exact_detail

#endif
