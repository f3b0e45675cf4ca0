/* Both front ends of the library called from a host thread with a small
 * stack: create_mesh_2d (its trace sent to /dev/null) and
 * delaunay2d_triangulate, on points that reach every stage of the exact
 * predicates (cocircular points whose differences round, and coordinates
 * spread over the whole range of doubles).
 *
 * usage: delaunay2d_small_stack_host STACK_BYTES POINTS
 * Prints "ok" and exits 0, or dies by the overflow (SIGSEGV). */
#include <delaunay2d.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

static size_t point_count;
static int failures;

/* Point i of a family that keeps the exact stages busy: a grid (cocircular
 * quadruples everywhere) shifted by an offset whose differences round, with a
 * few points of extreme magnitude at the end. */
static void point_at(size_t i, double* x, double* y) {
    size_t side = 1;
    while (side * side < point_count) ++side;
    const double offset = 1e6 + 0.1;
    if (i + 4 >= point_count && point_count > 8) {
        static const double far[4][2] = {{1e300, 1e-300}, {-1e300, 3e-310}, {5e-324, -1e300}, {2e-200, 1e200}};
        *x = far[point_count - 1 - i][0];
        *y = far[point_count - 1 - i][1];
        return;
    }
    *x = offset + 0.3 * (double)(i % side);
    *y = offset - 0.3 * (double)(i / side);
}

static void* run_both(void* unused) {
    (void)unused;
    Point3D* points = malloc(point_count * sizeof *points);
    double* xy = malloc(2 * point_count * sizeof *xy);
    if (points == NULL || xy == NULL) {
        failures = 1;
        return NULL;
    }
    for (size_t i = 0; i < point_count; ++i) {
        point_at(i, &xy[2 * i], &xy[2 * i + 1]);
        points[i].x = xy[2 * i];
        points[i].y = xy[2 * i + 1];
        points[i].z = 0.0;
        points[i].w = 0.0;
    }
    Mesh2D* mesh = create_mesh_2d(points, point_count);
    if (mesh == NULL) failures = 1;
    free_mesh(mesh);

    delaunay2d_result result;
    if (delaunay2d_triangulate(xy, point_count, 2, 1, &result) != DELAUNAY2D_OK || result.triangle_count == 0) {
        failures = 1;
    } else {
        delaunay2d_result_free(&result);
    }
    free(points);
    free(xy);
    return NULL;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s STACK_BYTES POINTS\n", argv[0]);
        return 2;
    }
    const size_t stack_bytes = (size_t)strtoull(argv[1], NULL, 10);
    point_count = (size_t)strtoull(argv[2], NULL, 10);
    /* The trace of create_mesh_2d is not what is tested here. */
    if (freopen("/dev/null", "w", stdout) == NULL) return 2;

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    if (pthread_attr_setstacksize(&attributes, stack_bytes) != 0) {
        fprintf(stderr, "cannot set a stack of %zu bytes\n", stack_bytes);
        return 2;
    }
    pthread_t thread;
    if (pthread_create(&thread, &attributes, run_both, NULL) != 0) return 2;
    pthread_join(thread, NULL);
    fprintf(stderr, failures ? "failed\n" : "ok\n");
    return failures;
}
