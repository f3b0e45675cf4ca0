#include "formats/controls/thiessen_cells.hpp"

#include <delaunay2d.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <new>
#include <utility>

#include "formats/controls/clip_polygon.hpp"
#include "formats/controls/exact_side.hpp"
#include "formats/mesh_write/library_mesh.hpp"
#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

using Ring = std::vector<double>;  // x, y pairs, first vertex not repeated

struct CellsOwner {
    delaunay2d_cells cells{};
    ~CellsOwner() { delaunay2d_cells_free(&cells); }
};

// The shoelace sum taken from the first corner: map coordinates are far
// from the origin (5e6 m), and products of them would drown a small cell's
// area in rounding.
double signed_area(const Ring& ring) {
    const std::size_t n = ring.size() / 2;
    double twice = 0.0;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double ax = ring[2 * i] - ring[0], ay = ring[2 * i + 1] - ring[1];
        const double bx = ring[2 * i + 2] - ring[0], by = ring[2 * i + 3] - ring[1];
        twice += ax * by - bx * ay;
    }
    return twice / 2.0;
}

// One Sutherland-Hodgman pass: the part of subject on the left of (or on)
// the line a->b. Sides are exact; the corners made where an edge crosses
// the line are rounded.
Ring keep_left(const Ring& subject, double ax, double ay, double bx, double by) {
    Ring out;
    const std::size_t n = subject.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        const double px = subject[2 * i], py = subject[2 * i + 1];
        const double qx = subject[2 * j], qy = subject[2 * j + 1];
        const int sp = exact_side(ax, ay, bx, by, px, py);
        const int sq = exact_side(ax, ay, bx, by, qx, qy);
        if (sp >= 0) {
            out.push_back(px);
            out.push_back(py);
        }
        if ((sp > 0 && sq < 0) || (sp < 0 && sq > 0)) {
            // Where p->q meets the line: the share of the way at which the
            // cross product with a->b changes sign.
            const double ex = bx - ax, ey = by - ay;
            const double dp = ex * (py - ay) - ey * (px - ax);
            const double dq = ex * (qy - ay) - ey * (qx - ax);
            const double s = dp / (dp - dq);
            out.push_back(px + s * (qx - px));
            out.push_back(py + s * (qy - py));
        }
    }
    return out.size() >= 6 ? out : Ring{};
}

// subject cut to the convex, counter-clockwise window.
Ring cut_to_convex(Ring subject, const Ring& window) {
    const std::size_t n = window.size() / 2;
    for (std::size_t i = 0; i < n && !subject.empty(); ++i) {
        const std::size_t j = (i + 1) % n;
        subject = keep_left(subject, window[2 * i], window[2 * i + 1], window[2 * j], window[2 * j + 1]);
    }
    return subject;
}

// A ring as a polygon of its own, for the even-odd test.
ClipPolygon ring_polygon(const Ring& ring) {
    std::vector<std::uint32_t> chain;
    const std::size_t n = ring.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        chain.push_back(static_cast<std::uint32_t>(i));
        chain.push_back(static_cast<std::uint32_t>((i + 1) % n));
    }
    return ClipPolygon(ring, chain);
}

// The clip polygon's edges chained into closed rings by shared corners
// (every corner of a set of closed rings meets an even number of edges, so
// each walk closes; rings that share a border make the border twice, and
// the even-odd rule that --clip follows cancels it). Each ring comes with
// its depth: how many other rings hold it.
struct ClipRings {
    std::vector<Ring> rings;
    std::vector<int> depth;
    std::vector<std::array<double, 4>> box;           // per ring: xmin ymin xmax ymax
    std::vector<std::vector<std::size_t>> holes;      // per ring of even depth: the rings one deeper inside it
};

std::array<double, 4> box_of(const Ring& ring) {
    std::array<double, 4> box{ring[0], ring[1], ring[0], ring[1]};
    for (std::size_t i = 0; i < ring.size(); i += 2) {
        box = {std::min(box[0], ring[i]), std::min(box[1], ring[i + 1]), std::max(box[2], ring[i]),
               std::max(box[3], ring[i + 1])};
    }
    return box;
}

