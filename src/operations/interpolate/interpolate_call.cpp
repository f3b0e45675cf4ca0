// delaunay2d_interpolate: values at query points, in the index-array call's style.
#include <algorithm>
#include <limits>
#include <vector>

#include "delaunay2d.h"
#include "operations/common/coherent_copy.hpp"
#include "operations/interpolate/interpolation_input.hpp"

namespace {

// Runs a method that reads the mesh and the values at triangle vertices
// over a coherent copy when there are enough queries for it to pay.
void run_over_copy(const d2d::operations::InterpolationInput& in,
                   void (*method)(const d2d::operations::InterpolationInput&)) {
    if (!d2d::operations::coherent_copy_pays(in.mesh, in.query_count)) {
        method(in);
        return;
    }
    const d2d::operations::CoherentCopy copy(in.mesh);
    const std::vector<double> values = copy.values_in_order(in.values, in.value_count);
    d2d::operations::InterpolationInput local = in;
    local.mesh = copy.mesh();
    local.values = values.data();
    method(local);
}

}  // namespace

extern "C" delaunay2d_status delaunay2d_interpolate(const double* coords, size_t stride,
                                                    const delaunay2d_result* mesh, const double* values,
                                                    size_t value_count, int method, const double* queries,
                                                    size_t query_count, double fill_value, unsigned threads,
                                                    double* out) {
    d2d::operations::InterpolationInput in;
    if (!d2d::operations::read_mesh_input(coords, stride, mesh, in.mesh)) return DELAUNAY2D_INVALID_ARGUMENT;

    if (in.mesh.point_count > 0 && values == nullptr) return DELAUNAY2D_INVALID_ARGUMENT;
    if (query_count > 0 && (queries == nullptr || out == nullptr)) return DELAUNAY2D_INVALID_ARGUMENT;
    if (query_count > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return DELAUNAY2D_INVALID_ARGUMENT;
    // The output (and a copy of the values) must be addressable.
    const size_t rows = std::max(query_count, in.mesh.point_count) + 1;
    if (value_count == 0 || value_count > std::numeric_limits<size_t>::max() / sizeof(double) / rows) {
        return DELAUNAY2D_INVALID_ARGUMENT;
    }
    if (method != DELAUNAY2D_LINEAR && method != DELAUNAY2D_NEAREST && method != DELAUNAY2D_NATURAL) {
        return DELAUNAY2D_INVALID_ARGUMENT;
    }
    in.values = values;
    in.value_count = value_count;
    in.queries = queries;
    in.query_count = query_count;
    in.fill_value = fill_value;
    in.threads = d2d::thread_support::requested_call_threads(threads);
    in.out = out;
    if (query_count == 0) return DELAUNAY2D_OK;
    try {
        if (method == DELAUNAY2D_LINEAR) run_over_copy(in, d2d::operations::interpolate_linear);
        if (method == DELAUNAY2D_NEAREST) d2d::operations::interpolate_nearest(in);
        if (method == DELAUNAY2D_NATURAL) run_over_copy(in, d2d::operations::interpolate_natural);
        return DELAUNAY2D_OK;
    } catch (...) {
        return DELAUNAY2D_OUT_OF_MEMORY;
    }
}
