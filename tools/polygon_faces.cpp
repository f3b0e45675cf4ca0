#include "polygon_faces.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace d2dcli {

namespace {

// Even-odd over the polygon's rings: how many edges a ray to the right of
// (x, y) crosses.
bool holds(const InputPolygon& polygon, double x, double y) {
    bool inside = false;
    for (const std::vector<double>& ring : polygon.rings) {
        const std::size_t n = ring.size() / 2;
        for (std::size_t k = 0, j = n - 1; k < n; j = k++) {
            const double ax = ring[2 * j], ay = ring[2 * j + 1], bx = ring[2 * k], by = ring[2 * k + 1];
            if ((ay > y) != (by > y) && x < ax + (y - ay) / (by - ay) * (bx - ax)) {
                inside = !inside;
            }
        }
    }
    return inside;
}

// The polygons filed by the grid cells their bounding boxes cover; one
// covering more than a few rows of cells goes to a list every look-up
// checks, so that filing costs a few rows per polygon.
class PolygonGrid {
public:
    explicit PolygonGrid(const std::vector<InputPolygon>& polygons) : polygons_(polygons) {
        west_ = south_ = std::numeric_limits<double>::infinity();
        double east = -west_, north = -west_;
        for (const InputPolygon& p : polygons) {
            west_ = std::min(west_, p.box[0]);
            south_ = std::min(south_, p.box[1]);
            east = std::max(east, p.box[2]);
            north = std::max(north, p.box[3]);
        }
        side_ = std::clamp<std::size_t>(static_cast<std::size_t>(std::sqrt(static_cast<double>(polygons.size()))), 1, 512);
        width_ = std::max(east - west_, std::numeric_limits<double>::min()) / static_cast<double>(side_);
        height_ = std::max(north - south_, std::numeric_limits<double>::min()) / static_cast<double>(side_);
        cells_.resize(side_ * side_);
        for (std::size_t i = 0; i < polygons.size(); ++i) {
            const auto& box = polygons[i].box;
            const std::size_t c0 = cell(box[0], west_, width_), c1 = cell(box[2], west_, width_);
            const std::size_t r0 = cell(box[1], south_, height_), r1 = cell(box[3], south_, height_);
            if ((c1 - c0 + 1) * (r1 - r0 + 1) > 4 * side_) {
                large_.push_back(i);
                continue;
            }
            for (std::size_t r = r0; r <= r1; ++r) {
                for (std::size_t c = c0; c <= c1; ++c) {
                    cells_[r * side_ + c].push_back(i);
                }
            }
        }
    }

    // The last polygon in the input that holds (x, y), or -1.
    std::int64_t last_holding(double x, double y) const {
        std::int64_t found = -1;
        auto consider = [&](std::size_t i) {
            const auto& box = polygons_[i].box;
            if (static_cast<std::int64_t>(i) > found && x >= box[0] && x <= box[2] && y >= box[1] && y <= box[3] &&
                holds(polygons_[i], x, y)) {
                found = static_cast<std::int64_t>(i);
            }
        };
        for (std::size_t i : cells_[cell(y, south_, height_) * side_ + cell(x, west_, width_)]) {
            consider(i);
        }
        for (std::size_t i : large_) {
            consider(i);
        }
        return found;
    }

private:
    std::size_t cell(double at, double origin, double size) const {
        const double c = std::floor((at - origin) / size);
        return c < 0.0 ? 0 : std::min(static_cast<std::size_t>(c), side_ - 1);
    }

    const std::vector<InputPolygon>& polygons_;
    std::size_t side_ = 1;
    double west_ = 0.0, south_ = 0.0, width_ = 1.0, height_ = 1.0;
    std::vector<std::vector<std::size_t>> cells_;
    std::vector<std::size_t> large_;
};

}  // namespace

PolygonFaces polygon_faces(const delaunay2d_constrained_result& result, const std::vector<InputPolygon>& polygons) {
    const delaunay2d_result& mesh = result.mesh;
    const std::size_t triangles = mesh.triangle_count;
    PolygonFaces faces;
    faces.keep.assign(triangles, 0);
    faces.label.assign(triangles, 0.0);
    const PolygonGrid grid(polygons);
    auto x = [&](std::uint32_t v) { return result.points[2 * v]; };
    auto y = [&](std::uint32_t v) { return result.points[2 * v + 1]; };
    std::vector<std::uint8_t> seen(triangles, 0);
    std::vector<std::size_t> face;
    for (std::size_t first = 0; first < triangles; ++first) {
        if (seen[first] != 0) {
            continue;
        }
        // Gather the face; every triangle joins one face once, so the walk
        // over all faces takes each triangle once.
        face.assign(1, first);
        seen[first] = 1;
        for (std::size_t k = 0; k < face.size(); ++k) {
            const std::size_t t = face[k];
            for (int e = 0; e < 3; ++e) {
                const std::int32_t next = mesh.neighbours[3 * t + e];
                if (next >= 0 && result.constrained[3 * t + e] == 0 && seen[static_cast<std::size_t>(next)] == 0) {
                    seen[static_cast<std::size_t>(next)] = 1;
                    face.push_back(static_cast<std::size_t>(next));
                }
            }
        }
        // Its widest triangle's centre stands for it: well inside the
        // face, away from the segments that rounding may have moved.
        std::size_t widest = first;
        double widest_area = -1.0;
        for (std::size_t t : face) {
            const std::uint32_t* v = &mesh.triangles[3 * t];
            const double area = (x(v[1]) - x(v[0])) * (y(v[2]) - y(v[0])) - (y(v[1]) - y(v[0])) * (x(v[2]) - x(v[0]));
            if (area > widest_area) {
                widest_area = area;
                widest = t;
            }
        }
        const std::uint32_t* v = &mesh.triangles[3 * widest];
        const std::int64_t holder = grid.last_holding((x(v[0]) + x(v[1]) + x(v[2])) / 3.0,
                                                      (y(v[0]) + y(v[1]) + y(v[2])) / 3.0);
        if (holder < 0) {
            continue;
        }
        for (std::size_t t : face) {
            faces.keep[t] = 1;
            faces.label[t] = polygons[static_cast<std::size_t>(holder)].label;
        }
    }
    return faces;
}

}  // namespace d2dcli
