// The Voronoi operations' C entry points, in the index-array call's style.
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "delaunay2d.h"
#include "operations/voronoi/voronoi_diagram.hpp"

namespace {

// The size of each record's first release: a host compiled against it sets
// at least this much.
constexpr size_t kVoronoiFirstSize = offsetof(delaunay2d_voronoi, regions) + sizeof(int32_t*);
constexpr size_t kCellsFirstSize = offsetof(delaunay2d_cells, vertices) + sizeof(double*);

void release(delaunay2d_voronoi& v) noexcept {
    std::free(v.vertices);
    std::free(v.ridge_points);
    std::free(v.ridge_vertices);
    std::free(v.region_offsets);
    std::free(v.regions);
    const size_t size = v.struct_size;
    v = delaunay2d_voronoi{};
    v.struct_size = size;
}

void release(delaunay2d_cells& c) noexcept {
    std::free(c.offsets);
    std::free(c.vertices);
    const size_t size = c.struct_size;
    c = delaunay2d_cells{};
    c.struct_size = size;
}

}  // namespace

extern "C" delaunay2d_status delaunay2d_voronoi_build(const double* coords, size_t stride,
                                                      const delaunay2d_result* mesh, delaunay2d_voronoi* out) {
    if (out == nullptr || out->struct_size < kVoronoiFirstSize) return DELAUNAY2D_INVALID_ARGUMENT;
    const size_t size = out->struct_size;
    *out = delaunay2d_voronoi{};
    out->struct_size = size;
    d2d::operations::MeshInput input;
    if (!d2d::operations::read_mesh_input(coords, stride, mesh, input)) return DELAUNAY2D_INVALID_ARGUMENT;
    try {
        d2d::operations::build_voronoi(input, *out);
        return DELAUNAY2D_OK;
    } catch (...) {
        release(*out);
        return DELAUNAY2D_OUT_OF_MEMORY;
    }
}

extern "C" void delaunay2d_voronoi_free(delaunay2d_voronoi* v) {
    if (v != nullptr) release(*v);
}

extern "C" delaunay2d_status delaunay2d_voronoi_cells(const double* coords, size_t stride,
                                                      const delaunay2d_result* mesh, const double bbox[4],
                                                      unsigned threads, delaunay2d_cells* out) {
    if (out == nullptr || out->struct_size < kCellsFirstSize) return DELAUNAY2D_INVALID_ARGUMENT;
    const size_t size = out->struct_size;
    *out = delaunay2d_cells{};
    out->struct_size = size;
    d2d::operations::MeshInput input;
    if (!d2d::operations::read_mesh_input(coords, stride, mesh, input) || bbox == nullptr) {
        return DELAUNAY2D_INVALID_ARGUMENT;
    }
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(bbox[i])) return DELAUNAY2D_INVALID_ARGUMENT;
    }
    if (!(bbox[0] < bbox[2] && bbox[1] < bbox[3])) return DELAUNAY2D_INVALID_ARGUMENT;
    try {
        d2d::operations::build_cells(input, bbox, d2d::thread_support::requested_call_threads(threads), *out);
        return DELAUNAY2D_OK;
    } catch (...) {
        release(*out);
        return DELAUNAY2D_OUT_OF_MEMORY;
    }
}

extern "C" void delaunay2d_cells_free(delaunay2d_cells* cells) {
    if (cells != nullptr) release(*cells);
}
