// Editing the constrained mesh: writing a triangle with its links, finding
// an edge, flipping an edge, and Lawson's flips that restore the
// constrained Delaunay property after a local change.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "operations/constrained/constrained_mesh.hpp"

namespace d2d::operations::constrained {

void ConstrainedMesh::join(int32_t t, int i, int32_t n, uint32_t c) {
    const size_t at = 3 * static_cast<size_t>(t) + static_cast<size_t>(i);
    nbr[at] = n;
    con[at] = c;
    if (n < 0) return;
    const int j = edge_index(n, vertex(t, next3(i)), vertex(t, i));
    const size_t back = 3 * static_cast<size_t>(n) + static_cast<size_t>(j);
    nbr[back] = t;
    con[back] = c;
}

void ConstrainedMesh::put_triangle(int32_t t, const uint32_t (&v)[3], const int32_t (&n)[3], const uint32_t (&c)[3]) {
    const size_t base = 3 * static_cast<size_t>(t);
    for (int i = 0; i < 3; ++i) tri[base + static_cast<size_t>(i)] = v[i];
    for (int i = 0; i < 3; ++i) {
        join(t, i, n[i], c[i]);
        corner[v[i]] = static_cast<int32_t>(base) + i;
    }
}

std::pair<int32_t, int> ConstrainedMesh::find_edge(uint32_t a, uint32_t b) const {
    const int32_t start = corner[a];
    if (start < 0) return {-1, -1};
    // Counter-clockwise around a (across the edge entering a), then, if the
    // hull stopped us, clockwise from the start (across the edge leaving a).
    for (int direction = 0; direction < 2; ++direction) {
        int32_t t = start / 3;
        int i = start % 3;
        for (;;) {
            if (vertex(t, next3(i)) == b) return {t, i};
            const int32_t n = direction == 0 ? across(t, prev3(i)) : across(t, i);
            if (n < 0) break;
            if (n == start / 3) return {-1, -1};
            t = n;
            i = vertex(t, 0) == a ? 0 : (vertex(t, 1) == a ? 1 : 2);
        }
    }
    return {-1, -1};
}

/*
 *  Before:                 After:
 *          r                       r
 *         / \                     /|\
 *        / t \                   / | \
 *       p-----q                 p t|n q
 *        \ n /                   \ | /
 *         \ /                     \|/
 *          s                       s
 * t = (p, q, r) with edge i from p to q; n = (q, p, s). Afterwards
 * t = (r, p, s) and n = (s, q, r); the four outer edges keep their
 * neighbours and flags, the new diagonal r - s is on no segment.
 */
void flip(ConstrainedMesh& mesh, int32_t t, int i) {
    const int32_t n = mesh.across(t, i);
    const uint32_t p = mesh.vertex(t, i);
    const uint32_t q = mesh.vertex(t, next3(i));
    const uint32_t r = mesh.vertex(t, prev3(i));
    const int j = mesh.edge_index(n, q, p);
    const uint32_t s = mesh.vertex(n, prev3(j));
    const int32_t t_qr = mesh.across(t, next3(i));
    const int32_t t_rp = mesh.across(t, prev3(i));
    const int32_t n_ps = mesh.across(n, next3(j));
    const int32_t n_sq = mesh.across(n, prev3(j));
    const uint32_t c_qr = mesh.owner(t, next3(i));
    const uint32_t c_rp = mesh.owner(t, prev3(i));
    const uint32_t c_ps = mesh.owner(n, next3(j));
    const uint32_t c_sq = mesh.owner(n, prev3(j));
    // Write both vertex triples first so that join finds the edges it
    // points back along.
    const size_t tb = 3 * static_cast<size_t>(t);
    const size_t nb = 3 * static_cast<size_t>(n);
    mesh.tri[tb] = r, mesh.tri[tb + 1] = p, mesh.tri[tb + 2] = s;
    mesh.tri[nb] = s, mesh.tri[nb + 1] = q, mesh.tri[nb + 2] = r;
    mesh.join(t, 0, t_rp, c_rp);
    mesh.join(t, 1, n_ps, c_ps);
    mesh.join(n, 0, n_sq, c_sq);
    mesh.join(n, 1, t_qr, c_qr);
    mesh.join(t, 2, n, 0);
    mesh.corner[r] = static_cast<int32_t>(tb);
    mesh.corner[p] = static_cast<int32_t>(tb + 1);
    mesh.corner[s] = static_cast<int32_t>(nb);
    mesh.corner[q] = static_cast<int32_t>(nb + 1);
}

void make_delaunay(ConstrainedMesh& mesh, std::vector<std::pair<uint32_t, uint32_t>>& edges) {
    while (!edges.empty()) {
        const auto [a, b] = edges.back();
        edges.pop_back();
        const auto [t, i] = mesh.find_edge(a, b);
        if (t < 0 || mesh.fixed(t, i)) continue;
        const int32_t n = mesh.across(t, i);
        if (n < 0) continue;
        const uint32_t r = mesh.vertex(t, prev3(i));
        const uint32_t s = mesh.vertex(n, prev3(mesh.edge_index(n, b, a)));
        // An edge whose opposite vertex lies strictly inside the circle of
        // t is not locally Delaunay; its quadrilateral is then strictly
        // convex, so the flip is valid. Cocircular quadrilaterals stay.
        if (mesh.incircle(a, b, r, s) <= 0.0) continue;
        flip(mesh, t, i);
        edges.emplace_back(r, a);
        edges.emplace_back(a, s);
        edges.emplace_back(s, b);
        edges.emplace_back(b, r);
    }
}

}  // namespace d2d::operations::constrained
