#include "formats/controls/thiessen_cells.hpp"

#include <delaunay2d.h>

#include <algorithm>
#include <vector>
#include <cmath>
#include <limits>
#include <new>
#include <utility>

#include "formats/controls/cell_cut.hpp"
#include "formats/controls/clip_polygon.hpp"
#include "formats/controls/exact_side.hpp"
#include "formats/mesh_write/library_mesh.hpp"
#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {


struct CellsOwner {
    delaunay2d_cells cells{};
    ~CellsOwner() { delaunay2d_cells_free(&cells); }
};

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
    const delaunay2d_cells& library = owner.cells;
    ThiessenCells cells;
    for (std::size_t i = 0; i < library.point_count; ++i) {
        const std::size_t begin = library.offsets[i];
        const std::size_t end = library.offsets[i + 1];
        if (end - begin >= 3) {
            Ring cell(library.vertices + 2 * begin, library.vertices + 2 * end);
            if (options.clip) {
                for (RingPart& part : cut_cell_to_polygon(cell, *options.clip)) {
                    add_ring(cells, std::move(part[0]), true);
                    for (std::size_t h = 1; h < part.size(); ++h) {
                        add_ring(cells, std::move(part[h]), false);
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
