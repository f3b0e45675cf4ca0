#include "triangle_quality_case.h"

#include <climits>
#include <cstdio>
#include <vector>

#include "../triangle_pslg_run.h"

namespace bench {

void measure_triangle_quality(const QualityCase& input, CaseResult* result) {
    const d2dcommon::QualityShape& s = input.shape;
    if (s.xy.size() / 2 > static_cast<std::size_t>(INT_MAX)) {
        set_error(result, "more points than Triangle counts in an int");
        return;
    }
    // Triangle's switches read no exponent: the area is written in fixed
    // notation.
    TrianglePslg pslg;
    pslg.xy = s.xy;
    pslg.segments.assign(s.segments.begin(), s.segments.end());
    pslg.holes = s.holes;
    for (const delaunay2d_region_point& r : s.regions) pslg.regions.insert(pslg.regions.end(), {r.x, r.y, r.attribute, r.max_area > 0 ? r.max_area : -1.0});
    char switches[96];
    int written = std::snprintf(switches, sizeof switches, "pzQq%.6f", input.min_angle);
    if (input.max_area > 0) written += std::snprintf(switches + written, sizeof switches - static_cast<std::size_t>(written), "a%.12f", input.max_area);
    if (!pslg.regions.empty()) std::snprintf(switches + written, sizeof switches - static_cast<std::size_t>(written), "aA");
    run_triangle_pslg(switches, pslg, result, [&](const double* points, const int* triangles) {
        result->min_angle = smallest_angle(points, triangles, result->triangles);
    });
}

}  // namespace bench
