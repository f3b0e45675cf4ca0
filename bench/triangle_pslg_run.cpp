#include "triangle_pslg_run.h"

#include <chrono>
#include <cstring>

#include <triangle.h>

namespace bench {

void run_triangle_pslg(char* switches, TrianglePslg& input, CaseResult* result,
                       const std::function<void(const double* points, const int* triangles)>& inspect) {
    triangulateio in;
    triangulateio out;
    std::memset(&in, 0, sizeof in);
    std::memset(&out, 0, sizeof out);
    in.pointlist = input.xy.data();
    in.numberofpoints = static_cast<int>(input.xy.size() / 2);
    in.segmentlist = input.segments.data();
    in.numberofsegments = static_cast<int>(input.segments.size() / 2);
    in.holelist = input.holes.empty() ? nullptr : input.holes.data();
    in.numberofholes = static_cast<int>(input.holes.size() / 2);
    in.regionlist = input.regions.empty() ? nullptr : input.regions.data();
    in.numberofregions = static_cast<int>(input.regions.size() / 4);

    start_peak_watch(result);
    const auto start = std::chrono::steady_clock::now();
    triangulate(switches, &in, &out, nullptr);
    result->seconds[0] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result->runs = 1;
    record_peak(result);
    result->triangles = static_cast<std::size_t>(out.numberoftriangles);
    result->vertices = static_cast<std::size_t>(out.numberofpoints);
    if (inspect) inspect(out.pointlist, out.trianglelist);

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
