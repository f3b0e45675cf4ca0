/* The index-array call's neighbours in the other habit. The result numbers a
 * triangle's neighbours by edge, the half-edge habit; scipy and Triangle's
 * .neigh files number them by the vertex opposite the edge:
 *
 *                  v2
 *                 /  \
 *      edge 2    /    \    edge 1 = (v1, v2):
 *   = (v2, v0): /  t   \   opposite v0
 *   opposite v1/        \
 *             v0--------v1
 *          edge 0 = (v0, v1): opposite v2
 *
 * Edge i runs from v[i] to v[i + 1], so it faces v[i + 2]: the neighbour
 * opposite vertex k is the neighbour across edge k + 1 (mod 3). */
#include "delaunay2d.h"

extern "C" delaunay2d_status delaunay2d_neighbours_opposite_vertex(const delaunay2d_result* result, int32_t* out) {
    if (result == nullptr) return DELAUNAY2D_INVALID_ARGUMENT;
    const size_t count = result->triangle_count;
    if (count > 0 && (out == nullptr || result->neighbours == nullptr)) return DELAUNAY2D_INVALID_ARGUMENT;
    const int32_t* across = result->neighbours;
    for (size_t t = 0; t < count; ++t) {
        // Read the whole triple first: out may be the result's own array.
        const int32_t edge0 = across[3 * t], edge1 = across[3 * t + 1], edge2 = across[3 * t + 2];
        out[3 * t] = edge1;
        out[3 * t + 1] = edge2;
        out[3 * t + 2] = edge0;
    }
    return DELAUNAY2D_OK;
}
