#include "operations/interpolate/nearest_point_tree.hpp"

#include <algorithm>

#include "operations/interpolate/distance_order.hpp"

namespace d2d::operations {
namespace {

constexpr uint32_t kLeafSize = 8;

}  // namespace

NearestPointTree::NearestPointTree(const MeshInput& mesh, std::vector<uint32_t> points)
    : mesh_(&mesh), points_(std::move(points)) {
    nodes_.reserve(2 * (points_.size() / kLeafSize + 1));
    if (!points_.empty()) build(0, static_cast<uint32_t>(points_.size()));
}

// Recursion depth: each level halves the range, so at most log2(n) + 1.
int32_t NearestPointTree::build(uint32_t first, uint32_t last) {
    const int32_t at = static_cast<int32_t>(nodes_.size());
    nodes_.push_back(Node{});
    Node node{};
    node.first = first;
    node.last = last;
    node.box[0] = node.box[2] = mesh_->x(points_[first]);
    node.box[1] = node.box[3] = mesh_->y(points_[first]);
    for (uint32_t i = first + 1; i < last; ++i) {
        const double x = mesh_->x(points_[i]), y = mesh_->y(points_[i]);
        node.box[0] = std::min(node.box[0], x), node.box[2] = std::max(node.box[2], x);
        node.box[1] = std::min(node.box[1], y), node.box[3] = std::max(node.box[3], y);
    }
    if (last - first > kLeafSize) {
        // Wider side, compared on halves so that a span of 2e308 does not overflow.
        const bool by_x = 0.5 * node.box[2] - 0.5 * node.box[0] >= 0.5 * node.box[3] - 0.5 * node.box[1];
        const uint32_t mid = first + (last - first) / 2;
        std::nth_element(points_.begin() + first, points_.begin() + mid, points_.begin() + last,
                         [&](uint32_t a, uint32_t b) {
                             return by_x ? mesh_->x(a) < mesh_->x(b) : mesh_->y(a) < mesh_->y(b);
                         });
        node.low = build(first, mid);
        node.high = build(mid, last);
    }
    nodes_[static_cast<size_t>(at)] = node;
    return at;
}

uint32_t NearestPointTree::nearest(double qx, double qy) const {
    uint32_t best = points_[0];
    bool have = false;
    // Depth-first, the nearer child first; the stack holds at most one
    // pending sibling per level, and each node is visited once.
    int32_t stack[128];
    int depth = 0;
    stack[depth++] = 0;
    while (depth > 0) {
        const Node& node = nodes_[static_cast<size_t>(stack[--depth])];
        if (have) {
            // The box's nearest point to the query; strictly farther than best: skip.
            const double cx = std::clamp(qx, node.box[0], node.box[2]);
            const double cy = std::clamp(qy, node.box[1], node.box[3]);
            if (compare_squared_distances(cx, cy, mesh_->x(best), mesh_->y(best), qx, qy) > 0) continue;
        }
        if (node.low < 0) {
            for (uint32_t i = node.first; i < node.last; ++i) {
                const uint32_t p = points_[i];
                if (!have) {
                    best = p, have = true;
                    continue;
                }
                const int order = compare_squared_distances(mesh_->x(p), mesh_->y(p), mesh_->x(best),
                                                            mesh_->y(best), qx, qy);
                if (order < 0 || (order == 0 && p < best)) best = p;
            }
            continue;
        }
        const Node& low = nodes_[static_cast<size_t>(node.low)];
        const Node& high = nodes_[static_cast<size_t>(node.high)];
        // Push the farther child first so that the nearer is taken next.
        const auto gap = [&](const Node& n) {
            const double dx = std::max({n.box[0] - qx, 0.0, qx - n.box[2]});
            const double dy = std::max({n.box[1] - qy, 0.0, qy - n.box[3]});
            return std::max(dx, dy);
        };
        const bool low_first = gap(low) <= gap(high);
        stack[depth++] = low_first ? node.high : node.low;
        stack[depth++] = low_first ? node.low : node.high;
    }
    return best;
}

}  // namespace d2d::operations
