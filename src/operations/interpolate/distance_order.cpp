#include "operations/interpolate/distance_order.hpp"

#include <algorithm>

#include "engine/exact/expansion_arithmetic.hpp"

namespace d2d::operations::distance_detail {
namespace {

// (p - q)^2 as an expansion of up to 8 components.
int squared_difference(double p, double q, double (&out)[8]) {
    double d[2];
    const int n = expansion::diff_expansion(p, q, d);
    return expansion::product(n, d, n, d, out);
}

}  // namespace

int compare_squared_distances_slow(double ax, double ay, double bx, double by, double qx, double qy) {
    // A power of two brings the largest magnitude near 1: exact, and keeps
    // every square and product of the expansions in range.
    const double largest = std::max({std::fabs(ax), std::fabs(ay), std::fabs(bx), std::fabs(by), std::fabs(qx),
                                     std::fabs(qy)});
    if (!std::isfinite(largest)) return 0;
    if (largest > 0.0) {
        int exponent = 0;
        std::frexp(largest, &exponent);
        const auto scaled = [exponent](double v) { return std::ldexp(v, -exponent); };
        ax = scaled(ax), ay = scaled(ay), bx = scaled(bx), by = scaled(by), qx = scaled(qx), qy = scaled(qy);
    }
    double ax2[8], ay2[8], bx2[8], by2[8];
    const int nax = squared_difference(ax, qx, ax2);
    const int nay = squared_difference(ay, qy, ay2);
    const int nbx = squared_difference(bx, qx, bx2);
    const int nby = squared_difference(by, qy, by2);
    double da[16], db[16], total[32];
    const int nda = expansion::sum(nax, ax2, nay, ay2, da);
    const int ndb = expansion::sum(nbx, bx2, nby, by2, db);
    expansion::negate(ndb, db);
    const int n = expansion::sum(nda, da, ndb, db, total);
    return expansion::sign(n, total);
}

}  // namespace d2d::operations::distance_detail