bool boxes_meet(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    return a[0] <= b[2] && b[0] <= a[2] && a[1] <= b[3] && b[1] <= a[3];
}

ClipRings chain_rings(const ClipPolygon& clip) {
    std::map<std::pair<double, double>, std::size_t> corner_of;
    std::vector<std::vector<std::size_t>> edges_at;
    std::vector<std::pair<std::size_t, std::size_t>> ends(clip.edge_count());
    auto corner = [&](double x, double y) {
        auto [at, added] = corner_of.emplace(std::make_pair(x, y), corner_of.size());
        if (added) {
            edges_at.emplace_back();
        }
        return at->second;
    };
    for (std::size_t k = 0; k < clip.edge_count(); ++k) {
        const double* e = clip.edge(k);
        ends[k] = {corner(e[0], e[1]), corner(e[2], e[3])};
        edges_at[ends[k].first].push_back(k);
        edges_at[ends[k].second].push_back(k);
    }
    std::vector<bool> used(clip.edge_count(), false);
    ClipRings out;
    for (std::size_t first = 0; first < clip.edge_count(); ++first) {
        if (used[first]) {
            continue;
        }
        Ring ring;
        std::size_t at = ends[first].first;
        std::size_t edge = first;
        // Each step uses up one edge, so the walk ends within edge_count steps.
        while (true) {
            used[edge] = true;
            const double* e = clip.edge(edge);
            const bool forward = ends[edge].first == at;
            ring.push_back(forward ? e[0] : e[2]);
            ring.push_back(forward ? e[1] : e[3]);
            at = forward ? ends[edge].second : ends[edge].first;
            auto next = std::find_if(edges_at[at].begin(), edges_at[at].end(), [&](std::size_t k) { return !used[k]; });
            if (next == edges_at[at].end()) {
                break;  // back at the start (or a loose end, which closes here)
            }
            edge = *next;
        }
        if (ring.size() >= 6) {
            out.rings.push_back(std::move(ring));
        }
    }
    for (std::size_t r = 0; r < out.rings.size(); ++r) {
        int depth = 0;
        for (std::size_t s = 0; s < out.rings.size(); ++s) {
            if (s != r) {
                depth += ring_polygon(out.rings[s]).contains(out.rings[r][0], out.rings[r][1]) ? 1 : 0;
            }
        }
        out.depth.push_back(depth);
        out.box.push_back(box_of(out.rings[r]));
    }
    out.holes.resize(out.rings.size());
    for (std::size_t r = 0; r < out.rings.size(); ++r) {
        if (out.depth[r] % 2 != 0) {
            continue;
        }
        const ClipPolygon around = ring_polygon(out.rings[r]);
        for (std::size_t h = 0; h < out.rings.size(); ++h) {
            if (out.depth[h] == out.depth[r] + 1 && around.contains(out.rings[h][0], out.rings[h][1])) {
                out.holes[r].push_back(h);
            }
        }
    }
    return out;
}

void add_ring(ThiessenCells& cells, Ring ring, bool outer) {
    if ((signed_area(ring) > 0.0) != outer) {
        // Reverse the corners to turn the ring the way its role asks.
        for (std::size_t i = 0, j = ring.size() / 2 - 1; i < j; ++i, --j) {
            std::swap(ring[2 * i], ring[2 * j]);
            std::swap(ring[2 * i + 1], ring[2 * j + 1]);
        }
    }
    cells.vertices.insert(cells.vertices.end(), ring.begin(), ring.end());
    cells.ring_offsets.push_back(cells.vertices.size() / 2);
}

}  // namespace

