/* A program that uses an installed delaunay2d the way a new project would:
 * triangulates the corners and the centre of a square with the index-array call
 * and prints what it got. Built by the two consumer projects beside this
 * file (CMake's find_package, and pkg-config). */
#include <delaunay2d.h>
#include <stdio.h>

/* The one include declares the traced entry points' records too (they live
 * in a second installed header that this one includes). */
typedef char traced_records_declared[sizeof(Point3D) == 4 * sizeof(double) ? 1 : -1];

int main(void) {
    const double coords[] = {0, 0, 2, 0, 2, 2, 0, 2, 1, 1};
    delaunay2d_result result;
    delaunay2d_status status = delaunay2d_triangulate(coords, 5, 2, 0, &result);
    if (status != DELAUNAY2D_OK) {
        fprintf(stderr, "delaunay2d_triangulate: %s\n", delaunay2d_status_message(status));
        return 1;
    }
    printf("delaunay2d %s: %zu triangles, %zu hull points\n", delaunay2d_version(), result.triangle_count,
           result.hull_count);
    int ok = result.triangle_count == 4 && result.hull_count == 4;
    delaunay2d_result_free(&result);
    return ok ? 0 : 1;
}
