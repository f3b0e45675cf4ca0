// Sweep over the segments sorted by their left end; each pair whose boxes
// overlap gets four orientation tests, decided by a floating filter or, when
// the filter cannot tell, by an exact sum of the products.
#include "crossing_count.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace bench {
namespace {

// x + y = a + b exactly (Knuth's two-sum, no branch).
void two_sum(double a, double b, double& x, double& y) {
    x = a + b;
    const double b_virtual = x - a;
    const double a_virtual = x - b_virtual;
    y = (a - a_virtual) + (b - b_virtual);
}

// Adds b to the expansion e (components of increasing magnitude, no two
// overlapping, zeros dropped), keeping those properties; the largest
// component then carries the sign of the sum.
void grow_expansion(std::vector<double>& e, double b) {
    std::size_t kept = 0;
    double q = b;
    for (double component : e) {
        double h;
        two_sum(q, component, q, h);
        if (h != 0.0) e[kept++] = h;
    }
    e.resize(kept);
    if (q != 0.0) e.push_back(q);
}

}  // namespace

int exact_orientation(double ax, double ay, double bx, double by, double cx, double cy) {
    const double left = (bx - ax) * (cy - ay);
    const double right = (by - ay) * (cx - ax);
    const double det = left - right;
    // Shewchuk's first error bound for orient2d, (3 + 16 eps) eps.
    const double bound = 3.3306690738754716e-16 * (std::fabs(left) + std::fabs(right));
    if (det > bound) return 1;
    if (-det > bound) return -1;
    // (b - a) x (c - a) expanded: the ax * ay terms cancel, six products
    // remain, each split exactly into its rounded value and its error.
    const double products[6][2] = {{bx, cy}, {-bx, ay}, {-ax, cy}, {-by, cx}, {by, ax}, {ay, cx}};
    std::vector<double> sum;
    sum.reserve(16);
    for (const auto& p : products) {
        const double rounded = p[0] * p[1];
        grow_expansion(sum, std::fma(p[0], p[1], -rounded));
        grow_expansion(sum, rounded);
    }
    if (sum.empty()) return 0;
    return sum.back() > 0.0 ? 1 : -1;
}

std::size_t count_proper_crossings(const ConstraintCase& input) {
    struct Segment {
        double ax, ay, bx, by;
        double x_low, x_high, y_low, y_high;
    };
    std::vector<Segment> segments;
    segments.reserve(input.segments.size() / 2);
    for (std::size_t s = 0; s + 1 < input.segments.size(); s += 2) {
        const std::uint32_t a = input.segments[s], b = input.segments[s + 1];
        Segment g{input.xy[2 * a], input.xy[2 * a + 1], input.xy[2 * b], input.xy[2 * b + 1], 0, 0, 0, 0};
        g.x_low = std::min(g.ax, g.bx);
        g.x_high = std::max(g.ax, g.bx);
        g.y_low = std::min(g.ay, g.by);
        g.y_high = std::max(g.ay, g.by);
        segments.push_back(g);
    }
    std::sort(segments.begin(), segments.end(), [](const Segment& p, const Segment& q) { return p.x_low < q.x_low; });
    std::size_t crossings = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        for (std::size_t j = i + 1; j < segments.size() && segments[j].x_low <= s.x_high; ++j) {
            const Segment& t = segments[j];
            if (t.y_low > s.y_high || t.y_high < s.y_low) continue;
            const int ta = exact_orientation(t.ax, t.ay, t.bx, t.by, s.ax, s.ay);
            const int tb = exact_orientation(t.ax, t.ay, t.bx, t.by, s.bx, s.by);
            if (ta * tb >= 0) continue;
            const int sa = exact_orientation(s.ax, s.ay, s.bx, s.by, t.ax, t.ay);
            const int sb = exact_orientation(s.ax, s.ay, s.bx, s.by, t.bx, t.by);
            if (sa * sb < 0) ++crossings;
        }
    }
    return crossings;
}

}  // namespace bench
