// The constrained call: checks the caller's records, triangulates the
// points with the index-array call and inserts the segments; where two
// cross, starts again: snap-rounds the segments (every crossing point known
// before anything is inserted), triangulates the input and crossing points
// together and inserts the snapped pieces. Then keeps the region asked for
// and writes the result arrays. Nothing here prints, exits, draws random
// numbers or keeps state between calls.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "delaunay2d.h"
#include "engine/system/allocation_faults.hpp"
#include "engine/system/host_array.hpp"
#include "operations/constrained/constrained_mesh.hpp"
#include "engine/merge/limits.hpp"
#include "operations/constrained/kept_region.hpp"
#include "operations/constrained/snap_rounding.hpp"
#include "operations/refine/quality_figures.hpp"
#include "operations/refine/refine_mesh.hpp"

namespace d2d::operations::constrained {
namespace {

// The sizes of the records' first version: a host that knows less than
// this cannot have filled them in.
constexpr size_t kFirstOptionsSize = offsetof(delaunay2d_constraint_options, threads) + sizeof(unsigned);
constexpr size_t kFirstResultSize = offsetof(delaunay2d_constrained_result, segments) + sizeof(uint32_t*);
// The quality record came with version 1.1: all of it is its first version.
constexpr size_t kFirstQualitySize = offsetof(delaunay2d_quality_options, conforming) + sizeof(int);

template <class T>
T* copy_array(const std::vector<T>& values) {
    T* out = allocate_host_array<T>(values.size());
    if (!values.empty()) std::memcpy(out, values.data(), values.size() * sizeof(T));
    return out;
}

// The fields of r that a host whose record is struct_size bytes long has.
size_t known_size(const delaunay2d_constrained_result& r) {
    return std::min(r.struct_size, sizeof(delaunay2d_constrained_result));
}

// Frees what r holds and zeroes it but for struct_size, writing no byte past
// the host's record: a host compiled against an earlier, shorter record
// passes one of that size.
void release(delaunay2d_constrained_result& r) noexcept {
    const size_t size = r.struct_size;
    const size_t known = known_size(r);
    delaunay2d_result_free(&r.mesh);
    std::free(r.points);
    std::free(r.constrained);
    std::free(r.segments);
    if (known >= offsetof(delaunay2d_constrained_result, triangle_attributes) + sizeof(double*)) {
        std::free(r.triangle_attributes);
    }
    std::memset(static_cast<void*>(&r), 0, known);
    r.struct_size = size;
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

// What the call's options ask for once the segments are in: the region
// kept, hole points, regions and refinement.
struct Finish {
    const delaunay2d_constraint_options& options;
    const delaunay2d_quality_options* quality;  // null: no refinement
};

// The area bound of a triangle of region r (-1: none): the region's own
// when it has one, else the global one (0: none).
double area_bound(const Finish& finish, int32_t r) {
    if (r >= 0 && finish.options.regions[r].max_area > 0.0) return finish.options.regions[r].max_area;
    return finish.quality != nullptr ? finish.quality->max_area : 0.0;
}

// Refines the kept triangles when the quality record asks for anything (a
// bound, or conforming); keep and region follow the triangles.
refine::RefineOutcome refine_kept(ConstrainedMesh& mesh, const Finish& finish, std::vector<uint8_t>& keep,
                                  std::vector<int32_t>& region) {
    const delaunay2d_quality_options* quality = finish.quality;
    if (quality == nullptr) return {};
    refine::RefineSettings settings;
    settings.min_angle = quality->min_angle;
    settings.max_steiner = quality->max_steiner;
    settings.conforming = quality->conforming != 0;
    settings.label_area.push_back(area_bound(finish, -1));
    bool asked = settings.min_angle > 0.0 || settings.conforming || settings.label_area[0] > 0.0;
    for (size_t k = 0; k < finish.options.region_count; ++k) {
        settings.label_area.push_back(area_bound(finish, static_cast<int32_t>(k)));
        asked = asked || settings.label_area.back() > 0.0;
    }
    if (!asked) return {};
    std::vector<int32_t> label(keep.size());
    for (size_t t = 0; t < keep.size(); ++t) label[t] = keep[t] != 0 ? region[t] + 1 : -1;
    const refine::RefineOutcome outcome = refine::refine_mesh(mesh, label, settings);
    keep.resize(label.size());
    region.resize(label.size());
    for (size_t t = 0; t < label.size(); ++t) {
        keep[t] = label[t] >= 0 ? 1 : 0;
        region[t] = label[t] > 0 ? label[t] - 1 : -1;
    }
    return outcome;
}

void write_mesh(ConstrainedMesh& mesh, size_t count, const Finish& finish, delaunay2d_result& base,
                delaunay2d_constrained_result& out) {
    const delaunay2d_constraint_options& options = finish.options;
    size_t holes_on_segments = 0;
    std::vector<uint8_t> keep = kept_triangles(mesh, options.region == DELAUNAY2D_REGION_INSIDE, options.holes,
                                                     options.hole_count, &holes_on_segments);
    out.hole_on_segment_count = holes_on_segments;
    std::vector<RegionSeed> seeds(options.region_count);
    for (size_t k = 0; k < options.region_count; ++k) seeds[k] = {options.regions[k].x, options.regions[k].y};
    std::vector<int32_t> region = seeds.empty() ? std::vector<int32_t>(mesh.triangle_count(), -1)
                                                : region_of_triangles(mesh, keep, seeds);
    const refine::RefineOutcome refined = refine_kept(mesh, finish, keep, region);
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
    // Kept triangles keep their order; links into removed ones become -1.
    // Compacted in place: a triangle only ever moves down.
    std::vector<int32_t> number(triangles, -1);
    size_t kept = 0;
    for (size_t t = 0; t < triangles; ++t) {
        if (keep[t] != 0) number[t] = static_cast<int32_t>(kept++);
    }
    out.constrained = allocate_host_array<uint8_t>(3 * kept);
    if (options.region_count > 0) out.triangle_attributes = allocate_host_array<double>(kept);
    std::vector<double> bound(kept);
    for (size_t t = 0; t < triangles; ++t) {
        if (number[t] < 0) continue;
        const auto to = static_cast<size_t>(number[t]);
        for (size_t i = 0; i < 3; ++i) {
            const int32_t n = mesh.nbr[3 * t + i];
            out.constrained[3 * to + i] = mesh.con[3 * t + i] != 0 ? 1 : 0;
            mesh.tri[3 * to + i] = mesh.tri[3 * t + i];
            mesh.nbr[3 * to + i] = n < 0 ? -1 : number[static_cast<size_t>(n)];
        }
        if (out.triangle_attributes != nullptr) {
            out.triangle_attributes[to] = region[t] >= 0 ? options.regions[region[t]].attribute : 0.0;
        }
        bound[to] = area_bound(finish, region[t]);
    }
    if (allocation_faults::next_fails()) throw std::bad_alloc();
    mesh.tri.resize(3 * kept);
    mesh.nbr.resize(3 * kept);
    out.quality = refine::measure_quality(mesh.xy.data(), mesh.tri.data(), kept,
                                          finish.quality != nullptr ? finish.quality->min_angle : 0.0, bound.data());
    out.quality.added_by_refinement = refined.added;
    out.quality.budget_reached = refined.budget_reached ? 1 : 0;
    out.mesh.triangle_count = kept;
    out.mesh.triangles = mesh.tri.release();
    out.mesh.neighbours = mesh.nbr.release();
}

// The segments as pairs of input points, those whose two ends have the
// same x and y left out and repeats (either direction) counted once, in
// input order. Fails (false) on an end with a non-finite coordinate.
bool input_segments(const delaunay2d_constraint_options& options, const std::vector<double>& xy,
                    std::vector<std::pair<uint32_t, uint32_t>>& out) {
    out.reserve(options.segment_count);
    for (size_t s = 0; s < options.segment_count; ++s) {
        const uint32_t a = options.segments[2 * s], b = options.segments[2 * s + 1];
        for (const uint32_t p : {a, b}) {
            if (!std::isfinite(xy[2 * static_cast<size_t>(p)]) || !std::isfinite(xy[2 * static_cast<size_t>(p) + 1])) return false;
        }
        if (xy[2 * static_cast<size_t>(a)] == xy[2 * static_cast<size_t>(b)] &&
            xy[2 * static_cast<size_t>(a) + 1] == xy[2 * static_cast<size_t>(b) + 1]) {
            continue;
        }
        out.emplace_back(a, b);
    }
    std::vector<std::pair<uint32_t, uint32_t>> sorted(out.size());
    for (size_t s = 0; s < out.size(); ++s) sorted[s] = {std::min(out[s].first, out[s].second), std::max(out[s].first, out[s].second)};
    std::vector<uint32_t> order(out.size());
    for (size_t s = 0; s < out.size(); ++s) order[s] = static_cast<uint32_t>(s);
    std::sort(order.begin(), order.end(), [&](uint32_t p, uint32_t q) { return sorted[p] != sorted[q] ? sorted[p] < sorted[q] : p < q; });
    std::vector<uint8_t> repeat(out.size(), 0);
    for (size_t k = 1; k < order.size(); ++k) {
        if (sorted[order[k]] == sorted[order[k - 1]]) repeat[order[k]] = 1;
    }
    size_t kept = 0;
    for (size_t s = 0; s < out.size(); ++s) {
        if (repeat[s] == 0) out[kept++] = out[s];
    }
    out.resize(kept);
    return true;
}

// A rounded crossing that landed on an input point is that point: the
// triangulation has made it a repeat. Such added points are dropped and the
// later ones renumbered, in the triangles, the hull and `vertex`, which
// maps every point of the snapped chains to its vertex.
void drop_repeated_crossings(ConstrainedMesh& mesh, size_t count, delaunay2d_result& base, std::vector<int32_t>& vertex) {
    const size_t total = mesh.vertex_count();
    vertex.assign(base.vertex_of_point, base.vertex_of_point + total);
    bool repeats = false;
    for (size_t p = count; p < total; ++p) repeats = repeats || vertex[p] != static_cast<int32_t>(p);
    if (!repeats) return;
    size_t kept = count;
    for (size_t p = count; p < total; ++p) {
        if (vertex[p] != static_cast<int32_t>(p)) continue;  // a repeat of an input point, which comes first
        vertex[p] = static_cast<int32_t>(kept);
        mesh.xy[2 * kept] = mesh.xy[2 * p];
        mesh.xy[2 * kept + 1] = mesh.xy[2 * p + 1];
        ++kept;
    }
    mesh.xy.resize(2 * kept);
    for (size_t c = 0; c < mesh.tri.size(); ++c) {
        if (mesh.tri[c] >= count) mesh.tri[c] = static_cast<uint32_t>(vertex[mesh.tri[c]]);
    }
    for (size_t k = 0; k < base.hull_count; ++k) {
        if (base.hull[k] >= count) base.hull[k] = static_cast<uint32_t>(vertex[base.hull[k]]);
    }
}

// No triangles: all points lie on one line, so no two segments cross.
void write_line(const ConstrainedMesh& mesh, size_t count, const std::vector<std::pair<uint32_t, uint32_t>>& segments,
                delaunay2d_result& base, delaunay2d_constrained_result& out) {
    std::vector<std::pair<uint32_t, uint32_t>> vertex_pairs;
    for (const auto& [a, b] : segments) {
        const int32_t u = base.vertex_of_point[a], w = base.vertex_of_point[b];
        if (u != w) vertex_pairs.emplace_back(static_cast<uint32_t>(u), static_cast<uint32_t>(w));
    }
    out.mesh.point_count = count;
    out.points = copy_array(mesh.xy);
    write_line_segments(base, vertex_pairs, out);
    out.mesh.hull = base.hull;
    out.mesh.hull_count = base.hull_count;
    out.mesh.vertex_of_point = base.vertex_of_point;
    out.mesh.triangles = base.triangles;
    out.mesh.neighbours = base.neighbours;
    base = delaunay2d_result{};
}

// Takes over the index-array call's triangles (not copied) for editing.
void take_triangles(ConstrainedMesh& mesh, delaunay2d_result& base) {
    const size_t corners = 3 * base.triangle_count;
    mesh.tri.adopt(base.triangles, corners);
    base.triangles = nullptr;
    mesh.nbr.adopt(base.neighbours, corners);
    base.neighbours = nullptr;
}

void index_corners(ConstrainedMesh& mesh) {
    mesh.con.assign(mesh.tri.size(), 0);
    mesh.corner.assign(mesh.vertex_count(), -1);
    for (size_t c = 0; c < mesh.tri.size(); ++c) mesh.corner[mesh.tri[c]] = static_cast<int32_t>(c);
}

delaunay2d_status triangulate(const double* coords, size_t count, size_t stride, const Finish& finish,
                              delaunay2d_result& base, delaunay2d_constrained_result& out) {
    const delaunay2d_constraint_options& options = finish.options;
    ConstrainedMesh mesh;
    mesh.xy.resize(2 * count);
    for (size_t i = 0; i < count; ++i) {
        mesh.xy[2 * i] = coords[i * stride];
        mesh.xy[2 * i + 1] = coords[i * stride + 1];
    }
    std::vector<std::pair<uint32_t, uint32_t>> segments;
    if (!input_segments(options, mesh.xy, segments)) return DELAUNAY2D_INVALID_ARGUMENT;
    // First as if no two segments crossed: then nothing is rounded and
    // each segment is split only at input points exactly on it. The first
    // piece found crossing a segment edge ends this attempt.
    delaunay2d_status status = delaunay2d_triangulate(mesh.xy.data(), count, 2, options.threads, &base);
    if (status != DELAUNAY2D_OK) return status;
    if (base.triangle_count == 0) {
        write_line(mesh, count, segments, base, out);
        if (options.region_count > 0) out.triangle_attributes = allocate_host_array<double>(0);
        return DELAUNAY2D_OK;
    }
    {
        take_triangles(mesh, base);
        index_corners(mesh);
        std::vector<SegmentPiece> pieces;
        pieces.reserve(segments.size());
        for (size_t s = 0; s < segments.size(); ++s) {
            const auto a = static_cast<uint32_t>(base.vertex_of_point[segments[s].first]);
            const auto b = static_cast<uint32_t>(base.vertex_of_point[segments[s].second]);
            pieces.push_back({a, b, static_cast<uint32_t>(s + 1)});
        }
        if (insert_pieces(mesh, pieces, true)) {
            write_mesh(mesh, count, finish, base, out);
            return DELAUNAY2D_OK;
        }
    }
    // Some segments cross: start again with every crossing point known
    // before anything is inserted.
    delaunay2d_result_free(&base);
    base = delaunay2d_result{};
    mesh.tri.adopt(nullptr, 0);
    mesh.nbr.adopt(nullptr, 0);
    SnappedSegments snapped = snap_segments(mesh.xy, count, segments);
    const size_t total = count + snapped.added.size() / 2;
    if (total > kMostPoints) return DELAUNAY2D_TOO_MANY_POINTS;
    mesh.xy.insert(mesh.xy.end(), snapped.added.begin(), snapped.added.end());
    snapped.added = std::vector<double>();
    status = delaunay2d_triangulate(mesh.xy.data(), total, 2, options.threads, &base);
    if (status != DELAUNAY2D_OK) return status;
    take_triangles(mesh, base);
    std::vector<int32_t> vertex;
    drop_repeated_crossings(mesh, count, base, vertex);
    index_corners(mesh);
    std::vector<SegmentPiece> pieces;
    for (size_t s = 0; s < segments.size(); ++s) {
        for (size_t k = snapped.start[s]; k + 1 < snapped.start[s + 1]; ++k) {
            const auto a = static_cast<uint32_t>(vertex[snapped.chain[k]]);
            const auto b = static_cast<uint32_t>(vertex[snapped.chain[k + 1]]);
            if (a != b) pieces.push_back({a, b, static_cast<uint32_t>(s + 1)});
        }
    }
    snapped = SnappedSegments();
    insert_pieces(mesh, pieces);
    write_mesh(mesh, count, finish, base, out);
    return DELAUNAY2D_OK;
}

}  // namespace
}  // namespace d2d::operations::constrained

extern "C" delaunay2d_status delaunay2d_triangulate_constrained(const double* coords, size_t count, size_t stride,
                                                                const delaunay2d_constraint_options* options,
                                                                delaunay2d_constrained_result* result) {
    using namespace d2d::operations::constrained;
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
    if (o.regions == nullptr && o.region_count > 0) return DELAUNAY2D_INVALID_ARGUMENT;
    for (size_t k = 0; k < o.region_count; ++k) {
        const delaunay2d_region_point& r = o.regions[k];
        if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.attribute) || !std::isfinite(r.max_area)) {
            return DELAUNAY2D_INVALID_ARGUMENT;
        }
    }
    // The quality record, like the others, is read no further than the
    // host's size; fields it does not know stay zero (no bound, no limit).
    delaunay2d_quality_options q{};
    if (o.quality != nullptr) {
        if (o.quality->struct_size < kFirstQualitySize) return DELAUNAY2D_INVALID_ARGUMENT;
        std::memcpy(&q, o.quality, std::min(o.quality->struct_size, sizeof(q)));
        if (!(q.min_angle >= 0.0 && q.min_angle < 60.0) || !(q.max_area >= 0.0 && std::isfinite(q.max_area))) {
            return DELAUNAY2D_INVALID_ARGUMENT;
        }
    }
    const Finish finish{o, o.quality != nullptr ? &q : nullptr};
    delaunay2d_result base{};
    // Built whole here; the host gets the part its record has room for.
    delaunay2d_constrained_result out{};
    out.struct_size = sizeof(out);
    delaunay2d_status outcome = DELAUNAY2D_OK;
    try {
        outcome = triangulate(coords, count, stride, finish, base, out);
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
    if (known < offsetof(delaunay2d_constrained_result, triangle_attributes) + sizeof(double*)) {
        std::free(out.triangle_attributes);  // a host without the field cannot free it
    }
    return DELAUNAY2D_OK;
}

extern "C" void delaunay2d_constrained_result_free(delaunay2d_constrained_result* result) {
    if (result == nullptr || result->struct_size < d2d::operations::constrained::kFirstResultSize) return;
    d2d::operations::constrained::release(*result);
}