ThiessenCells thiessen_cells(const std::string& name, const MeshView& mesh, const TerrainOptions& options) {
    double box[4] = {0.0, 0.0, 0.0, 0.0};
    if (options.bounds) {
        std::copy(options.bounds->begin(), options.bounds->end(), box);
    } else if (options.clip) {
        std::copy(options.clip->box(), options.clip->box() + 4, box);
    } else {
        box[0] = box[1] = std::numeric_limits<double>::infinity();
        box[2] = box[3] = -box[0];
        for (std::uint32_t v : mesh.hull) {
            box[0] = std::min(box[0], mesh.x(v));
            box[1] = std::min(box[1], mesh.y(v));
            box[2] = std::max(box[2], mesh.x(v));
            box[3] = std::max(box[3], mesh.y(v));
        }
    }
    if (!(box[0] < box[2] && box[1] < box[3])) {
        throw OutputError(name + ": the box of the Thiessen polygons is empty (give --bounds)");
    }
    const delaunay2d_result result = library_mesh(mesh);
    CellsOwner owner;
    owner.cells.struct_size = sizeof(delaunay2d_cells);
    const delaunay2d_status status =
        delaunay2d_voronoi_cells(mesh.xy.data(), 2, &result, box, options.threads, &owner.cells);
    if (status == DELAUNAY2D_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (status != DELAUNAY2D_OK) {
        throw OutputError(name + ": cannot build the Thiessen polygons: " + delaunay2d_status_message(status));
    }
    // The hull cuts the cells unless --bounds or --clip says otherwise.
    Ring hull;
    if (!options.bounds && !options.clip && mesh.hull.size() >= 3) {
        for (std::uint32_t v : mesh.hull) {
            hull.push_back(mesh.x(v));
            hull.push_back(mesh.y(v));
        }
    }
    ClipRings clip_rings;
    if (options.clip) {
        clip_rings = chain_rings(*options.clip);
    }
    const delaunay2d_cells& library = owner.cells;
    ThiessenCells cells;
    for (std::size_t i = 0; i < library.point_count; ++i) {
        const std::size_t begin = library.offsets[i];
        const std::size_t end = library.offsets[i + 1];
        if (end - begin >= 3) {
            Ring cell(library.vertices + 2 * begin, library.vertices + 2 * end);
            if (options.clip) {
                // Each outer ring (even depth) cut to the cell is a part,
                // with the holes just inside it (one deeper) cut as well.
                const auto& rings = clip_rings.rings;
                const std::array<double, 4> cell_box = box_of(cell);
                for (std::size_t r = 0; r < rings.size(); ++r) {
                    if (clip_rings.depth[r] % 2 != 0 || !boxes_meet(clip_rings.box[r], cell_box)) {
                        continue;
                    }
                    Ring outer = cut_to_convex(rings[r], cell);
                    if (outer.empty() || signed_area(outer) == 0.0) {
                        continue;
                    }
                    const double outer_area = std::fabs(signed_area(outer));
                    double area = outer_area;
                    std::vector<Ring> holes;
                    for (std::size_t h : clip_rings.holes[r]) {
                        if (!boxes_meet(clip_rings.box[h], cell_box)) {
                            continue;
                        }
                        Ring hole = cut_to_convex(rings[h], cell);
                        if (!hole.empty() && signed_area(hole) != 0.0) {
                            area -= std::fabs(signed_area(hole));
                            holes.push_back(std::move(hole));
                        }
                    }
                    // A cell wholly in a hole leaves a part of no area (the
                    // hole cut to the cell is the cell, up to the rounding
                    // of its corners, which far from the origin is some
                    // 1e-9 of a small cell's area): no part.
                    if (area <= outer_area * 1e-6) {
                        continue;
                    }
                    add_ring(cells, std::move(outer), true);
                    for (Ring& hole : holes) {
                        add_ring(cells, std::move(hole), false);
                    }
                    cells.part_rings.push_back(cells.ring_offsets.size() - 1);
                }
            } else {
                if (!hull.empty()) {
                    cell = cut_to_convex(std::move(cell), hull);
                }
                if (!cell.empty()) {
                    add_ring(cells, std::move(cell), true);
                    cells.part_rings.push_back(cells.ring_offsets.size() - 1);
                }
            }
        }
        cells.part_offsets.push_back(cells.part_rings.size() - 1);
    }
    return cells;
}

}  // namespace d2dcli
