#include "traced/5_write/write_mesh.hpp"

#include <cstdlib>

#include "engine/system/parallel_pair.hpp"
#include "traced/thread_thresholds.hpp"
#include "blocks/common/checked_malloc.hpp"
#include "blocks/common/trace_output.hpp"

namespace d2d::traced {
namespace {

// Builds the triangles [first, last) of the block.
void write_triangles(const TriangulationResult& result, const PageBuffer<Point3D*>& records, Triangle* triangles,
                     size_t first, size_t last) {
    // The block is fresh: having its pages mapped in one request is much
    // cheaper than taking a fault on each of them.
    page_memory::populate(triangles + first, (last - first) * sizeof(Triangle));
    constexpr size_t kAhead = 8;  // host records are scattered: fetch them early
    for (size_t i = first; i < last; ++i) {
        if (i + kAhead < last) {
            const uint32_t* ahead = &result.vertices[3 * (i + kAhead)];
            for (int k = 0; k < 3; ++k) __builtin_prefetch(records[ahead[k]]);
        }
        const uint32_t* v = &result.vertices[3 * i];
        const uint32_t* nb = &result.neighbours[3 * i];
        Triangle* t = &triangles[i];
        create_triangle(t, records[v[0]], records[v[1]], records[v[2]]);
        for (int k = 0; k < 3; ++k) t->vor[k] = nb[k] == kNone ? nullptr : &triangles[nb[k]];
    }
}

}  // namespace

Mesh2D* write_mesh(const TriangulationResult& result, const PageBuffer<Point3D*>& records, Mesh2D* block,
                   bool resize, ThreadCount threads) {
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
    // Each triangle is built from the result alone: two threads can write
    // the two halves of the block.
    run_halves(threads.when(count >= thresholds::kWriteOnTwoThreadsFrom), count,
               [&](int, size_t first, size_t last) { write_triangles(result, records, triangles, first, last); });
    return block;
}

}  // namespace d2d::traced
