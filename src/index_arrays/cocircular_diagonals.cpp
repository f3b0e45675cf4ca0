// The diagonals among cocircular points: the fan from the smallest corner.
//
// Why this rule is a triangulation of the points alone. Lift each point p
// to x^2 + y^2 - eps^rank(p), where rank is p's place in the order by x,
// then y (the smallest point rank 0, so lowest by far), for an eps > 0 small
// enough. In-circle tests are then never 0, and the lower convex hull of
// the lifted points projects to the unique triangulation that is Delaunay
// for them; a triangle is in it exactly when no other lifted point lies
// below its plane, whatever the other points are. Where the exact in-circle
// test is not 0 the lifts agree with it; where it is 0 (four points on one
// circle, their exact lifts on one plane) the term of the smallest of the
// four dominates: three distinct points of a circle are never collinear,
// so its coefficient is not 0, and that corner sits below the plane of the
// other three. So across an edge p -> q with t = (p, q, r) on its left and
// u = (q, p, s) on its right, all four on one circle:
//
//             r                          r
//           /   \                      / | \      .
//          /  t  \                    /  |  \     .
//         p ----> q      flip        p t | u q
//          \  u  /       ---->        \  |  /
//           \   /                      \ | /
//             s                          s
//
//   smallest is s: s is below the plane of p, q, r, inside t's circle;
//   smallest is r: r is below the plane of q, p, s, inside u's circle;
//   either way p-q is not Delaunay for the lifts and r-s is;
//   smallest is p or q: the plane of the triangle holding it dips under
//   it, the fourth point is outside, and p-q stays.
//
// The test is the same seen from t or from u, so it does not depend on
// which triangle an edge is reached from. Within one cocircular convex
// polygon the result is the fan from its smallest corner. Since the lifts
// of a subset are ordered as in the whole set, a triangle of a subset's
// result whose closed circumdisk holds no other point of the whole set is
// a triangle of the whole set's result too.
#include "index_arrays/cocircular_diagonals.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/exact/exact_predicates.hpp"

namespace d2d::index_arrays {
namespace {

// Whether d lies exactly on the circle through a, b, c, answered at once
// for the common case of grid data: 1 or 0, or -1 when the shortcut does
// not apply and the exact predicate must decide. Exact zeros are what the
// floating-point filter can never settle, and every cocircular quad of a
// grid would otherwise take the full exact evaluation.
//
// The shortcut applies when the six differences to d are exact and, scaled
// by one power of two so that the largest is below 2^12, are all integers.
// Then every lift and cross product is an integer below 2^25, every product
// of the two below 2^50 and their sum below 3 * 2^50 < 2^53: the
// determinant is computed without rounding, and the scaling does not
// change its sign.
int cocircular_on_small_lattice(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                                double dy) {
    const double minuend[6] = {ax, ay, bx, by, cx, cy};
    const double subtrahend[6] = {dx, dy, dx, dy, dx, dy};
    double v[6];
    double largest = 0.0;
    for (int k = 0; k < 6; ++k) {
        const double a = minuend[k], b = subtrahend[k];
        const double x = a - b;
        // The difference is exact when its rounding error (two_diff's tail,
        // Knuth's error-free subtraction) is 0.
        const double b_virtual = a - x, a_virtual = x + b_virtual;
        if ((a - a_virtual) + (b_virtual - b) != 0.0) return -1;
        v[k] = x;
        largest = std::max(largest, std::fabs(x));
    }
    if (!(largest > 0.0) || !std::isfinite(largest)) return -1;
    // largest's binary exponent, read from its bits (ilogb and ldexp are
    // calls that cost more than the rest of the test); subnormal and huge
    // differences, whose power of two below would not be a normal double,
    // are left to the exact predicate.
    const int exponent = static_cast<int>((std::bit_cast<uint64_t>(largest) >> 52) & 0x7ff) - 1023;
    if (exponent < -900 || exponent > 900) return -1;
    // 2^(11 - exponent): largest * scale < 2^12.
    const double scale = std::bit_cast<double>(static_cast<uint64_t>(1023 + 11 - exponent) << 52);
    for (double& x : v) {
        const double scaled = x * scale;
        // A nonzero integer is a normal double, so it was scaled exactly;
        // a nonzero difference scaled to 0 or to a fraction does not fit.
        // |scaled| < 2^12, so the conversion to an integer cannot overflow.
        if (static_cast<double>(static_cast<int32_t>(scaled)) != scaled || (scaled == 0.0 && x != 0.0)) return -1;
        x = scaled;
    }
    const double a_lift = v[0] * v[0] + v[1] * v[1];
    const double b_lift = v[2] * v[2] + v[3] * v[3];
    const double c_lift = v[4] * v[4] + v[5] * v[5];
    const double det = a_lift * (v[2] * v[5] - v[4] * v[3]) + b_lift * (v[4] * v[1] - v[0] * v[5]) +
                       c_lift * (v[0] * v[3] - v[2] * v[1]);
    return det == 0.0 ? 1 : 0;
}

class FlipMesh {
 public:
    FlipMesh(const double* coords, size_t stride, uint32_t* triangles, int32_t* neighbours)
        : coords_(coords), stride_(stride), v_(triangles), n_(neighbours) {}

