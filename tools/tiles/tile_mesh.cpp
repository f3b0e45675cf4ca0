#include "tiles/tile_mesh.hpp"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "index_array_mesh.hpp"

namespace d2dcli {

void TileMesh::clear() {
    delaunay2d_result_free(&result_);
    std::vector<TilePoint>().swap(points_);
    std::vector<std::uint8_t>().swap(certain_triangle_);
}

bool TileMesh::build(const BucketStore& buckets, const TileGrid& grid, const WholeHull& hull, std::size_t tile,
                     const Box& halo, const std::vector<Region>& extras, std::uint64_t most_points,
                     unsigned threads) {
    clear();
    const std::size_t column = tile % grid.columns();
    const std::size_t row = tile / grid.columns();
    const std::array<double, 4>& bounds = grid.bounds;
    bounds_ = bounds;
    hull_ = &hull;
    // The core grown by the halo; a side that reaches the bounds is the
    // bounds' own value, so that "seen holds bounds" is told exactly.
    seen_ = {grid.xs[column] - halo[0], grid.ys[row] - halo[1], grid.xs[column + 1] + halo[2],
             grid.ys[row + 1] + halo[3]};
    seen_[0] = seen_[0] <= bounds[0] ? bounds[0] : seen_[0];
    seen_[1] = seen_[1] <= bounds[1] ? bounds[1] : seen_[1];
    seen_[2] = seen_[2] >= bounds[2] ? bounds[2] : seen_[2];
    seen_[3] = seen_[3] >= bounds[3] ? bounds[3] : seen_[3];
    covers_bounds_ = seen_[0] == bounds[0] && seen_[1] == bounds[1] && seen_[2] == bounds[2] && seen_[3] == bounds[3];

    extras_ = extras;
    // Every point in a closed box lies in a core between the box's
    // corners' cores (column_of and row_of are monotone): read the cores
    // any region touches, each once, testing each point against seen and
    // the extra regions that touch its core.
    std::vector<std::vector<std::uint32_t>> touching(grid.count());
    std::vector<std::uint8_t> wanted(grid.count(), 0);
    auto want_cores = [&](const Box& box, std::uint32_t extra) {
        for (std::size_t r = grid.row_of(box[1]); r <= grid.row_of(box[3]); ++r) {
            for (std::size_t c = grid.column_of(box[0]); c <= grid.column_of(box[2]); ++c) {
                wanted[r * grid.columns() + c] = 1;
                if (extra != UINT32_MAX) {
                    touching[r * grid.columns() + c].push_back(extra);
                }
            }
        }
    };
    want_cores(seen_, UINT32_MAX);
    for (std::size_t e = 0; e < extras_.size(); ++e) {
        want_cores(extras_[e].box, static_cast<std::uint32_t>(e));
    }
    seen_count_ = 0;
    for (std::size_t core = 0; core < grid.count(); ++core) {
        if (wanted[core] == 0) {
            continue;
        }
        buckets.read(core, [&](const TilePoint* chunk, std::size_t count) {
            for (std::size_t k = 0; k < count; ++k) {
                const TilePoint& p = chunk[k];
                bool given = p.x >= seen_[0] && p.x <= seen_[2] && p.y >= seen_[1] && p.y <= seen_[3];
                for (std::size_t e = 0; e < touching[core].size() && !given; ++e) {
                    given = extras_[touching[core][e]].holds(p.x, p.y);
                }
                if (given && ++seen_count_ <= most_points) {
                    points_.push_back(p);
                }
            }
        });
    }
    if (seen_count_ > most_points) {
        clear();
        return false;
    }
    // In input order, so that of repeated points the first stands for them
    // all and ties among cocircular points fall as in the one-pass run.
    std::sort(points_.begin(), points_.end(),
              [](const TilePoint& a, const TilePoint& b) { return a.index < b.index; });
    const delaunay2d_status status = delaunay2d_triangulate(coords(), points_.size(), stride, threads, &result_);
    if (status == DELAUNAY2D_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (status != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot triangulate a tile: ") + delaunay2d_status_message(status));
    }
    certain_triangle_.assign(result_.triangle_count, 0);
    delaunay2d_tile box{};
    box.struct_size = sizeof box;
    std::copy(seen_.begin(), seen_.end(), box.seen);
    std::copy(bounds.begin(), bounds.end(), box.bounds);
    const delaunay2d_status certain = delaunay2d_tile_certain(coords(), stride, &result_, &box,
                                                              certain_triangle_.data(), nullptr);
    if (certain == DELAUNAY2D_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (certain != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot certify a tile's triangles: ") +
                                 delaunay2d_status_message(certain));
    }
    for (std::size_t t = 0; t < result_.triangle_count; ++t) {
        if (certain_triangle_[t] == 0 && given(reach(t))) {
            certain_triangle_[t] = 1;
        }
    }
    return true;
}

bool TileMesh::given(const Region& region) const {
    const Box& box = region.box;
    if (box[0] >= seen_[0] && box[1] >= seen_[1] && box[2] <= seen_[2] && box[3] <= seen_[3]) {
        return true;
    }
    return std::any_of(extras_.begin(), extras_.end(), [&region](const Region& e) { return e.contains(region); });
}

// A sliver along the whole set's hull (and the slivers next to it) has a
// huge circumdisk, which the library's test (the disk cut to the bounds)
// cannot settle short of a halo across the extent. But no point lies
// outside the whole hull: only the part of the disk inside every hull
// edge's line can hold points, and where the centre lies beyond such a
// line that part is within the thin cap over the chord the line cuts:
//
//        chord on the hull edge's line           cap: within height h = r + s
//   ===*=============================*=======    of the line, between the
//       `-.______  points here  ___.-'   (in)    chord's ends
//                 ''-----------''
//                    . centre, s < 0 beyond the line
//
// The box of each such cap holds the part of the disk that can hold
// points; their common part, cut to the bounds and widened by a margin
// for rounding, inside seen makes the triangle certain.
Region TileMesh::reach(std::size_t t) const {
    const std::vector<std::pair<double, double>>& corners = hull_->corners();
    Region whole;
    whole.box = bounds_;
    if (corners.size() < 3) {
        return whole;
    }
    const std::uint32_t* v = result_.triangles + 3 * t;
    const TilePoint& a = points_[v[0]];
    const TilePoint& b = points_[v[1]];
    const TilePoint& c = points_[v[2]];
    // The circumcentre and radius.
    const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    const double d = 2.0 * (bx * cy - by * cx);
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = a.x + (cy * b2 - by * c2) / d, uy = a.y + (bx * c2 - cx * b2) / d;
    const double r = std::sqrt((ux - a.x) * (ux - a.x) + (uy - a.y) * (uy - a.y));
    if (!std::isfinite(r)) {
        return whole;
    }
    double box[4] = {ux - r, uy - r, ux + r, uy + r};
    for (std::size_t k = 0; k < corners.size(); ++k) {
        const auto& [px, py] = corners[k];
        const auto& [qx, qy] = corners[(k + 1) % corners.size()];
        const double length = std::hypot(qx - px, qy - py);
        const double tx = (qx - px) / length, ty = (qy - py) / length;
        const double nx = -ty, ny = tx;  // inward: the corners run counter-clockwise
        const double s = (ux - px) * nx + (uy - py) * ny;
        if (!(s < 0.0) || !(s > -r)) {
            continue;  // the centre inside, or the line misses the disk
        }
        const double h = r + s;
        const double w = std::sqrt(h * (r - s));
        const double fx = ux - s * nx, fy = uy - s * ny;  // the centre's foot on the line
        const double xs[4] = {fx - w * tx, fx + w * tx, fx - w * tx + h * nx, fx + w * tx + h * nx};
        const double ys[4] = {fy - w * ty, fy + w * ty, fy - w * ty + h * ny, fy + w * ty + h * ny};
        box[0] = std::max(box[0], std::min({xs[0], xs[1], xs[2], xs[3]}));
        box[1] = std::max(box[1], std::min({ys[0], ys[1], ys[2], ys[3]}));
        box[2] = std::min(box[2], std::max({xs[0], xs[1], xs[2], xs[3]}));
        box[3] = std::min(box[3], std::max({ys[0], ys[1], ys[2], ys[3]}));
    }
    const double margin = 1e-9 * r + 1e-12 * (std::fabs(ux) + std::fabs(uy));
    // No point lies beyond the bounds: the box counts only within them.
    Region reach;
    reach.box = {std::max(box[0] - margin, bounds_[0]), std::max(box[1] - margin, bounds_[1]),
                 std::min(box[2] + margin, bounds_[2]), std::min(box[3] + margin, bounds_[3])};
    reach.round = true;
    reach.x = ux;
    reach.y = uy;
    reach.r = r;
    return reach;
}

}  // namespace d2dcli
