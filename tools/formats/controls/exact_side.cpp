#include "formats/controls/exact_side.hpp"

#include <cmath>
#include <cstddef>
#include <limits>

namespace d2dcli {

namespace {

// a + b = s + e exactly (Knuth's two-sum).
void two_sum(double a, double b, double& s, double& e) {
    s = a + b;
    const double bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

// a * b = p + e exactly (the fused multiply-add computes e unrounded).
void two_product(double a, double b, double& p, double& e) {
    p = a * b;
    e = std::fma(a, b, -p);
}

// Adds one double to an expansion of n nonoverlapping terms, smallest first
// (Shewchuk's grow-expansion); n grows by one.
void grow(double* terms, std::size_t& n, double value) {
    double carry = value;
    for (std::size_t i = 0; i < n; ++i) {
        double s = 0.0;
        double e = 0.0;
        two_sum(carry, terms[i], s, e);
        terms[i] = e;
        carry = s;
    }
    terms[n++] = carry;
}

}  // namespace

int exact_side(double ax, double ay, double bx, double by, double px, double py) {
    const double left = (ax - px) * (by - py);
    const double right = (ay - py) * (bx - px);
    const double det = left - right;
    // Shewchuk's bound for this evaluation: beyond it the sign is right.
    const double bound = (3.0 + 16.0 * std::numeric_limits<double>::epsilon()) *
                         std::numeric_limits<double>::epsilon() / 2.0 * (std::fabs(left) + std::fabs(right));
    if (det > bound || -det > bound) {
        return det > 0.0 ? 1 : -1;
    }
    // Exactly: each difference is two doubles, each product of two of
    // them two more, so the determinant is 16 products summed into at most
    // 32 terms.
    double d[4][2];
    two_sum(ax, -px, d[0][0], d[0][1]);
    two_sum(by, -py, d[1][0], d[1][1]);
    two_sum(ay, -py, d[2][0], d[2][1]);
    two_sum(bx, -px, d[3][0], d[3][1]);
    double terms[40];
    std::size_t n = 0;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 2; ++j) {
            double p = 0.0;
            double e = 0.0;
            two_product(d[0][i], d[1][j], p, e);
            grow(terms, n, p);
            grow(terms, n, e);
            two_product(d[2][i], d[3][j], p, e);
            grow(terms, n, -p);
            grow(terms, n, -e);
        }
    }
    for (std::size_t i = n; i-- > 0;) {
        if (terms[i] != 0.0) {
            return terms[i] > 0.0 ? 1 : -1;
        }
    }
    return 0;
}

}  // namespace d2dcli
