/* The README's first example: the index-array call from C. */
#include <delaunay2d.h>
#include <stdio.h>

int main(void) {
    const double xy[] = {0, 0, 1, 0, 0, 1, 1, 1, 1, 1}; /* x0 y0 x1 y1 ...; the last point repeats */
    delaunay2d_result mesh;
    delaunay2d_status status = delaunay2d_triangulate(xy, 5, 2, 0, &mesh);
    if (status != DELAUNAY2D_OK) {
        fprintf(stderr, "delaunay2d: %s\n", delaunay2d_status_message(status));
        return 1;
    }
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        const uint32_t* v = &mesh.triangles[3 * t];
        const int32_t* n = &mesh.neighbours[3 * t];
        printf("triangle %zu: points %u %u %u, neighbours %d %d %d\n", t, v[0], v[1], v[2], n[0], n[1], n[2]);
    }
    printf("hull:");
    for (size_t i = 0; i < mesh.hull_count; ++i) printf(" %u", mesh.hull[i]);
    printf("\npoint 4 is point %d\n", mesh.vertex_of_point[4]);
    delaunay2d_result_free(&mesh);
    return 0;
}
