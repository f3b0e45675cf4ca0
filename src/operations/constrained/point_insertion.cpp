// Adding a point to the constrained mesh: find the triangle that holds it
// by a walk, split that triangle (or the edge or the two triangles the point
// lies on), or extend the mesh when the point lies outside the hull, then
// flip until the mesh is constrained Delaunay again.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/merge/limits.hpp"
#include "operations/constrained/constrained_mesh.hpp"

namespace d2d::operations::constrained {
namespace {

enum class Where { inside, on_edge, at_vertex, outside };

struct Location {
    int32_t t;
    int i;  // the edge (on_edge, outside) or the vertex (at_vertex)
    Where where;
};

// A walk towards (x, y): leave the triangle across an edge that has the
// point strictly on its right. In a triangulation that is not Delaunay a
// walk that always tries the edges in the same order can circle forever;
// trying them from a position drawn from the mesh's own generator cannot
// (with probability one), and the generator's fixed seed keeps every run
// the same.
Location locate(ConstrainedMesh& mesh, double x, double y, int32_t t) {
    for (;;) {
        mesh.walk_state = mesh.walk_state * 6364136223846793005u + 1442695040888963407u;
        const int first = static_cast<int>((mesh.walk_state >> 33) % 3);
        int zero_edges = 0;
        int zero_edge = -1;
        bool moved = false;
        for (int k = 0; k < 3 && !moved; ++k) {
            const int i = (first + k) % 3;
            const uint32_t a = mesh.vertex(t, i);
            const uint32_t b = mesh.vertex(t, next3(i));
            const double o = orient2d_exact(mesh.xy[2 * a], mesh.xy[2 * a + 1], mesh.xy[2 * b], mesh.xy[2 * b + 1], x, y);
            if (o < 0.0) {
                const int32_t n = mesh.across(t, i);
                if (n < 0) return {t, i, Where::outside};
                t = n;
                moved = true;
            } else if (o == 0.0) {
                ++zero_edges;
                zero_edge = i;
            }
        }
        if (moved) continue;
        for (int i = 0; i < 3; ++i) {
            const uint32_t v = mesh.vertex(t, i);
            if (mesh.xy[2 * v] == x && mesh.xy[2 * v + 1] == y) return {t, i, Where::at_vertex};
        }
        if (zero_edges == 1) return {t, zero_edge, Where::on_edge};
        return {t, -1, Where::inside};
    }
}

uint32_t add_vertex(ConstrainedMesh& mesh, double x, double y) {
    const size_t v = mesh.vertex_count();
    if (v >= kMostPoints) throw TooManyPoints{};
    mesh.xy.push_back(x);
    mesh.xy.push_back(y);
    mesh.corner.push_back(-1);
    return static_cast<uint32_t>(v);
}

/*
 *        r                  r
 *       / \                /|\
 *      /   \              / | \
 *     /  v  \    ->      / n2v n1\
 *    /       \          / /   \ \
 *   p---------q        p---------q
 *                         t
 * t = (p, q, r) becomes (p, q, v), n1 = (q, r, v), n2 = (r, p, v).
 */
void split_triangle(ConstrainedMesh& mesh, int32_t t, uint32_t v, std::vector<std::pair<uint32_t, uint32_t>>& flips) {
    const uint32_t p = mesh.vertex(t, 0), q = mesh.vertex(t, 1), r = mesh.vertex(t, 2);
    const int32_t out_qr = mesh.across(t, 1), out_rp = mesh.across(t, 2);
    const uint32_t c_qr = mesh.owner(t, 1), c_rp = mesh.fixed(t, 2);
    const int32_t n1 = mesh.new_triangle();
    const int32_t n2 = mesh.new_triangle();
    // Vertex triples first, links after, so that every join finds its edge.
    const uint32_t tv[3] = {p, q, v}, n1v[3] = {q, r, v}, n2v[3] = {r, p, v};
    for (int k = 0; k < 3; ++k) {
        mesh.tri[3 * static_cast<size_t>(t) + static_cast<size_t>(k)] = tv[k];
        mesh.tri[3 * static_cast<size_t>(n1) + static_cast<size_t>(k)] = n1v[k];
        mesh.tri[3 * static_cast<size_t>(n2) + static_cast<size_t>(k)] = n2v[k];
    }
    mesh.put_triangle(n1, n1v, {out_qr, n2, t}, {c_qr, 0, 0});
    mesh.put_triangle(n2, n2v, {out_rp, t, n1}, {c_rp, 0, 0});
    mesh.put_triangle(t, tv, {mesh.across(t, 0), n1, n2}, {(mesh.owner(t, 0)), 0, 0});
    flips.emplace_back(p, q);
    flips.emplace_back(q, r);
    flips.emplace_back(r, p);
}

/*
 *        r                   r
 *       / \                 /|\
 *      / t \               / | \
 *     p--v--q     ->      p t v t2 q      (and the same below for n)
 *      \ n /               \n2 | n/
 *       \ /                 \|/
 *        s                   s
 * Edge i of t runs p -> q. t = (r, p, v), t2 = (r, v, q); below,
 * n = (s, q, v), n2 = (s, v, p). The halves p - v and v - q keep the flag
 * of p - q.
 */
void split_edge(ConstrainedMesh& mesh, int32_t t, int i, uint32_t v, std::vector<std::pair<uint32_t, uint32_t>>& flips) {
    const uint32_t p = mesh.vertex(t, i), q = mesh.vertex(t, next3(i)), r = mesh.vertex(t, prev3(i));
    const int32_t n = mesh.across(t, i);
    const uint32_t c = mesh.owner(t, i);
    const int32_t out_qr = mesh.across(t, next3(i)), out_rp = mesh.across(t, prev3(i));
    const uint32_t c_qr = mesh.owner(t, next3(i)), c_rp = mesh.fixed(t, prev3(i));
    const int32_t t2 = mesh.new_triangle();
    uint32_t s = 0;
    int32_t n2 = -1, out_sq = -1, out_ps = -1;
    uint32_t c_sq = 0, c_ps = 0;
    if (n >= 0) {
        const int j = mesh.edge_index(n, q, p);
        s = mesh.vertex(n, prev3(j));
        out_ps = mesh.across(n, next3(j));
        out_sq = mesh.across(n, prev3(j));
        c_ps = mesh.owner(n, next3(j));
        c_sq = mesh.owner(n, prev3(j));
        n2 = mesh.new_triangle();
    }
    const uint32_t tv[3] = {r, p, v}, t2v[3] = {r, v, q}, nv[3] = {s, q, v}, n2v[3] = {s, v, p};
    auto write = [&](int32_t k, const uint32_t (&w)[3]) {
        for (int m = 0; m < 3; ++m) mesh.tri[3 * static_cast<size_t>(k) + static_cast<size_t>(m)] = w[m];
    };
    write(t, tv);
    write(t2, t2v);
    if (n >= 0) {
        write(n, nv);
        write(n2, n2v);
    }
    mesh.put_triangle(t, tv, {out_rp, n2, t2}, {c_rp, c, 0});
    mesh.put_triangle(t2, t2v, {t, n, out_qr}, {0, c, c_qr});
    if (n >= 0) {
        mesh.put_triangle(n, nv, {out_sq, t2, n2}, {c_sq, c, 0});
        mesh.put_triangle(n2, n2v, {n, t, out_ps}, {0, c, c_ps});
        flips.emplace_back(s, q);
        flips.emplace_back(p, s);
    } else {
        mesh.hull_changed = true;
    }
    flips.emplace_back(r, p);
    flips.emplace_back(q, r);
}

// A point outside the hull, seen from the hull edge i of t: one new
// triangle on each hull edge that has the point strictly on its outer side,
// walking the hull both ways from that edge. Crossing points are only taken
// strictly inside the quadrilateral of two pieces, whose corners are
// vertices, so they never land outside the hull; this keeps insert_point
// whole for any point all the same.
void extend_hull(ConstrainedMesh& mesh, int32_t t, int i, uint32_t v, std::vector<std::pair<uint32_t, uint32_t>>& flips) {
    mesh.hull_changed = true;
    std::vector<std::pair<int32_t, int>> visible{{t, i}};
    // The hull edge after (direction 0) or before (1) a hull edge (t, i).
    auto hull_step = [&](int32_t s, int k, int direction) {
        uint32_t pivot = direction == 0 ? mesh.vertex(s, next3(k)) : mesh.vertex(s, k);
        int m = direction == 0 ? next3(k) : k;  // pivot's corner in s
        for (;;) {
            const int edge = direction == 0 ? m : prev3(m);
            const int32_t n = mesh.across(s, edge);
            if (n < 0) return std::pair<int32_t, int>{s, edge};
            s = n;
            m = mesh.vertex(s, 0) == pivot ? 0 : (mesh.vertex(s, 1) == pivot ? 1 : 2);
        }
    };
    auto sees = [&](std::pair<int32_t, int> e) {
        return mesh.orient(mesh.vertex(e.first, e.second), mesh.vertex(e.first, next3(e.second)), v) < 0.0;
    };
    for (int direction = 0; direction < 2; ++direction) {
        for (auto e = hull_step(t, i, direction); sees(e) && e != visible.front(); e = hull_step(e.first, e.second, direction)) {
            if (direction == 0) {
                visible.push_back(e);
            } else {
                visible.insert(visible.begin(), e);
            }
        }
    }
    // One triangle (b, a, v) per visible edge a -> b, in hull order, each
    // joined to the one before it along the new edge through v.
    int32_t before = -1;
    for (const auto& [s, k] : visible) {
        const uint32_t a = mesh.vertex(s, k), b = mesh.vertex(s, next3(k));
        const int32_t n = mesh.new_triangle();
        const uint32_t w[3] = {b, a, v};
        for (int m = 0; m < 3; ++m) mesh.tri[3 * static_cast<size_t>(n) + static_cast<size_t>(m)] = w[m];
        mesh.put_triangle(n, w, {s, before, -1}, {(mesh.owner(s, k)), 0, 0});
        before = n;
        flips.emplace_back(b, a);
    }
}

}  // namespace

int32_t triangle_holding(ConstrainedMesh& mesh, double x, double y) {
    if (mesh.triangle_count() == 0) return -1;
    const Location at = locate(mesh, x, y, 0);
    return at.where == Where::outside ? -1 : at.t;
}

uint32_t insert_point(ConstrainedMesh& mesh, double x, double y, int32_t near) {
    const Location at = locate(mesh, x, y, near);
    if (at.where == Where::at_vertex) return mesh.vertex(at.t, at.i);
    const uint32_t v = add_vertex(mesh, x, y);
    std::vector<std::pair<uint32_t, uint32_t>> flips;
    switch (at.where) {
        case Where::inside:
            split_triangle(mesh, at.t, v, flips);
            break;
        case Where::on_edge:
            split_edge(mesh, at.t, at.i, v, flips);
            break;
        default:
            extend_hull(mesh, at.t, at.i, v, flips);
            break;
    }
    make_delaunay(mesh, flips);
    return v;
}

uint32_t split_edge_at(ConstrainedMesh& mesh, int32_t t, int i, double x, double y) {
    const uint32_t v = add_vertex(mesh, x, y);
    std::vector<std::pair<uint32_t, uint32_t>> flips;
    split_edge(mesh, t, i, v, flips);
    make_delaunay(mesh, flips);
    return v;
}

}  // namespace d2d::operations::constrained
