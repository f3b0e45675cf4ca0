// The dot product (a - p) . (b - p) is negative exactly when p sees a - b
// under an obtuse angle. In doubles, each difference and product rounds
// once and the sum once more: with u = 2^-53 the error is below
// 4u (|dx1 dx2| + |dy1 dy2|) (each term's relative error is at most
// (1 + u)^3 - 1 < 3.01u, the sum adds u); the bound below is twice that.
// When the rounded value is within it, the exact value is summed from
// expansions: each difference is two doubles, each product of two of them
// at most eight, the sum at most sixteen.
#include "operations/refine/encroachment.hpp"

#include <cmath>

#include "engine/exact/expansion_arithmetic.hpp"

namespace d2d::operations::refine {
namespace {

constexpr double kDotBound = 8.0 * 1.1102230246251565e-16;

int exact_dot_sign(double ax, double ay, double bx, double by, double px, double py) {
    using namespace d2d::expansion;
    double ux[2], uy[2], vx[2], vy[2];
    const int nux = diff_expansion(ax, px, ux);
    const int nuy = diff_expansion(ay, py, uy);
    const int nvx = diff_expansion(bx, px, vx);
    const int nvy = diff_expansion(by, py, vy);
    double xx[8], yy[8], total[16];
    const int nx = product(nux, ux, nvx, vx, xx);
    const int ny = product(nuy, uy, nvy, vy, yy);
    const int n = sum(nx, xx, ny, yy, total);
    return sign(n, total);
}

}  // namespace

bool in_diametral_circle(double ax, double ay, double bx, double by, double px, double py) {
    const double ux = ax - px, uy = ay - py, vx = bx - px, vy = by - py;
    const double xx = ux * vx, yy = uy * vy;
    const double dot = xx + yy;
    const double bound = kDotBound * (std::fabs(xx) + std::fabs(yy));
    if (dot < -bound) return true;
    if (dot > bound) return false;
    return exact_dot_sign(ax, ay, bx, by, px, py) < 0;
}

}  // namespace d2d::operations::refine
