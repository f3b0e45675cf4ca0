// The index-array call's triangulation: the engine's base pieces and merge, run
// over the alternating merge tree.
#ifndef DELAUNAY2D_INDEX_ARRAYS_ALTERNATING_TREE_HPP
#define DELAUNAY2D_INDEX_ARRAYS_ALTERNATING_TREE_HPP

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "index_arrays/tree_order.hpp"
#include "engine/system/page_buffer.hpp"
#include "engine/system/thread_count.hpp"
#include "engine/merge/merge.hpp"
#include "engine/merge/record_slots.hpp"
#include "engine/merge/records.hpp"

namespace d2d::index_arrays {

// Triangulates points in tree order (see tree_order.hpp). The top levels of
// the tree are cut into tasks that depend on the points alone; each task
// builds its piece in slots of its own. Threads only decide which tasks run
// at once, so the records, and with them the result, are the same for any
// number of threads.
class AlternatingTree {
 public:
    // xy: x0, y0, x1, y1, ... of `count` distinct points in key order, with
    // their input indices and the keys their cuts follow; all must outlive
    // the tree. Building puts the points of median cuts and of base pieces
    // in place (the indices follow their points).
    AlternatingTree(double* xy, uint32_t* point_index, const uint32_t* keys, uint32_t count);
    ~AlternatingTree();
    AlternatingTree(const AlternatingTree&) = delete;
    AlternatingTree& operator=(const AlternatingTree&) = delete;

    // Builds the triangulation on at most `threads` threads (at least one).
    // Throws std::bad_alloc when memory runs out.
    void build(ThreadCount threads);

    // Whether a merge found four points exactly on one circle (see
    // PieceMerger::met_cocircular); after build.
    bool met_cocircular() const;

    // The number of triangles; numbers them in record order on the way, on
    // at most `threads` threads. The point indices below are those given
    // to the constructor.
    size_t number_triangles(ThreadCount threads);
    // Writes the hull's vertices counter-clockwise from the first point in
    // order 0 (as point_index of the tree position); returns how many. Needs
    // room for every point. Only for a triangulation with triangles, before
    // write_triangles.
    size_t write_hull(uint32_t* hull) const;
    // Writes each triangle's vertices (counter-clockwise, as point_index of
    // the tree position) and neighbours (triangle numbers, or -1 on the
    // hull), three per triangle, on at most `threads` threads. Gives the
    // records' memory back as it goes, so that the records and the arrays
    // are never both whole: the tree is spent afterwards.
    void write_triangles(uint32_t* vertices, int32_t* neighbours, ThreadCount threads);

 private:
    struct Task;
    // The ghosts at a piece's extreme points in both cut orders: entry
    // 2 * order is the first point (the ghost's v[1] is that point), entry
    // 2 * order + 1 the last (its v[0]).
    struct Ends {
        uint32_t vertex[4];
        uint32_t ghost[4];
    };

    // A node of the tree's top levels: cut into two nodes, or a task.
    struct PlanNode {
        Piece piece;
        int order;       // the cut's order, for a cut node
        bool median;     // whether that cut is a median cut
        size_t first;    // a cut node's first child
        size_t second;   // its second child
        size_t task;     // the node's first task (its own, for a task node)
        bool is_task;
    };

    size_t plan(const Piece& piece, unsigned depth);
    Ends build_node(size_t node, ThreadCount threads);
    template <class Work>
    void for_each_span(ThreadCount threads, Work&& work);
    Ends build_piece(Task& task, const Piece& piece);
    Ends base_ends(const Task& task, uint32_t ghost, const Piece& piece) const;
    Ends merge(Task& task, const Ends& left, const Ends& right, int order);
    bool before(int order, uint32_t a, uint32_t b) const;
    void arrange_median_cut(const Piece& piece, const Cut& cut);
    void sort_base_piece(const Piece& piece);

    double* xy_;
    uint32_t* point_index_;
    const uint32_t* keys_;
    uint32_t count_;
    std::unique_ptr<merge::RecordBlock> block_;
    std::vector<PlanNode> plan_;
    std::vector<std::unique_ptr<Task>> tasks_;
    std::vector<uint32_t> task_first_slot_;
    Ends ends_{};
    // The number of each triangle record, by slot; the first number of each
    // span's triangles.
    PageBuffer<uint32_t> number_;
    std::vector<size_t> span_first_number_;
};

}  // namespace d2d::index_arrays

#endif
