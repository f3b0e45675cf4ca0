// Times the mesh entry point create_mesh_2d on one point set and
// measures the peak memory of its first call.
#ifndef DELAUNAY2D_BENCH_ENTRY_POINT_CASE_H
#define DELAUNAY2D_BENCH_ENTRY_POINT_CASE_H

#include <vector>

#include "case_result.h"
#include "delaunay2d.h"

namespace bench {

// Calls create_mesh_2d `runs` times with standard output sent to /dev/null;
// each timed call includes the final flush of its trace lines, never
// free_mesh. The output is the returned Mesh2D block. With
// time_point_trace, also times print_point_3d_list on the same n points
// (the point lines alone, the bulk of the trace) into result->extra_seconds.
void measure_entry_point(std::vector<Point3D>& points, int runs, bool time_point_trace, CaseResult* result);

}  // namespace bench

#endif
