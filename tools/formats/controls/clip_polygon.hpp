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

    std::size_t edge_count() const { return edges_.size(); }
    // xmin ymin xmax ymax of the rings.
    const double* box() const { return box_; }
    // Edge k as ax ay bx by.
    const double* edge(std::size_t k) const { return edges_[k].data(); }

private:
    std::vector<std::array<double, 4>> edges_;
    double box_[4];
};

}  // namespace d2dcli
