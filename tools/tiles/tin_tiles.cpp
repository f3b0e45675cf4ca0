#include "tiles/tin_tiles.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <limits>

#include "formats/mesh_write/ply_records.hpp"
#include "formats/output/atomic_file.hpp"
#include "formats/output/output_error.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/read/input_error.hpp"

namespace d2dcli {

namespace {

constexpr std::size_t faces_per_chunk = std::size_t{1} << 16;

bool in_core(const TileGrid& grid, std::size_t tile, const TilePoint& p) { return grid.tile_of(p.x, p.y) == tile; }

// The distance from p to the segment edge (x0 y0 x1 y1).
double distance_to(const WholeHull::Edge& edge, const TilePoint& p) {
    const double dx = edge[2] - edge[0], dy = edge[3] - edge[1];
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp(((p.x - edge[0]) * dx + (p.y - edge[1]) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - (edge[0] + t * dx), p.y - (edge[1] + t * dy));
}

bool lexicographically_less(const TilePoint& a, const TilePoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

// The vertices in input order: every point but those left out, each with
// its number in the file (from 0), walking the sorted list of left-out
// points beside the pass. Throws InputError when the input no longer holds
// the points it held.
template <typename Vertex>
void each_vertex(PointPasses& input, const std::vector<std::uint64_t>& left_out, std::uint64_t points, Vertex vertex) {
    std::uint64_t index = 0;
    std::size_t skipped = 0;
    input.pass([&](const double* xyz, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++index) {
            if (skipped < left_out.size() && left_out[skipped] == index) {
                ++skipped;
                continue;
            }
            vertex(index - skipped, index, xyz + 3 * i);
        }
    });
    if (index != points) {
        throw InputError("the input changed while it was read (" + std::to_string(points) + " points, then " +
                         std::to_string(index) + ")");
    }
}

}  // namespace

TinTiles::TinTiles(const std::string& scratch_folder) : faces_(scratch_folder) {
    buffer_.reserve(3 * faces_per_chunk);
}

bool TinTiles::settled(const TileMesh& mesh, const TileGrid& grid, std::size_t tile, const WholeHull& hull,
                       double first_halo, TileWant& want) {
    if (mesh.covers_bounds()) {
        return true;
    }
    const delaunay2d_result& r = mesh.result();
    std::vector<std::uint8_t> core(r.point_count);
    bool any_vertex_in_core = false;
    for (std::size_t i = 0; i < r.point_count; ++i) {
        core[i] = in_core(grid, tile, mesh.points()[i]) ? 1 : 0;
        any_vertex_in_core = any_vertex_in_core || (core[i] != 0 && r.vertex_of_point[i] == static_cast<std::int32_t>(i));
    }
    if (r.triangle_count == 0) {
        // Points on one line (or too few): nothing is certain but what the
        // whole set makes, so a core with vertices waits for more points.
        want.somewhere = true;
        return !any_vertex_in_core;
    }
    bool settled = true;
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        const std::uint32_t* v = r.triangles + 3 * t;
        if ((core[v[0]] | core[v[1]] | core[v[2]]) != 0 && !mesh.certain_triangle(t)) {
            want.add(mesh.reach(t));
            settled = false;
        }
    }
    for (std::size_t k = 0; k < r.hull_count; ++k) {
        const TilePoint& a = mesh.vertex(r.hull[k]);
        const TilePoint& b = mesh.vertex(r.hull[(k + 1) % r.hull_count]);
        if ((core[r.hull[k]] | core[r.hull[(k + 1) % r.hull_count]]) == 0 || hull.on_one_edge(a.x, a.y, b.x, b.y)) {
            continue;
        }
        // An edge of the tile's hull that is not the whole set's: its
        // ends' edges of the whole hull (whose far corners seen must hold)
        // say where the missing points are; else they lie beyond the edge,
        // which runs near a side of seen: the box around it reaches there.
        settled = false;
        bool placed = false;
        const double reach = std::hypot(b.x - a.x, b.y - a.y) + first_halo;
        // The strip along a hull edge reaches as far in as the tile's
        // edge strays from it, and a few spacings more.
        auto add_strip = [&](const WholeHull::Edge& edge) {
            const double width = first_halo + std::max(distance_to(edge, a), distance_to(edge, b));
            want.add_strip(edge[0], edge[1], edge[2], edge[3], width);
        };
        for (const TilePoint* end : {&a, &b}) {
            for (const WholeHull::Edge& edge : hull.edges_through(end->x, end->y)) {
                add_strip(edge);
                placed = true;
            }
        }
        if (!placed) {
            // Near the whole hull, the points between the edge and the
            // hull are wanted: a strip along the hull's edge there, whole;
            // otherwise the edge runs along a side of seen, and the box
            // around it reaches beyond that side.
            if (const std::optional<WholeHull::Edge> near = hull.edge_near(a.x, a.y, reach)) {
                add_strip(*near);
            } else {
                want.add(Box{std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach, std::max(a.x, b.x) + reach,
                          std::max(a.y, b.y) + reach});
            }
        }
    }
    return settled;
}

void TinTiles::take(const TileMesh& mesh, const TileGrid& grid, std::size_t tile) {
    const delaunay2d_result& r = mesh.result();
    const std::vector<TilePoint>& points = mesh.points();
    for (std::size_t i = 0; i < r.point_count; ++i) {
        // A repeat of an earlier point: all of them lie in one core, which
        // counts them.
        if (r.vertex_of_point[i] != static_cast<std::int32_t>(i) && in_core(grid, tile, points[i])) {
            left_out_.push_back(points[i].index);
            ++repeated_;
        }
    }
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        const std::uint32_t* v = r.triangles + 3 * t;
        std::uint32_t least = v[0];
        for (int k = 1; k < 3; ++k) {
            if (lexicographically_less(points[v[k]], points[least])) {
                least = v[k];
            }
        }
        if (!in_core(grid, tile, points[least])) {
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            buffer_.push_back(points[v[k]].index);
        }
        ++face_count_;
        if (buffer_.size() == 3 * faces_per_chunk) {
            flush_faces();
        }
    }
    // Each hull vertex starts exactly one hull edge: the core of that
    // vertex records it.
    if (r.triangle_count > 0) {
        for (std::size_t k = 0; k < r.hull_count; ++k) {
            if (in_core(grid, tile, points[r.hull[k]])) {
                hull_vertices_.push_back(points[r.hull[k]].index);
            }
        }
    }
}

