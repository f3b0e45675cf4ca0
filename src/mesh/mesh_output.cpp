#include "mesh/mesh_output.hpp"

#include <cstdlib>

#include "common/trace_output.hpp"

namespace d2d {

Mesh2D* write_mesh(const TriangulationResult& result, const PageBuffer<Point3D*>& records, Mesh2D* block,
                   bool resize) {
    const size_t count = result.size();
    const size_t bytes = sizeof(Mesh2D) + count * sizeof(Triangle);
    if (block == nullptr) {
        block = checked_malloc<Mesh2D>(bytes);
    } else if (resize) {
        block = static_cast<Mesh2D*>(std::realloc(block, bytes));
        check_realloc(block);
    }
    block->length = count;
    block->inner_length = result.inner_length;
    Triangle* triangles = block->triangles;
    constexpr size_t kAhead = 8;  // host records are scattered: fetch them early
    for (size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) {
            const uint32_t* ahead = &result.vertices[3 * (i + kAhead)];
            for (int k = 0; k < 3; ++k) __builtin_prefetch(records[ahead[k]]);
        }
        const uint32_t* v = &result.vertices[3 * i];
        const uint32_t* nb = &result.neighbours[3 * i];
        Triangle* t = &triangles[i];
        create_triangle(t, records[v[0]], records[v[1]], records[v[2]]);
        for (int k = 0; k < 3; ++k) t->vor[k] = nb[k] == kNone ? nullptr : &triangles[nb[k]];
    }
    return block;
}

}  // namespace d2d
