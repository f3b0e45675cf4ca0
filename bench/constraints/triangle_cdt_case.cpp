#include "triangle_cdt_case.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <vector>

#include <triangle.h>

namespace bench {

void measure_triangle_cdt(const ConstraintCase& input, CaseResult* result) {
    if (input.xy.size() / 2 > static_cast<std::size_t>(INT_MAX) ||
        input.segments.size() / 2 > static_cast<std::size_t>(INT_MAX)) {
        set_error(result, "more points or segments than Triangle counts in an int");
        return;
    }
    // Triangle takes non-const arrays of its own types; the copies are
    // made before the clock starts.
    std::vector<double> xy = input.xy;
    std::vector<int> segments(input.segments.begin(), input.segments.end());
    std::vector<double> holes = input.inside ? input.holes : std::vector<double>{};
    char switches[8];
    std::strcpy(switches, input.inside ? "pzQ" : "pzQc");

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

    start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    triangulate(switches, &in, &out, nullptr);
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    record_peak(result);
    result->triangles = static_cast<std::size_t>(out.numberoftriangles);
    result->vertices = static_cast<std::size_t>(out.numberofpoints);

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
