/*
 * Triangulating the two polygons a segment cuts out of the triangles it
 * crosses. Each polygon is the segment (its base) and a chain of vertices
 * on one side, and is triangulated as its constrained Delaunay
 * triangulation: the apex over the base is the chain vertex whose circle
 * with the base holds no other chain vertex; the two parts of the chain on
 * either side of the apex are polygons of the same kind, over the apex's
 * two edges.
 *
 *             c[k]
 *            /    \
 *   c[i+1] ./      \. c[j-1]      triangle (c[i], c[j], c[k]),
 *         /   t     \             counter-clockwise; then the chain
 *     c[i] --------- c[j]         c[i..k] over c[i] -> c[k] and c[k..j]
 *            base                 over c[k] -> c[j], each on the left
 *
 * The chain always lies left of its base, and the polygons' rims keep the
 * neighbours and flags they had. Together with a mesh that was constrained
 * Delaunay before, this gives the constrained Delaunay triangulation with
 * the segment.
 */
#include <cstddef>
#include <cstdint>
#include <vector>

#include "operations/constrained/segment_cavity.hpp"

namespace d2d::operations::constrained {
namespace {

using Task = Cavity::Task;

// Triangulates the polygon chain[0..m] over its base chain[0] -> chain[m]
// in slots taken from the end of `slots`; returns the triangle on the base
// (its edge 0 is the base, still unjoined).
int32_t triangulate_polygon(ConstrainedMesh& mesh, const std::vector<uint32_t>& chain, const std::vector<RimEdge>& rim,
                            std::vector<int32_t>& slots, std::vector<Task>& tasks) {
    int32_t base_triangle = -1;
    tasks.clear();
    tasks.push_back({0, static_cast<uint32_t>(chain.size() - 1), -1, 0});
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        const uint32_t a = chain[task.i];
        const uint32_t b = chain[task.j];
        if (task.j == task.i + 1) {
            // A rim edge: join the parent's edge to the triangle outside.
            mesh.join(task.parent, task.edge, rim[task.i].outside, rim[task.i].owner);
            continue;
        }
        // The base stays the same for the whole search: the paired tests
        // share its part of every in-circle determinant.
        const PivotPair base(mesh.xy[2 * a], mesh.xy[2 * a + 1], mesh.xy[2 * b], mesh.xy[2 * b + 1]);
        uint32_t k = task.i + 1;
        PivotPoint apex = base.point(mesh.xy[2 * chain[k]], mesh.xy[2 * chain[k] + 1]);
        for (uint32_t m = task.i + 2; m < task.j; ++m) {
            const PivotPoint other = base.point(mesh.xy[2 * chain[m]], mesh.xy[2 * chain[m] + 1]);
            if (base.incircle(apex, other) > 0.0) {
                k = m;
                apex = other;
            }
        }
        const int32_t t = slots.back();
        slots.pop_back();
        const size_t at = 3 * static_cast<size_t>(t);
        mesh.tri[at] = a;
        mesh.tri[at + 1] = b;
        mesh.tri[at + 2] = chain[k];
        for (int e = 0; e < 3; ++e) {
            mesh.corner[mesh.tri[at + static_cast<size_t>(e)]] = static_cast<int32_t>(at) + e;
        }
        if (task.parent >= 0) {
            mesh.join(task.parent, task.edge, t, 0);
        } else {
            base_triangle = t;
        }
        tasks.push_back({k, task.j, t, 1});
        tasks.push_back({task.i, k, t, 2});
    }
    return base_triangle;
}

}  // namespace

void retriangulate(ConstrainedMesh& mesh, Cavity& cavity) {
    // The left chain lies left of a -> e as it is; the right chain lies left
    // of e -> a when read backwards.
    const int32_t left = triangulate_polygon(mesh, cavity.left, cavity.left_rim, cavity.slots, cavity.tasks);
    cavity.reversed.assign(cavity.right.rbegin(), cavity.right.rend());
    cavity.reversed_rim.assign(cavity.right_rim.rbegin(), cavity.right_rim.rend());
    const int32_t right = triangulate_polygon(mesh, cavity.reversed, cavity.reversed_rim, cavity.slots, cavity.tasks);
    mesh.join(left, 0, right, cavity.owner);
}

}  // namespace d2d::operations::constrained
