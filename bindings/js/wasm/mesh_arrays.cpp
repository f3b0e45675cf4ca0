// What the JavaScript package needs beside the library's own calls: the
// half-edge arrays that JavaScript code expects, written next to the mesh in
// WebAssembly memory so that the page copies each array out once, and the
// size of the heap in use, which the package's tests watch for leaks.
#include <malloc.h>

#include <cstddef>
#include <cstdint>

#include "delaunay2d.h"

// The package reads delaunay2d_result field by field from WebAssembly
// memory: these offsets are what its loader assumes.
static_assert(sizeof(size_t) == 4 && sizeof(void*) == 4, "32-bit WebAssembly");
static_assert(offsetof(delaunay2d_result, triangle_count) == 4);
static_assert(offsetof(delaunay2d_result, triangles) == 8);
static_assert(offsetof(delaunay2d_result, neighbours) == 12);
static_assert(offsetof(delaunay2d_result, hull_count) == 16);
static_assert(offsetof(delaunay2d_result, hull) == 20);
static_assert(offsetof(delaunay2d_result, vertex_of_point) == 24);
static_assert(sizeof(delaunay2d_result) == 28);
// The constrained call's records as src/operations.js writes and reads them.
static_assert(offsetof(delaunay2d_constraint_options, region) == 20);
static_assert(offsetof(delaunay2d_constraint_options, regions) == 28);
static_assert(offsetof(delaunay2d_constraint_options, quality) == 36);
static_assert(sizeof(delaunay2d_constraint_options) == 40);
static_assert(sizeof(delaunay2d_region_point) == 32);
static_assert(offsetof(delaunay2d_quality_options, min_angle) == 8);
static_assert(offsetof(delaunay2d_quality_options, max_steiner) == 24);
static_assert(offsetof(delaunay2d_quality_options, conforming) == 32);
static_assert(sizeof(delaunay2d_quality_options) == 40);
static_assert(offsetof(delaunay2d_constrained_result, points) == 32);
static_assert(offsetof(delaunay2d_constrained_result, triangle_attributes) == 52);
static_assert(offsetof(delaunay2d_constrained_result, hole_on_segment_count) == 56);
static_assert(offsetof(delaunay2d_constrained_result, quality) == 64);
static_assert(offsetof(delaunay2d_mesh_quality, added_by_refinement) == 160);
static_assert(offsetof(delaunay2d_mesh_quality, budget_reached) == 176);
static_assert(sizeof(delaunay2d_constrained_result) == 248);

#define D2D_JS_EXPORT extern "C" __attribute__((used, visibility("default")))

// Half-edge e = 3t + i runs from triangles[e] to triangles[3t + (i + 1) % 3];
// its opposite runs the other way in the triangle across, or is -1.
//
//        c             The neighbour u across edge i = (a, b) lists b
//       / \            somewhere, at position j; its edge j starts at b
//      a---b           and ends at a, so the opposite of 3t + i is 3u + j.
//       \ /
//        d   (in u)
//
// With `clockwise` set, each row (a, b, c) is rewritten (a, c, b), as a page
// with y pointing down draws counter-clockwise, and half-edge 3t + i becomes
// 3t + 2 - i (edge (a, b) is now the third, (c, a) the first).
D2D_JS_EXPORT void d2d_js_halfedges(uint32_t* triangles, const int32_t* neighbours, size_t triangle_count,
                                    int clockwise, int32_t* halfedges) {
    for (size_t t = 0; t < triangle_count; ++t) {
        const uint32_t* v = triangles + 3 * t;
        for (size_t i = 0; i < 3; ++i) {
            const int32_t u = neighbours[3 * t + i];
            int32_t opposite = -1;
            if (u >= 0) {
                const uint32_t b = v[(i + 1) % 3];
                const uint32_t* w = triangles + 3 * static_cast<size_t>(u);
                const int32_t j = w[0] == b ? 0 : w[1] == b ? 1 : 2;
                opposite = 3 * u + (clockwise ? 2 - j : j);
            }
            halfedges[3 * t + (clockwise ? 2 - i : i)] = opposite;
        }
    }
    if (!clockwise) return;
    for (size_t t = 0; t < triangle_count; ++t) {
        const uint32_t b = triangles[3 * t + 1];
        triangles[3 * t + 1] = triangles[3 * t + 2];
        triangles[3 * t + 2] = b;
    }
}

// Bytes the C heap has handed out and not taken back.
D2D_JS_EXPORT size_t d2d_js_heap_in_use() { return mallinfo().uordblks; }
