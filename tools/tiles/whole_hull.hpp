// The convex hull of the whole set, gathered during the pass that sorts the
// points into cores (the hull of a block's points and the hull so far, over
// and over), with exact orientation tests throughout. A tile then tells
// its hull edges that are the whole set's, and the raster cells outside
// the whole mesh, without growing its halo to the bounds: a triangle's
// certainty is local, a hull edge's is not (the half-plane beyond it
// reaches across the whole extent).
//
//        whole hull (corners only)
//     q1 +-------------------+ q2     a tile's hull edge a->b is the whole
//       /  a     b            \        set's when a and b both lie on one
//      +--*=====*--------------+       edge of the whole hull (points on
//     q0                        q3     an edge between corners included)
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace d2dcli {

class WholeHull {
public:
    void add(double x, double y) {
        pending_.emplace_back(x, y);
        if (pending_.size() >= batch) {
            merge();
        }
    }
    // Merges what is pending; call before the questions below.
    void finish() { merge(); }

    // Corners, counter-clockwise (no point between two corners on an edge).
    const std::vector<std::pair<double, double>>& corners() const { return corners_; }
    // Whether (x, y) lies strictly outside the hull.
    bool outside(double x, double y) const;
    // Whether both points lie on one edge of the hull (on its line: the set
    // has no point beyond it, so on the segment).
    bool on_one_edge(double ax, double ay, double bx, double by) const;
    // An edge as its two corners: x0 y0 x1 y1.
    using Edge = std::array<double, 4>;
    // The hull's edges that (x, y) lies on (none, one, or two at a corner).
    std::vector<Edge> edges_through(double x, double y) const;
    // The hull's edge nearest to (x, y), when it lies within distance (in
    // floating point: a guide to where points are wanted, not a decision).
    std::optional<Edge> edge_near(double x, double y, double distance) const;

private:
    static constexpr std::size_t batch = std::size_t{1} << 16;
    void merge();

    std::vector<std::pair<double, double>> corners_;
    std::vector<std::pair<double, double>> pending_;
};

}  // namespace d2dcli
