// One constrained call on a test input, its result freed when the call
// object goes, and the question most tests ask of it. Regions and quality
// bounds are optional, so refinement tests make the same call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "delaunay2d.h"
#include "support/constrained_checker.hpp"

namespace d2dtest {

struct ConstrainedCall {
    delaunay2d_constrained_result result{};
    delaunay2d_status status;

    // `regions` and `quality` are read during the call only.
    explicit ConstrainedCall(const ConstrainedInput& in, unsigned threads = 1,
                             const std::vector<delaunay2d_region_point>& regions = {},
                             const delaunay2d_quality_options* quality = nullptr) {
        delaunay2d_constraint_options options{};
        options.struct_size = sizeof options;
        options.segments = in.segments.data();
        options.segment_count = in.segments.size() / 2;
        options.holes = in.holes.data();
        options.hole_count = in.holes.size() / 2;
        options.region = in.region;
        options.threads = threads;
        options.regions = regions.data();
        options.region_count = regions.size();
        options.quality = quality;
        result.struct_size = sizeof result;
        status = delaunay2d_triangulate_constrained(in.xy.data(), in.xy.size() / 2, 2, &options, &result);
    }
    ~ConstrainedCall() { delaunay2d_constrained_result_free(&result); }
    ConstrainedCall(const ConstrainedCall&) = delete;
    ConstrainedCall& operator=(const ConstrainedCall&) = delete;

    // Whether a - b (either way) is one of the segments as split.
    bool has_edge(uint32_t a, uint32_t b) const {
        for (size_t k = 0; k < result.segment_count; ++k) {
            const uint32_t u = result.segments[2 * k], v = result.segments[2 * k + 1];
            if ((u == a && v == b) || (u == b && v == a)) return true;
        }
        return false;
    }
};

}  // namespace d2dtest
