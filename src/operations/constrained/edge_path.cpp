// The insertion's fallback: a piece that would cross a segment edge follows
// a shortest path of existing edges between its ends instead.
//
// Dijkstra's search from a over the mesh's edges, weighted by length,
// stopped when b is settled. Termination: each vertex is settled at most
// once and the mesh is connected, so the search ends, having looked at no
// more than every edge twice; the path has at most as many edges as there
// are vertices. The search keeps its state in arrays over all vertices:
// snap rounding leaves this fallback for rare pieces only, so the arrays'
// cost is paid rarely. Ties are broken by vertex number: the same path on
// every run.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

#include "operations/constrained/constrained_mesh.hpp"

namespace d2d::operations::constrained {
namespace {

// Calls visit(w) for every vertex w joined to v by an edge (some twice).
template <class Visit>
void for_each_neighbour(const ConstrainedMesh& mesh, uint32_t v, Visit&& visit) {
    const int32_t start = mesh.corner[v];
    if (start < 0) return;
    for (int direction = 0; direction < 2; ++direction) {
        int32_t t = start / 3;
        int i = start % 3;
        for (;;) {
            visit(mesh.vertex(t, next3(i)));
            visit(mesh.vertex(t, prev3(i)));
            const int32_t n = direction == 0 ? mesh.across(t, prev3(i)) : mesh.across(t, i);
            if (n < 0) break;
            if (n == start / 3) return;  // all the way round: an inner vertex
            t = n;
            i = mesh.vertex(t, 0) == v ? 0 : (mesh.vertex(t, 1) == v ? 1 : 2);
        }
    }
}

double length(const ConstrainedMesh& mesh, uint32_t p, uint32_t q) {
    // Halved so that no difference overflows.
    return std::hypot(mesh.xy[2 * p] * 0.5 - mesh.xy[2 * q] * 0.5, mesh.xy[2 * p + 1] * 0.5 - mesh.xy[2 * q + 1] * 0.5);
}

}  // namespace

void mark_edge_path(ConstrainedMesh& mesh, uint32_t a, uint32_t b, uint32_t owner) {
    using Entry = std::pair<double, uint32_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> queue;
    constexpr uint32_t kNone = 0xffffffffu;
    const size_t count = mesh.vertex_count();
    std::vector<double> distance_to(count, INFINITY);
    std::vector<uint32_t> previous(count, kNone);
    std::vector<uint8_t> settled(count, 0);
    distance_to[a] = 0.0;
    previous[a] = a;
    queue.push({0.0, a});
    while (!queue.empty()) {
        // Named copies, not a structured binding: the lambda below captures
        // them, which C++20 allows but older compilers (clang 14) refuse.
        const double distance = queue.top().first;
        const uint32_t v = queue.top().second;
        queue.pop();
        if (settled[v] != 0) continue;
        settled[v] = 1;
        if (v == b) break;
        for_each_neighbour(mesh, v, [&](uint32_t w) {
            // A settled vertex keeps its path: every predecessor was
            // settled before its successor, so the path back from b ends.
            if (settled[w] != 0) return;
            const double through = distance + length(mesh, v, w);
            if (previous[w] == kNone || through < distance_to[w] || (through == distance_to[w] && v < previous[w])) {
                distance_to[w] = through;
                previous[w] = v;
                queue.push({through, w});
            }
        });
    }
    if (previous[b] == kNone) return;  // not reached for a connected mesh
    for (uint32_t w = b; w != a;) {
        const uint32_t v = previous[w];
        const auto [t, i] = mesh.find_edge(v, w);
        if (t >= 0 && (!mesh.fixed(t, i) || owner < mesh.owner(t, i))) mesh.join(t, i, mesh.across(t, i), owner);
        if (t < 0) {
            // The edge w -> v runs the other way round the hull.
            const auto [s, k] = mesh.find_edge(w, v);
            if (s >= 0 && (!mesh.fixed(s, k) || owner < mesh.owner(s, k))) mesh.join(s, k, mesh.across(s, k), owner);
        }
        w = v;
    }
}

}  // namespace d2d::operations::constrained
