// delaunay2d_tile_certain: the triangles and hull edges of a tile's mesh that
// are those of the whole set, in the index-array call's style.
#include <cmath>
#include <cstddef>

#include "delaunay2d.h"
#include "operations/common/mesh_input.hpp"
#include "operations/tile/tile_certainty.hpp"
#include "operations/tile/unseen_region.hpp"

namespace {

// The size of the record's first release: hosts built against it pass this.
constexpr size_t kFirstTileSize = offsetof(delaunay2d_tile, bounds) + sizeof(double[4]);

bool has_nan(const double box[4]) {
    return std::isnan(box[0]) || std::isnan(box[1]) || std::isnan(box[2]) || std::isnan(box[3]);
}

}  // namespace

extern "C" delaunay2d_status delaunay2d_tile_certain(const double* coords, size_t stride,
                                                     const delaunay2d_result* mesh, const delaunay2d_tile* tile,
                                                     uint8_t* certain_triangle, uint8_t* certain_hull_edge) {
    d2d::operations::MeshInput input;
    if (!d2d::operations::read_mesh_input(coords, stride, mesh, input)) return DELAUNAY2D_INVALID_ARGUMENT;
    if (tile == nullptr || tile->struct_size < kFirstTileSize) return DELAUNAY2D_INVALID_ARGUMENT;
    if (has_nan(tile->seen) || has_nan(tile->bounds)) return DELAUNAY2D_INVALID_ARGUMENT;
    if (input.triangle_count > 0 && certain_triangle == nullptr) return DELAUNAY2D_INVALID_ARGUMENT;
    // Nothing here allocates or throws: plain loops over the caller's arrays.
    const d2d::operations::tile::UnseenRegion unseen = d2d::operations::tile::unseen_region(tile->seen, tile->bounds);
    d2d::operations::tile::mark_certain(input, unseen, certain_triangle, certain_hull_edge);
    return DELAUNAY2D_OK;
}
