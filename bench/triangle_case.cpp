// Triangle as a benchmark yardstick only; nothing of the library uses it.
#include "triangle_case.h"

#include <chrono>
#include <climits>
#include <cstring>

#include <triangle.h>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

// Frees what triangulate() allocated in out (the pointers it left null are
// skipped; with N the point list stays the caller's null).
void free_output(triangulateio& out) {
    for (void* p : {static_cast<void*>(out.pointlist), static_cast<void*>(out.pointmarkerlist),
                    static_cast<void*>(out.trianglelist), static_cast<void*>(out.neighborlist),
                    static_cast<void*>(out.segmentlist), static_cast<void*>(out.segmentmarkerlist),
                    static_cast<void*>(out.edgelist), static_cast<void*>(out.edgemarkerlist)}) {
        if (p) trifree(p);
    }
}

std::size_t returned_bytes(const triangulateio& out) {
    const std::size_t corners = static_cast<std::size_t>(out.numberoftriangles) * 3;
    return (out.trianglelist ? corners * sizeof(int) : 0) + (out.neighborlist ? corners * sizeof(int) : 0);
}

}  // namespace

void measure_triangle(const std::vector<Point3D>& points, const std::string& switches, int runs,
                      CaseResult* result) {
    if (points.size() > static_cast<std::size_t>(INT_MAX)) {
        set_error(result, "more points than Triangle counts in an int");
        return;
    }
    std::vector<double> xy;
    xy.reserve(2 * points.size());
    for (const Point3D& p : points) {
        xy.push_back(p.x);
        xy.push_back(p.y);
    }
    std::vector<char> switch_text(switches.begin(), switches.end());
    switch_text.push_back('\0');
    for (int run = 0; run < runs && run < kMaxRuns; ++run) {
        const bool first = run == 0;
        triangulateio in;
        triangulateio out;
        std::memset(&in, 0, sizeof in);
        std::memset(&out, 0, sizeof out);
        in.pointlist = xy.data();
        in.numberofpoints = static_cast<int>(points.size());
        if (first) start_peak_watch(result);
        const Clock::time_point start = Clock::now();
        triangulate(switch_text.data(), &in, &out, nullptr);
        result->seconds[run] = std::chrono::duration<double>(Clock::now() - start).count();
        result->runs = run + 1;
        if (first) {
            record_peak(result);
            result->triangles = static_cast<std::size_t>(out.numberoftriangles);
            result->output_bytes = returned_bytes(out);
        }
        free_output(out);
    }
}

}  // namespace bench
