// The constrained call: checks the caller's records, triangulates the
// points with the index-array call, inserts the segments, keeps the region asked
// for and writes the result arrays. Nothing here prints, exits, draws
// random numbers or keeps state between calls.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "delaunay2d.h"
#include "engine/system/allocation_faults.hpp"
#include "engine/system/host_array.hpp"
#include "operations/constrained/constrained_mesh.hpp"
#include "operations/constrained/kept_region.hpp"

namespace d2d::constrained {
namespace {

// The sizes of the records' first version: a host that knows less than
// this cannot have filled them in.
constexpr size_t kFirstOptionsSize = offsetof(delaunay2d_constraint_options, threads) + sizeof(unsigned);
constexpr size_t kFirstResultSize = offsetof(delaunay2d_constrained_result, segments) + sizeof(uint32_t*);

template <class T>
T* copy_array(const std::vector<T>& values) {
    T* out = allocate_host_array<T>(values.size());
    if (!values.empty()) std::memcpy(out, values.data(), values.size() * sizeof(T));
    return out;
}

void release(delaunay2d_constrained_result& r) noexcept {
    delaunay2d_result_free(&r.mesh);
    std::free(r.points);
    std::free(r.constrained);
    std::free(r.segments);
    const size_t size = r.struct_size;
    r = delaunay2d_constrained_result{};
    r.struct_size = size;
}

// The segments with both ends replaced by the points that stand for them,
// those of one point left out. Fails (false) on a point with a non-finite
// coordinate.
bool vertex_segments(const delaunay2d_constraint_options& options, const int32_t* vertex_of_point,
                     std::vector<std::pair<uint32_t, uint32_t>>& out) {
    out.reserve(options.segment_count);
    for (size_t s = 0; s < options.segment_count; ++s) {
        const int32_t a = vertex_of_point[options.segments[2 * s]];
        const int32_t b = vertex_of_point[options.segments[2 * s + 1]];
        if (a < 0 || b < 0) return false;
        if (a != b) out.emplace_back(static_cast<uint32_t>(a), static_cast<uint32_t>(b));
    }
    // A repeated segment (either direction) counts once: the first stays,
    // in input order.
    struct Key {
        uint32_t low, high;
        size_t at;
    };
    std::vector<Key> sorted(out.size());
    for (size_t s = 0; s < out.size(); ++s) {
        sorted[s] = {std::min(out[s].first, out[s].second), std::max(out[s].first, out[s].second), s};
    }
    std::sort(sorted.begin(), sorted.end(), [](const Key& a, const Key& b) {
        return a.low != b.low ? a.low < b.low : (a.high != b.high ? a.high < b.high : a.at < b.at);
    });
    std::vector<uint8_t> repeat(out.size(), 0);
    for (size_t k = 1; k < sorted.size(); ++k) {
        if (sorted[k].low == sorted[k - 1].low && sorted[k].high == sorted[k - 1].high) repeat[sorted[k].at] = 1;
    }
    size_t kept = 0;
    for (size_t s = 0; s < out.size(); ++s) {
        if (repeat[s] == 0) out[kept++] = out[s];
    }
    out.resize(kept);
    return true;
}

// No triangles: the distinct points lie on one line, listed in order by the
// hull. A segment covers the steps between consecutive points from one end
// to the other.
void write_line_segments(const delaunay2d_result& base, const std::vector<std::pair<uint32_t, uint32_t>>& segments,
                         delaunay2d_constrained_result& out) {
    std::vector<uint32_t> position(base.point_count, 0);
    for (size_t k = 0; k < base.hull_count; ++k) position[base.hull[k]] = static_cast<uint32_t>(k);
    std::vector<uint8_t> covered(base.hull_count, 0);
    for (const auto& [a, b] : segments) {
        const uint32_t from = std::min(position[a], position[b]);
        const uint32_t to = std::max(position[a], position[b]);
        for (uint32_t k = from; k < to; ++k) covered[k] = 1;
    }
    std::vector<uint32_t> pieces;
    for (size_t k = 0; k + 1 < base.hull_count; ++k) {
        if (covered[k] == 0) continue;
        pieces.push_back(base.hull[k]);
        pieces.push_back(base.hull[k + 1]);
    }
    out.segments = copy_array(pieces);
    out.segment_count = pieces.size() / 2;
    out.constrained = allocate_host_array<uint8_t>(0);
}

// The hull of the edited mesh, counter-clockwise from the same vertex as
// the unconstrained one's: each hull edge a -> b has the mesh on its left.
std::vector<uint32_t> mesh_hull(const ConstrainedMesh& mesh, uint32_t first) {
    constexpr uint32_t kNone = 0xffffffffu;
    std::vector<uint32_t> next(mesh.vertex_count(), kNone);
    uint32_t any = kNone;
    for (size_t t = 0; t < mesh.triangle_count(); ++t) {
        for (int i = 0; i < 3; ++i) {
            if (mesh.nbr[3 * t + static_cast<size_t>(i)] < 0) {
                const uint32_t a = mesh.tri[3 * t + static_cast<size_t>(i)];
                next[a] = mesh.tri[3 * t + static_cast<size_t>(next3(i))];
                if (any == kNone) any = a;
            }
        }
    }
    // A point added outside may have taken the old first vertex off the hull.
    if (next[first] == kNone) first = any;
    std::vector<uint32_t> hull{first};
    for (uint32_t v = next[first]; v != first && v != kNone; v = next[v]) hull.push_back(v);
    return hull;
}

void write_mesh(ConstrainedMesh& mesh, const delaunay2d_constraint_options& options, delaunay2d_result& base,
                delaunay2d_constrained_result& out) {
    const size_t count = base.point_count;
    const size_t vertices = mesh.vertex_count();
    out.added_count = vertices - count;
    out.mesh.point_count = vertices;
    out.points = copy_array(mesh.xy);
    out.mesh.vertex_of_point = allocate_host_array<int32_t>(vertices);
    std::memcpy(out.mesh.vertex_of_point, base.vertex_of_point, count * sizeof(int32_t));
    for (size_t v = count; v < vertices; ++v) out.mesh.vertex_of_point[v] = static_cast<int32_t>(v);
    if (mesh.hull_changed) {
        const std::vector<uint32_t> hull = mesh_hull(mesh, base.hull[0]);
        out.mesh.hull = copy_array(hull);
        out.mesh.hull_count = hull.size();
    } else {
        out.mesh.hull = copy_array(std::vector<uint32_t>(base.hull, base.hull + base.hull_count));
        out.mesh.hull_count = base.hull_count;
    }
    // Every segment edge once, from the lower-numbered triangle beside it.
    std::vector<uint32_t> pieces;
    const size_t triangles = mesh.triangle_count();
    for (size_t t = 0; t < triangles; ++t) {
        for (int i = 0; i < 3; ++i) {
            const size_t at = 3 * t + static_cast<size_t>(i);
            if (mesh.con[at] == 0 || (mesh.nbr[at] >= 0 && static_cast<size_t>(mesh.nbr[at]) < t)) continue;
            pieces.push_back(mesh.tri[at]);
            pieces.push_back(mesh.tri[3 * t + static_cast<size_t>(next3(i))]);
        }
    }
    out.segments = copy_array(pieces);
    out.segment_count = pieces.size() / 2;
    const std::vector<uint8_t> keep =
        kept_triangles(mesh, options.region == DELAUNAY2D_REGION_INSIDE, options.holes, options.hole_count);
    // Kept triangles keep their order; links into removed ones become -1.
    // Compacted in place: a triangle only ever moves down.
    std::vector<int32_t> number(triangles, -1);
    size_t kept = 0;
    for (size_t t = 0; t < triangles; ++t) {
        if (keep[t] != 0) number[t] = static_cast<int32_t>(kept++);
    }
    out.constrained = allocate_host_array<uint8_t>(3 * kept);
    for (size_t t = 0; t < triangles; ++t) {
        if (number[t] < 0) continue;
        const size_t to = 3 * static_cast<size_t>(number[t]);
        for (size_t i = 0; i < 3; ++i) {
            const int32_t n = mesh.nbr[3 * t + i];
            out.constrained[to + i] = mesh.con[3 * t + i] != 0 ? 1 : 0;
            mesh.tri[to + i] = mesh.tri[3 * t + i];
            mesh.nbr[to + i] = n < 0 ? -1 : number[static_cast<size_t>(n)];
        }
    }
    if (allocation_faults::next_fails()) throw std::bad_alloc();
    mesh.tri.resize(3 * kept);
    mesh.nbr.resize(3 * kept);
    out.mesh.triangle_count = kept;
    out.mesh.triangles = mesh.tri.release();
    out.mesh.neighbours = mesh.nbr.release();
}

void triangulate(const double* coords, size_t count, size_t stride, const delaunay2d_constraint_options& options,
                 delaunay2d_result& base, delaunay2d_constrained_result& out) {
    std::vector<std::pair<uint32_t, uint32_t>> segments;
    if (!vertex_segments(options, base.vertex_of_point, segments)) throw std::invalid_argument("segment");
    if (base.triangle_count == 0) {
        out.mesh.point_count = count;
        out.points = allocate_host_array<double>(2 * count);
        for (size_t i = 0; i < count; ++i) {
            out.points[2 * i] = coords[i * stride];
            out.points[2 * i + 1] = coords[i * stride + 1];
        }
        write_line_segments(base, segments, out);
        out.mesh.hull = base.hull;
        out.mesh.hull_count = base.hull_count;
        out.mesh.vertex_of_point = base.vertex_of_point;
        out.mesh.triangles = base.triangles;
        out.mesh.neighbours = base.neighbours;
        base = delaunay2d_result{};
        return;
    }
    ConstrainedMesh mesh;
    mesh.xy.resize(2 * count);
    for (size_t i = 0; i < count; ++i) {
        mesh.xy[2 * i] = coords[i * stride];
        mesh.xy[2 * i + 1] = coords[i * stride + 1];
    }
    const size_t corners = 3 * base.triangle_count;
    // The index-array call's arrays are taken over, not copied.
    mesh.tri.adopt(base.triangles, corners);
    base.triangles = nullptr;
    mesh.nbr.adopt(base.neighbours, corners);
    base.neighbours = nullptr;
    mesh.con.assign(corners, 0);
    mesh.corner.assign(count, -1);
    for (size_t c = 0; c < corners; ++c) mesh.corner[mesh.tri[c]] = static_cast<int32_t>(c);
    insert_segments(mesh, segments);
    write_mesh(mesh, options, base, out);
}

}  // namespace
}  // namespace d2d::constrained

