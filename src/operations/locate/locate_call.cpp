// delaunay2d_locate: the triangle of each query, in the index-array call's style.
#include <cmath>
#include <limits>

#include "delaunay2d.h"
#include "operations/common/mesh_input.hpp"
#include "operations/locate/locate_all.hpp"

extern "C" delaunay2d_status delaunay2d_locate(const double* coords, size_t stride, const delaunay2d_result* mesh,
                                               const double* queries, size_t query_count, unsigned threads,
                                               int32_t* triangle_of_query) {
    d2d::operations::MeshInput input;
    if (!d2d::operations::read_mesh_input(coords, stride, mesh, input)) return DELAUNAY2D_INVALID_ARGUMENT;
    if (query_count > 0 && (queries == nullptr || triangle_of_query == nullptr)) return DELAUNAY2D_INVALID_ARGUMENT;
    if (query_count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return DELAUNAY2D_INVALID_ARGUMENT;
    try {
        d2d::operations::locate_all(input, queries, query_count, d2d::thread_support::requested_call_threads(threads),
                                    triangle_of_query);
        return DELAUNAY2D_OK;
    } catch (...) {
        return DELAUNAY2D_OUT_OF_MEMORY;
    }
}
