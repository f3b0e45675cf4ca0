// The triangulators the benchmark times side by side, and the one place that
// knows which of them this build can run.
#ifndef DELAUNAY2D_BENCH_CONTENDERS_H
#define DELAUNAY2D_BENCH_CONTENDERS_H

#include <string>
#include <vector>

#include "case_result.h"
#include "delaunay2d.h"

namespace bench {

enum class Contender {
    triangulate1,  // delaunay2d_triangulate, threads = 1
    triangulate2,  // delaunay2d_triangulate, threads = 2
    entry,       // create_mesh_2d, the mesh entry point, its own thread choice
    cgal,        // CGAL Delaunay_triangulation_2, range insert
    triangle,    // Triangle's triangulate(), divide and conquer
};

const char* contender_name(Contender c);
bool parse_contender(const std::string& name, Contender* c);

// Every contender, in table order.
std::vector<Contender> all_contenders();

// Whether this build has the contender (CGAL and Triangle only where they
// were found at configure time).
bool contender_built(Contender c);

// A line that says what the contender is, for the table's preamble.
std::string contender_description(Contender c);

// What the measurements may vary beyond the points.
struct MeasureSettings {
    bool entry_one_thread = false;   // DELAUNAY2D_THREADS=1 in the entry point's process
    bool entry_point_trace = false;  // also time print_point_3d_list (extra_seconds)
    // Triangle's switches: z (number from zero), Q (quiet), N and B (no copy
    // of the points, no boundary markers); the triangles come back as an
    // index array, as the index-array call's do.
    std::string triangle_switches = "zQNB";
};

// Runs the contender's measurement; in a child process of its own, since
// some of them change the process (its standard output, its environment).
void measure_contender(Contender c, std::vector<Point3D>& points, int runs, const MeasureSettings& settings,
                       CaseResult* result);

}  // namespace bench

#endif
