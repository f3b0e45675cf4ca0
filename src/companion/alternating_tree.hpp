// The companion's triangulation: the engine's base pieces and merge, run
// over the alternating merge tree.
#ifndef DELAUNAY2D_COMPANION_ALTERNATING_TREE_HPP
#define DELAUNAY2D_COMPANION_ALTERNATING_TREE_HPP

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "system/page_buffer.hpp"
#include "triangulate/merge.hpp"
#include "triangulate/record_slots.hpp"
#include "triangulate/records.hpp"

namespace d2d::companion {

// Triangulates points in tree order (see tree_order.hpp). The top levels of
// the tree are cut into a number of tasks that depends on the number of
// points alone; each task builds its piece in slots of its own. Threads only
// decide which tasks run at once, so the records, and with them the result,
// are the same for any number of threads.
class AlternatingTree {
 public:
    // xy: x0, y0, x1, y1, ... of `count` distinct points in tree order; it
    // must outlive the tree.
    AlternatingTree(const double* xy, uint32_t count);
    ~AlternatingTree();
    AlternatingTree(const AlternatingTree&) = delete;
    AlternatingTree& operator=(const AlternatingTree&) = delete;

    // Builds the triangulation on at most `threads` threads (at least one).
    // Throws std::bad_alloc when memory runs out.
    void build(unsigned threads);

    // The number of triangles; numbers them (in record order) on the way.
    size_t number_triangles();
    // Writes each triangle's vertices (counter-clockwise, as point_index of
    // the tree position) and neighbours (triangle numbers, or -1 on the
    // hull), three per triangle. Call after number_triangles.
    void write_triangles(const uint32_t* point_index, uint32_t* vertices, int32_t* neighbours) const;
    // Writes the hull's vertices counter-clockwise from the first point in
    // order 0 (as point_index of the tree position); returns how many. Needs
    // room for every point. Only for a triangulation with triangles.
    size_t write_hull(const uint32_t* point_index, uint32_t* hull) const;

 private:
    struct Task;
    // The ghosts at a piece's extreme points in both cut orders: entry
    // 2 * order is the first point (the ghost's v[1] is that point), entry
    // 2 * order + 1 the last (its v[0]).
    struct Ends {
        uint32_t vertex[4];
        uint32_t ghost[4];
    };

    Ends build_node(uint32_t beg, uint32_t end, unsigned depth, size_t first_task, unsigned threads);
    Ends build_piece(Task& task, uint32_t beg, uint32_t end, unsigned depth);
    Ends base_ends(const Task& task, uint32_t ghost, uint32_t beg, uint32_t end) const;
    Ends merge(Task& task, const Ends& left, const Ends& right, unsigned depth);
    bool before(int order, uint32_t a, uint32_t b) const;

    const double* xy_;
    uint32_t count_;
    unsigned task_depth_;
    triangulation::RecordBlock block_;
    std::vector<std::unique_ptr<Task>> tasks_;
    std::vector<uint32_t> task_first_slot_;
    Ends ends_{};
};

}  // namespace d2d::companion

#endif
