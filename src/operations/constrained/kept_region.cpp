// Which triangles a constrained call keeps. For the region "inside", the
// triangles are ranked by the fewest segment edges a path from outside the
// hull must cross to reach them (a breadth-first search in which crossing
// an edge off the segments costs nothing and crossing a segment edge costs
// one); those at an odd count lie inside an odd number of rings: even-odd
// nesting, with no need for the rings to be given in any order or
// direction. Each hole point then removes the triangles reachable from its
// own without crossing a segment edge, unless it lies on a segment edge
// or at one's end. Regions spread the same way among the kept triangles.
#include "operations/constrained/kept_region.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace d2d::operations::constrained {
namespace {

std::vector<uint8_t> inside_rings(const ConstrainedMesh& mesh) {
    const size_t count = mesh.triangle_count();
    constexpr uint32_t kUnseen = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> crossings(count, kUnseen);
    // Layer by layer: `layer` holds the triangles reached with `cost`
    // crossings, spread to all that can be reached from them without
    // crossing a segment; triangles across a segment edge start the next.
    std::vector<int32_t> layer;
    std::vector<int32_t> next;
    // Each triangle on the hull is reached from outside across its hull
    // edges; a hull edge on a segment costs one.
    for (size_t t = 0; t < count; ++t) {
        for (int i = 0; i < 3; ++i) {
            if (mesh.nbr[3 * t + static_cast<size_t>(i)] >= 0) continue;
            const bool on_segment = mesh.con[3 * t + static_cast<size_t>(i)] != 0;
            if (!on_segment && crossings[t] != 0) {
                crossings[t] = 0;
                layer.push_back(static_cast<int32_t>(t));
            } else if (on_segment) {
                next.push_back(static_cast<int32_t>(t));
            }
        }
    }
    std::vector<int32_t> across_segments;
    for (uint32_t cost = 0; !layer.empty() || !next.empty(); ++cost) {
        // From the second layer on: the triangles across segment edges from
        // the layer before that it has not reached.
        across_segments.swap(next);
        next.clear();
        for (const int32_t t : across_segments) {
            if (cost > 0 && crossings[static_cast<size_t>(t)] == kUnseen) {
                crossings[static_cast<size_t>(t)] = cost;
                layer.push_back(t);
            } else if (cost == 0) {
                next.push_back(t);
            }
        }
        while (!layer.empty()) {
            const int32_t t = layer.back();
            layer.pop_back();
            for (int i = 0; i < 3; ++i) {
                const int32_t n = mesh.across(t, i);
                if (n < 0 || crossings[static_cast<size_t>(n)] != kUnseen) continue;
                if (mesh.fixed(t, i)) {
                    next.push_back(n);
                } else {
                    crossings[static_cast<size_t>(n)] = cost;
                    layer.push_back(n);
                }
            }
        }
    }
    std::vector<uint8_t> keep(count);
    for (size_t t = 0; t < count; ++t) keep[t] = static_cast<uint8_t>(crossings[t] % 2);
    return keep;
}

// Gives `value` to start and every triangle reachable from it across edges
// off the segments whose mark is `from` (a flood fill; each triangle is
// marked once, so it ends).
template <class T>
void flood(const ConstrainedMesh& mesh, int32_t start, std::vector<T>& mark, T from, T value,
           const std::vector<uint8_t>* within = nullptr) {
    auto open = [&](int32_t t) { return mark[static_cast<size_t>(t)] == from && (within == nullptr || (*within)[static_cast<size_t>(t)] != 0); };
    if (start < 0 || !open(start)) return;
    std::vector<int32_t> stack{start};
    mark[static_cast<size_t>(start)] = value;
    while (!stack.empty()) {
        const int32_t t = stack.back();
        stack.pop_back();
        for (int i = 0; i < 3; ++i) {
            const int32_t n = mesh.across(t, i);
            if (n < 0 || mesh.fixed(t, i) || !open(n)) continue;
            mark[static_cast<size_t>(n)] = value;
            stack.push_back(n);
        }
    }
}

// Whether (x, y), held by triangle t, lies on one of t's segment edges or
// at a vertex that ends a segment edge.
//
//        a                    the point at a: every edge around a is
//       /|\                   looked at (both ways round, the hull may
//      / | \                  stop the turn); on edge a-b: only that edge
//     c--b--d
bool on_segment(const ConstrainedMesh& mesh, int32_t t, double x, double y) {
    for (int i = 0; i < 3; ++i) {
        const uint32_t v = mesh.vertex(t, i);
        if (mesh.xy[2 * v] != x || mesh.xy[2 * v + 1] != y) continue;
        for (int direction = 0; direction < 2; ++direction) {
            int32_t s = t;
            int k = i;
            do {
                if (mesh.fixed(s, k) || mesh.fixed(s, prev3(k))) return true;
                s = direction == 0 ? mesh.across(s, prev3(k)) : mesh.across(s, k);
                if (s >= 0) k = mesh.vertex(s, 0) == v ? 0 : (mesh.vertex(s, 1) == v ? 1 : 2);
            } while (s >= 0 && s != t);
            if (s == t) break;
        }
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (!mesh.fixed(t, i)) continue;
        const uint32_t a = mesh.vertex(t, i), b = mesh.vertex(t, next3(i));
        // Inside the closed triangle and on the line of a - b: on the edge.
        if (orient2d_exact(mesh.xy[2 * a], mesh.xy[2 * a + 1], mesh.xy[2 * b], mesh.xy[2 * b + 1], x, y) == 0.0) return true;
    }
    return false;
}

}  // namespace

bool rings_enclose_a_triangle(const ConstrainedMesh& mesh) {
    // Any closed ring puts the triangles just inside its outermost edges at
    // one crossing: an odd count exists exactly when a ring does.
    const std::vector<uint8_t> odd = inside_rings(mesh);
    return std::find(odd.begin(), odd.end(), uint8_t{1}) != odd.end();
}

std::vector<uint8_t> kept_triangles(ConstrainedMesh& mesh, bool inside, const double* holes, size_t hole_count,
                                    size_t* on_segment_count) {
    std::vector<uint8_t> keep = inside ? inside_rings(mesh) : std::vector<uint8_t>(mesh.triangle_count(), 1);
    *on_segment_count = 0;
    for (size_t h = 0; h < hole_count; ++h) {
        const int32_t t = triangle_holding(mesh, holes[2 * h], holes[2 * h + 1]);
        if (t >= 0 && on_segment(mesh, t, holes[2 * h], holes[2 * h + 1])) {
            ++*on_segment_count;
            continue;
        }
        flood<uint8_t>(mesh, t, keep, 1, 0);
    }
    return keep;
}

std::vector<int32_t> region_of_triangles(ConstrainedMesh& mesh, const std::vector<uint8_t>& keep,
                                         const std::vector<RegionSeed>& seeds) {
    std::vector<int32_t> region(mesh.triangle_count(), -1);
    // Every fill covers a whole part (kept triangles joined across edges off
    // the segments), so a part carries one mark: region k overwrites the
    // mark its seed's triangle has now, over the part.
    for (size_t k = 0; k < seeds.size(); ++k) {
        const int32_t t = triangle_holding(mesh, seeds[k].x, seeds[k].y);
        if (t < 0 || keep[static_cast<size_t>(t)] == 0) continue;
        const int32_t current = region[static_cast<size_t>(t)];
        if (current == static_cast<int32_t>(k)) continue;
        flood<int32_t>(mesh, t, region, current, static_cast<int32_t>(k), &keep);
    }
    return region;
}

}  // namespace d2d::operations::constrained
