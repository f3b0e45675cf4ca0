// The arguments of one interpolation call, read once.
#ifndef DELAUNAY2D_OPERATIONS_INTERPOLATE_INTERPOLATION_INPUT_HPP
#define DELAUNAY2D_OPERATIONS_INTERPOLATE_INTERPOLATION_INPUT_HPP

#include <cstddef>

#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

struct InterpolationInput {
    MeshInput mesh;
    const double* values = nullptr;  // value_count per point
    size_t value_count = 1;
    const double* queries = nullptr;
    size_t query_count = 0;
    double fill_value = 0.0;
    unsigned threads = 1;
    double* out = nullptr;  // value_count per query

    const double* values_of(uint32_t point) const { return values + size_t{point} * value_count; }
    double* out_of(uint32_t query) const { return out + size_t{query} * value_count; }
    void fill(uint32_t query) const {
        for (size_t j = 0; j < value_count; ++j) out_of(query)[j] = fill_value;
    }
};

// Each method fills `out` for every query; each throws std::bad_alloc.
void interpolate_linear(const InterpolationInput& in);
void interpolate_nearest(const InterpolationInput& in);
void interpolate_natural(const InterpolationInput& in);

}  // namespace d2d::operations

#endif
