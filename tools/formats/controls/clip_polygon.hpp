// The polygon of --clip: every edge of its rings, and which points lie
// inside by the even-odd rule (a point is inside when a ray from it crosses
// the edges an odd number of times), so that holes, islands in holes and
// rings given in either direction need no bookkeeping.
//
//        +-----------+        ray from p: crosses 1 edge  -> inside
//        |  +-----+  |        ray from q: crosses 2 edges -> outside
//        |  |  q ---------->
//        | p ---------------->
//        +-----------+
//
// A point's side of each edge is decided exactly (exact_side.hpp); a point
// on a ring counts as inside on the edges whose inside lies above or to the
// right of it and outside on the others (the half-open rule: an edge owns
// its lower end), so a cell centre on the border between two clip polygons
// falls in exactly one of them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace d2dcli {

class ClipPolygon {
public:
    // Rings as points (x, y interleaved) and segments (pairs of point
    // indices), as the .poly and GeoJSON readers give them.
    ClipPolygon(std::span<const double> xy, std::span<const std::uint32_t> segments);

    // Reads the polygon file at path (a .poly or GeoJSON file, or another
    // format the input readers take); throws InputError naming it, also
    // when it has no segments.
    static ClipPolygon read(const std::string& path);

    bool contains(double x, double y) const;
    // inside[k] = contains(xs[k], y) for a row of points at one y: only the
    // edges that span y are looked at.
    void row(double y, std::span<const double> xs, std::vector<std::uint8_t>& inside) const;

    // Calls visit(k) for each edge k that may meet the band ymin <= y <=
    // ymax (every edge that does, and some that do not).
    template <typename Visit>
    void edges_near(double ymin, double ymax, Visit&& visit) const {
        if (strips_.empty() || ymax < box_[1] || ymin > box_[3]) {
            return;
        }
        const std::size_t first = strip_of(ymin);
        const std::size_t last = strip_of(ymax);
        for (std::size_t s = first; s <= last; ++s) {
            for (std::uint32_t k = strip_start_[s]; k < strip_start_[s + 1]; ++k) {
                const std::uint32_t e = strips_[k];
                // An edge in several strips is visited once: in the first
                // of them that the band reaches.
                if (s == first || strip_of(std::min(edges_[e][1], edges_[e][3])) == s) {
                    visit(static_cast<std::size_t>(e));
                }
            }
        }
    }

    std::size_t edge_count() const { return edges_.size(); }
    // xmin ymin xmax ymax of the rings.
    const double* box() const { return box_; }
    // Edge k as ax ay bx by.
    const double* edge(std::size_t k) const { return edges_[k].data(); }

private:
    std::size_t strip_of(double y) const;

    std::vector<std::array<double, 4>> edges_;
    double box_[4];
    // The edges by horizontal strips of the box: the edges that reach
    // strip s are strips_[strip_start_[s] .. strip_start_[s + 1]), so that a
    // point's test looks at the few edges near its y, not at all of them.
    double strip_height_ = 1.0;
    std::vector<std::uint32_t> strip_start_;
    std::vector<std::uint32_t> strips_;
};

}  // namespace d2dcli