void TinTiles::flush_faces() {
    if (!buffer_.empty()) {
        faces_.append(buffer_.data(), buffer_.size() * sizeof(std::uint64_t));
        buffer_.clear();
    }
}

void TinTiles::write(PointPasses& input, const TiledRequest& request, TiledReport& report) {
    flush_faces();
    std::vector<std::uint64_t>().swap(buffer_);
    std::sort(left_out_.begin(), left_out_.end());
    std::sort(hull_vertices_.begin(), hull_vertices_.end());
    report.repeated = repeated_;
    report.not_finite = left_out_.size() - repeated_;
    report.distinct = report.points_read - left_out_.size();
    report.triangles = face_count_;
    report.hull = hull_vertices_.size();
    const std::uint64_t vertices = report.distinct;
    // A vertex's number in the file: its input index less the points left
    // out before it.
    auto number_of = [this](std::uint64_t index) {
        return index - static_cast<std::uint64_t>(std::lower_bound(left_out_.begin(), left_out_.end(), index) -
                                                  left_out_.begin());
    };
    auto each_face = [&](auto face) {
        std::vector<std::uint64_t> chunk;
        for (std::uint64_t at = 0; at < face_count_; at += faces_per_chunk) {
            const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(faces_per_chunk, face_count_ - at));
            chunk.resize(3 * count);
            faces_.read(at * 3 * sizeof(std::uint64_t), chunk.data(), chunk.size() * sizeof(std::uint64_t));
            for (std::size_t f = 0; f < count; ++f) {
                face(number_of(chunk[3 * f]), number_of(chunk[3 * f + 1]), number_of(chunk[3 * f + 2]));
            }
        }
    };

    if (request.format == OutputFormat::ply) {
        if (vertices > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
            throw OutputError(request.output + ": " + std::to_string(vertices) +
                              " vertices are more than a PLY file's int indices number");
        }
        const bool ascii = request.terrain.ascii;
        AtomicFile file(request.output);
        TextSink sink(file.fd(), request.output);
        put_ply_header(sink, ascii, vertices, face_count_);
        each_vertex(input, left_out_, report.points_read,
                    [&](std::uint64_t, std::uint64_t, const double* xyz) { put_ply_vertex(sink, ascii, xyz); });
        each_face([&](std::uint64_t a, std::uint64_t b, std::uint64_t c) { put_ply_triangle(sink, ascii, a, b, c); });
        sink.flush();
        file.finish();
        file.put_in_place();
        report.written = {request.output};
        return;
    }

    // Triangle's .ele and .node, put in place together.
    const std::vector<std::string> paths = output_paths(request.output, OutputFormat::ele);
    const std::string& ele_path = paths[0];
    const std::string& node_path = paths[1];
    const std::int64_t first = request.first_number;
    AtomicFile ele(ele_path);
    AtomicFile node(node_path);
    {
        TextSink sink(ele.fd(), ele_path);
        sink.put_integer(static_cast<std::int64_t>(face_count_));
        sink.put(" 3 0\n");
        std::int64_t number = first;
        each_face([&](std::uint64_t a, std::uint64_t b, std::uint64_t c) {
            sink.put_integer(number++);
            for (std::uint64_t v : {a, b, c}) {
                sink.put(' ');
                sink.put_integer(static_cast<std::int64_t>(v) + first);
            }
            sink.put('\n');
        });
        sink.flush();
        ele.finish();
    }
    {
        TextSink sink(node.fd(), node_path);
        const bool z = input.has_z();
        sink.put_integer(static_cast<std::int64_t>(vertices));
        sink.put(z ? " 2 1 1\n" : " 2 0 1\n");
        std::size_t next_hull = 0;
        each_vertex(input, left_out_, report.points_read, [&](std::uint64_t number, std::uint64_t index, const double* xyz) {
            sink.put_integer(static_cast<std::int64_t>(number) + first);
            sink.put(' ');
            sink.put_shortest(xyz[0]);
            sink.put(' ');
            sink.put_shortest(xyz[1]);
            if (z) {
                sink.put(' ');
                sink.put_shortest(xyz[2]);
            }
            // Without triangles (points on one line) the hull is every point.
            const bool on_hull = face_count_ == 0 ||
                                 (next_hull < hull_vertices_.size() && hull_vertices_[next_hull] == index);
            next_hull += on_hull && face_count_ > 0 ? 1 : 0;
            sink.put(on_hull ? " 1\n" : " 0\n");
        });
        sink.flush();
        node.finish();
    }
    put_in_place_together({&ele, &node});
    report.written = {ele_path, node_path};
}

}  // namespace d2dcli
