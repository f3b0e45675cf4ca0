#include "triangle_quality_case.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include <triangle.h>

namespace bench {

void measure_triangle_quality(const QualityCase& input, CaseResult* result) {
    const d2dcommon::QualityShape& s = input.shape;
    if (s.xy.size() / 2 > static_cast<std::size_t>(INT_MAX)) {
        set_error(result, "more points than Triangle counts in an int");
        return;
    }
    // Triangle takes non-const arrays of its own types; the copies are
    // made before the clock starts. Its switches read no exponent: the
    // area is written in fixed notation.
    std::vector<double> xy = s.xy;
    std::vector<int> segments(s.segments.begin(), s.segments.end());
    std::vector<double> holes = s.holes;
    std::vector<double> regions;
    for (const delaunay2d_region_point& r : s.regions) regions.insert(regions.end(), {r.x, r.y, r.attribute, r.max_area > 0 ? r.max_area : -1.0});
    char switches[96];
    int written = std::snprintf(switches, sizeof switches, "pzQq%.6f", input.min_angle);
    if (input.max_area > 0) written += std::snprintf(switches + written, sizeof switches - static_cast<std::size_t>(written), "a%.12f", input.max_area);
    if (!regions.empty()) std::snprintf(switches + written, sizeof switches - static_cast<std::size_t>(written), "aA");

    triangulateio in;
    triangulateio out;
    std::memset(&in, 0, sizeof in);
    std::memset(&out, 0, sizeof out);
    in.pointlist = xy.data();
    in.numberofpoints = static_cast<int>(xy.size() / 2);
    in.segmentlist = segments.data();
    in.numberofsegments = static_cast<int>(segments.size() / 2);
    in.holelist = holes.empty() ? nullptr : holes.data();
    in.numberofholes = static_cast<int>(holes.size() / 2);
    in.regionlist = regions.empty() ? nullptr : regions.data();
    in.numberofregions = static_cast<int>(regions.size() / 4);

    start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    triangulate(switches, &in, &out, nullptr);
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    record_peak(result);
    result->triangles = static_cast<std::size_t>(out.numberoftriangles);
    result->vertices = static_cast<std::size_t>(out.numberofpoints);
    result->min_angle = smallest_angle(out.pointlist, out.trianglelist, result->triangles);

    // out.holelist and out.regionlist are in's pointers copied: not freed.
    for (void* p : {static_cast<void*>(out.pointlist), static_cast<void*>(out.pointattributelist),
                    static_cast<void*>(out.pointmarkerlist), static_cast<void*>(out.trianglelist),
                    static_cast<void*>(out.triangleattributelist), static_cast<void*>(out.neighborlist),
                    static_cast<void*>(out.segmentlist), static_cast<void*>(out.segmentmarkerlist),
                    static_cast<void*>(out.edgelist), static_cast<void*>(out.edgemarkerlist)}) {
        if (p) trifree(p);
    }
}

}  // namespace bench