extern "C" delaunay2d_status delaunay2d_triangulate_constrained(const double* coords, size_t count, size_t stride,
                                                                const delaunay2d_constraint_options* options,
                                                                delaunay2d_constrained_result* result) {
    using namespace d2d::constrained;
    if (result == nullptr || result->struct_size < kFirstResultSize) return DELAUNAY2D_INVALID_ARGUMENT;
    const size_t host_size = result->struct_size;
    const size_t known = std::min(host_size, sizeof(delaunay2d_constrained_result));
    // Zero what both sides know, then keep the host's size.
    std::memset(static_cast<void*>(result), 0, known);
    result->struct_size = host_size;
    if (options == nullptr || options->struct_size < kFirstOptionsSize) return DELAUNAY2D_INVALID_ARGUMENT;
    delaunay2d_constraint_options o{};
    std::memcpy(&o, options, std::min(options->struct_size, sizeof(o)));
    if ((coords == nullptr && count > 0) || stride < 2 || (o.segments == nullptr && o.segment_count > 0) ||
        (o.holes == nullptr && o.hole_count > 0) ||
        (o.region != DELAUNAY2D_REGION_HULL && o.region != DELAUNAY2D_REGION_INSIDE)) {
        return DELAUNAY2D_INVALID_ARGUMENT;
    }
    for (size_t s = 0; s < 2 * o.segment_count; ++s) {
        if (o.segments[s] >= count) return DELAUNAY2D_INVALID_ARGUMENT;
    }
    for (size_t h = 0; h < 2 * o.hole_count; ++h) {
        if (!std::isfinite(o.holes[h])) return DELAUNAY2D_INVALID_ARGUMENT;
    }
    delaunay2d_result base{};
    const delaunay2d_status status = delaunay2d_triangulate(coords, count, stride, o.threads, &base);
    if (status != DELAUNAY2D_OK) return status;
    delaunay2d_constrained_result out{};
    out.struct_size = host_size;
    delaunay2d_status outcome = DELAUNAY2D_OK;
    try {
        triangulate(coords, count, stride, o, base, out);
    } catch (const std::invalid_argument&) {
        outcome = DELAUNAY2D_INVALID_ARGUMENT;
    } catch (const TooManyPoints&) {
        outcome = DELAUNAY2D_TOO_MANY_POINTS;
    } catch (...) {
        // Running out of memory is the only failure left once the arguments
        // are checked.
        outcome = DELAUNAY2D_OUT_OF_MEMORY;
    }
    delaunay2d_result_free(&base);
    if (outcome != DELAUNAY2D_OK) {
        release(out);
        return outcome;
    }
    std::memcpy(static_cast<void*>(result), &out, known);
    result->struct_size = host_size;
    return DELAUNAY2D_OK;
}

extern "C" void delaunay2d_constrained_result_free(delaunay2d_constrained_result* result) {
    if (result == nullptr || result->struct_size < d2d::constrained::kFirstResultSize) return;
    d2d::constrained::release(*result);
}