    // Whether edge i of triangle t (from its corner i to corner i + 1) is
    // an interior edge, cocircular with both triangles' corners, whose
    // quad's smallest corner is not one of its ends.
    bool needs_flip(size_t t, int i) const {
        const int32_t across = n_[3 * t + i];
        if (across < 0) return false;
        const uint32_t p = v_[3 * t + i], q = v_[3 * t + next(i)], r = v_[3 * t + next(next(i))];
        const uint32_t s = v_[3 * static_cast<size_t>(across) + next(next(edge_in(across, q, p)))];
        // The order test first: it settles half the edges of any mesh
        // without the in-circle test.
        if (before(p, r) && before(p, s)) return false;
        if (before(q, r) && before(q, s)) return false;
        const int lattice = cocircular_on_small_lattice(x(p), y(p), x(q), y(q), x(r), y(r), x(s), y(s));
        if (lattice >= 0) return lattice == 1;
        return incircle_exact(x(p), y(p), x(q), y(q), x(r), y(r), x(s), y(s)) == 0.0;
    }

    // Replaces the diagonal p-q by r-s in the slots of t and the triangle
    // across edge i, as drawn at the top of this file: t becomes (r, p, s)
    // and u becomes (s, q, r), both counter-clockwise, since p, s, q, r lie
    // on a circle in that order. Returns u.
    size_t flip(size_t t, int i) {
        const size_t u = static_cast<size_t>(n_[3 * t + i]);
        const uint32_t p = v_[3 * t + i], q = v_[3 * t + next(i)], r = v_[3 * t + next(next(i))];
        const int j = edge_in(u, q, p);
        const uint32_t s = v_[3 * u + next(next(j))];
        const int32_t across_qr = n_[3 * t + next(i)], across_rp = n_[3 * t + next(next(i))];
        const int32_t across_ps = n_[3 * u + next(j)], across_sq = n_[3 * u + next(next(j))];
        set(t, {r, p, s}, {across_rp, across_ps, static_cast<int32_t>(u)});
        set(u, {s, q, r}, {across_sq, across_qr, static_cast<int32_t>(t)});
        repoint(across_ps, u, t);
        repoint(across_qr, t, u);
        return u;
    }

 private:
    static int next(int i) { return i == 2 ? 0 : i + 1; }
    double x(uint32_t p) const { return coords_[p * stride_]; }
    double y(uint32_t p) const { return coords_[p * stride_ + 1]; }
    // The order the lifts follow: by x, then y (the mesh's points are
    // distinct, so this is strict).
    bool before(uint32_t a, uint32_t b) const { return x(a) < x(b) || (x(a) == x(b) && y(a) < y(b)); }
    // The edge of triangle u from a to b (it is there: u is t's neighbour).
    int edge_in(size_t u, uint32_t a, uint32_t b) const {
        for (int j = 0; j < 2; ++j) {
            if (v_[3 * u + j] == a && v_[3 * u + next(j)] == b) return j;
        }
        return 2;
    }
    void set(size_t t, const uint32_t (&v)[3], const int32_t (&n)[3]) {
        for (int k = 0; k < 3; ++k) {
            v_[3 * t + k] = v[k];
            n_[3 * t + k] = n[k];
        }
    }
    // Triangle w's neighbour entry that named `from` now names `to`.
    void repoint(int32_t w, size_t from, size_t to) {
        if (w < 0) return;
        for (int k = 0; k < 3; ++k) {
            if (n_[3 * static_cast<size_t>(w) + k] == static_cast<int32_t>(from)) {
                n_[3 * static_cast<size_t>(w) + k] = static_cast<int32_t>(to);
                return;
            }
        }
    }

    const double* coords_;
    size_t stride_;
    uint32_t* v_;
    int32_t* n_;
};

}  // namespace

size_t make_cocircular_diagonals_canonical(const double* coords, size_t stride, uint32_t* triangles,
                                           int32_t* neighbours, size_t triangle_count) {
    FlipMesh mesh(coords, stride, triangles, neighbours);
    struct Edge {
        size_t triangle;
        int index;
    };
    std::vector<Edge> pending;
    size_t flips = 0;
    // Flips edge i of t and pushes the four outer edges: (r, p), (p, s) of
    // t; (s, q), (q, r) of u.
    const auto flip_and_push = [&](size_t t, int i) {
        const size_t u = mesh.flip(t, i);
        ++flips;
        pending.push_back({t, 0});
        pending.push_back({t, 1});
        pending.push_back({u, 0});
        pending.push_back({u, 1});
    };
    // Termination: every flip replaces two triangles whose lifted surface
    // (with the lifts above) folds up along p-q by two that fold down along
    // r-s, so the volume under the lifted surface strictly decreases and no
    // triangulation comes back; there are finitely many triangulations of
    // the points, so there are finitely many flips. The scan takes
    // 3 * triangle_count steps; each flip pushes 4 edges, and each push is
    // popped once: at most 4 * flips pops.
    //
    // The result. The merge's mesh is Delaunay, and a flip inside a
    // cocircular quad keeps it so (both new triangles have the quad's
    // empty circle), so every edge whose quad is not cocircular is
    // strictly Delaunay, for the lifts too. When the loops end no
    // cocircular edge needs a flip either: an edge either kept both its
    // triangles since the scan passed it, or was pushed when the last of
    // them changed. So every edge is convex for the lifts: the mesh is
    // their unique Delaunay triangulation.
    for (size_t t = 0; t < triangle_count; ++t) {
        for (int i = 0; i < 3; ++i) {
            // Each interior edge once, from its lower-numbered triangle;
            // the higher one's slot is further on, or was pushed if it
            // changed.
            if (neighbours[3 * t + i] < static_cast<int32_t>(t) || !mesh.needs_flip(t, i)) continue;
            flip_and_push(t, i);
            while (!pending.empty()) {
                const Edge e = pending.back();
                pending.pop_back();
                if (mesh.needs_flip(e.triangle, e.index)) flip_and_push(e.triangle, e.index);
            }
        }
    }
    return flips;
}

}  // namespace d2d::index_arrays
