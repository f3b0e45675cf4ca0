// Which triangles a constrained call keeps. For the region "inside", the
// triangles are ranked by the fewest segment edges a path from outside the
// hull must cross to reach them (a breadth-first search in which crossing
// an edge off the segments costs nothing and crossing a segment edge costs
// one); those at an odd count lie inside an odd number of rings: even-odd
// nesting, with no need for the rings to be given in any order or
// direction. Each hole point then removes the triangles reachable from its
// own without crossing a segment edge.
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

void remove_hole(const ConstrainedMesh& mesh, int32_t start, std::vector<uint8_t>& keep) {
    if (start < 0 || keep[static_cast<size_t>(start)] == 0) return;
    std::vector<int32_t> stack{start};
    keep[static_cast<size_t>(start)] = 0;
    while (!stack.empty()) {
        const int32_t t = stack.back();
        stack.pop_back();
        for (int i = 0; i < 3; ++i) {
            const int32_t n = mesh.across(t, i);
            if (n < 0 || mesh.fixed(t, i) || keep[static_cast<size_t>(n)] == 0) continue;
            keep[static_cast<size_t>(n)] = 0;
            stack.push_back(n);
        }
    }
}

}  // namespace

bool rings_enclose_a_triangle(const ConstrainedMesh& mesh) {
    // Any closed ring puts the triangles just inside its outermost edges at
    // one crossing: an odd count exists exactly when a ring does.
    const std::vector<uint8_t> odd = inside_rings(mesh);
    return std::find(odd.begin(), odd.end(), uint8_t{1}) != odd.end();
}

std::vector<uint8_t> kept_triangles(ConstrainedMesh& mesh, bool inside, const double* holes, size_t hole_count) {
    std::vector<uint8_t> keep = inside ? inside_rings(mesh) : std::vector<uint8_t>(mesh.triangle_count(), 1);
    for (size_t h = 0; h < hole_count; ++h) {
        remove_hole(mesh, triangle_holding(mesh, holes[2 * h], holes[2 * h + 1]), keep);
    }
    return keep;
}

}  // namespace d2d::operations::constrained
