/* The quality refinement example of doc/constraints.md, built as strict C11
 * and run: an L-shaped plate with two regions, 30 degrees, per-region area
 * bounds. Prints the figures the test matches. */
#include <delaunay2d.h>
#include <stdio.h>

int main(void) {
    /* An L-shaped plate (outer ring 0-5) split by the segment 6-7 into two
     * regions. */
    double xy[] = {0, 0, 2, 0, 2, 1, 1, 1, 1, 2, 0, 2, 1, 0, 1, 1};
    uint32_t segments[] = {0, 6, 6, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 0, 6, 7};
    delaunay2d_region_point regions[] = {
        {0.5, 0.5, 1.0, 0.001},  /* x, y inside; attribute 1; area <= 0.001 */
        {1.5, 0.5, 2.0, 0.0},    /* attribute 2; the global bound */
    };
    delaunay2d_quality_options quality = {0};
    quality.struct_size = sizeof quality;
    quality.min_angle = 30.0;      /* degrees */
    quality.max_area = 0.01;

    delaunay2d_constraint_options options = {0};
    options.struct_size = sizeof options;
    options.segments = segments;
    options.segment_count = 8;
    options.region = DELAUNAY2D_REGION_INSIDE;
    options.regions = regions;
    options.region_count = 2;
    options.quality = &quality;

    delaunay2d_constrained_result result = {0};
    result.struct_size = sizeof result;
    if (delaunay2d_triangulate_constrained(xy, 8, 2, &options, &result) != DELAUNAY2D_OK) return 1;
    /* result.points: the 8 input points, then result.added_count added ones;
     * result.triangle_attributes[t]: 1 or 2; result.quality: the figures. */
    size_t in_first = 0;
    for (size_t t = 0; t < result.mesh.triangle_count; ++t) in_first += result.triangle_attributes[t] == 1.0;
    printf("triangles %zu, region 1: %zu, smallest angle %s 30, unrefined %llu\n", result.mesh.triangle_count, in_first,
           result.quality.min_angle >= 30.0 ? ">=" : "<", (unsigned long long)result.quality.unrefined_count);
    delaunay2d_constrained_result_free(&result);
    return 0;
}
