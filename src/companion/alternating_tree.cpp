#include "companion/alternating_tree.hpp"

#include "companion/tree_order.hpp"
#include "system/parallel_pair.hpp"

namespace d2d::companion {

using namespace triangulation;

namespace {

// Tasks hold at least this many points, and there are at most eight: enough
// to keep a few cores busy, few enough that the merges above them, which
// run on one thread each, stay a small share of the work.
constexpr uint32_t kTaskPointsFrom = 32768;
constexpr unsigned kMostTaskDepth = 3;

unsigned task_depth_for(uint32_t count) {
    unsigned depth = 0;
    while (depth < kMostTaskDepth && (count >> (depth + 1)) >= kTaskPointsFrom) ++depth;
    return depth;
}

}  // namespace

// One task's slots and merger. The merger keeps references to the slots and
// to the list of created triangles, which the companion does not need and
// empties after every merge.
struct AlternatingTree::Task {
    Task(const double* xy, RecordBlock* block, uint32_t first, uint32_t end)
        : slots(block, first, end), merger(xy, slots, created) {}
    RecordSlots slots;
    PageBuffer<uint32_t> created;
    PieceMerger merger;
};

AlternatingTree::AlternatingTree(const double* xy, uint32_t count)
    : xy_(xy),
      count_(count),
      task_depth_(task_depth_for(count)),
      block_(record_slots(count, size_t{1} << task_depth_for(count))) {
    // Task t builds the t-th piece at the task depth and gets slots in
    // proportion to its points.
    const size_t tasks = size_t{1} << task_depth_;
    tasks_.reserve(tasks);
    task_first_slot_.reserve(tasks);
    std::vector<uint32_t> bounds{0, count};
    for (unsigned level = 0; level < task_depth_; ++level) {
        std::vector<uint32_t> finer{0};
        for (size_t i = 1; i < bounds.size(); ++i) {
            finer.push_back(bounds[i - 1] + (bounds[i] - bounds[i - 1]) / 2);
            finer.push_back(bounds[i]);
        }
        bounds = std::move(finer);
    }
    for (size_t t = 0; t < tasks; ++t) {
        const auto first = static_cast<uint32_t>(record_slots(bounds[t], t));
        const auto end = static_cast<uint32_t>(record_slots(bounds[t + 1], t + 1));
        task_first_slot_.push_back(first);
        tasks_.push_back(std::make_unique<Task>(xy, &block_, first, end));
    }
}

AlternatingTree::~AlternatingTree() = default;

bool AlternatingTree::before(int order, uint32_t a, uint32_t b) const {
    const IndexedPoint p{xy_[2 * a], xy_[2 * a + 1], a};
    const IndexedPoint q{xy_[2 * b], xy_[2 * b + 1], b};
    return order == 0 ? before_in_order0(p, q) : before_in_order1(p, q);
}

void AlternatingTree::build(unsigned threads) {
    if (count_ < 2) return;
    ends_ = build_node(0, count_, 0, 0, threads);
}

// A node above the task depth: its halves (on two threads when there are
// threads to spare), then their merge, in the slots of its first task,
// which takes in those of its second half's first task.
AlternatingTree::Ends AlternatingTree::build_node(uint32_t beg, uint32_t end, unsigned depth, size_t first_task,
                                                  unsigned threads) {
    if (depth == task_depth_) return build_piece(*tasks_[first_task], beg, end, depth);
    const uint32_t mid = beg + (end - beg) / 2;
    const size_t second_task = first_task + (size_t{1} << (task_depth_ - depth - 1));
    Ends left{};
    Ends right{};
    const unsigned left_threads = threads > 1 ? (threads + 1) / 2 : 1;
    const unsigned right_threads = threads > 1 ? threads / 2 : 1;
    const auto build_left = [&] { left = build_node(beg, mid, depth + 1, first_task, left_threads); };
    const auto build_right = [&] { right = build_node(mid, end, depth + 1, second_task, right_threads); };
    if (!run_pair_at_once_if(threads > 1, build_left, build_right)) {
        build_left();
        build_right();
    }
    Task& task = *tasks_[first_task];
    std::vector<SlotSpan> spans;
    PageBuffer<uint32_t> free;
    tasks_[second_task]->slots.surrender(spans, free);
    task.slots.take_in(spans, free);
    return merge(task, left, right, depth);
}

AlternatingTree::Ends AlternatingTree::build_piece(Task& task, uint32_t beg, uint32_t end, unsigned depth) {
    const uint32_t n = end - beg;
    if (n == 2) return base_ends(task, task.merger.build_two(beg).left, beg, end);
    if (n == 3) return base_ends(task, task.merger.build_three(beg).left, beg, end);
    const uint32_t mid = beg + n / 2;
    const Ends left = build_piece(task, beg, mid, depth + 1);
    const Ends right = build_piece(task, mid, end, depth + 1);
    return merge(task, left, right, depth);
}

// The extreme points of a base piece, and their ghosts found around its ring.
AlternatingTree::Ends AlternatingTree::base_ends(const Task& task, uint32_t ghost, uint32_t beg, uint32_t end) const {
    Ends ends{};
    for (int order = 0; order < 2; ++order) {
        uint32_t first = beg;
        uint32_t last = beg;
        for (uint32_t p = beg + 1; p < end; ++p) {
            if (before(order, p, first)) first = p;
            if (before(order, last, p)) last = p;
        }
        ends.vertex[2 * order] = first;
        ends.vertex[2 * order + 1] = last;
    }
    const Record* records = task.slots.records();
    uint32_t g = ghost;
    do {
        for (int k = 0; k < 4; k += 2) {
            if (records[g].v[1] == ends.vertex[k]) ends.ghost[k] = g;
            if (records[g].v[0] == ends.vertex[k + 1]) ends.ghost[k + 1] = g;
        }
        g = ref_record(records[g].across[1]);
    } while (g != ghost);
    return ends;
}

// Merges across the cut of this depth. The merged piece's extreme point in
// either order is one of the halves' extreme points, and the ghost at it is
// the half's ghost unless a common tangent now leaves that point (every
// other hull edge of the merged piece is a hull edge of a half, with its
// ghost).
AlternatingTree::Ends AlternatingTree::merge(Task& task, const Ends& left, const Ends& right, unsigned depth) {
    const int cut = cut_order(depth);
    const MergeSeam seam = task.merger.merge(left.ghost[2 * cut + 1], right.ghost[2 * cut]);
    task.merger.release_removed();
    task.created.clear();
    const Record* records = task.slots.records();
    const Record& bottom = records[seam.bottom];
    const Record& top = records[seam.top];
    Ends merged{};
    for (int order = 0; order < 2; ++order) {
        const int f = 2 * order;
        const bool left_first = before(order, left.vertex[f], right.vertex[f]);
        const uint32_t first = left_first ? left.vertex[f] : right.vertex[f];
        merged.vertex[f] = first;
        merged.ghost[f] = bottom.v[1] == first ? seam.bottom
                          : top.v[1] == first  ? seam.top
                                               : (left_first ? left.ghost[f] : right.ghost[f]);
        const int l = f + 1;
        const bool right_last = before(order, left.vertex[l], right.vertex[l]);
        const uint32_t last = right_last ? right.vertex[l] : left.vertex[l];
        merged.vertex[l] = last;
        merged.ghost[l] = bottom.v[0] == last ? seam.bottom
                          : top.v[0] == last  ? seam.top
                                              : (right_last ? right.ghost[l] : left.ghost[l]);
    }
    return merged;
}

size_t AlternatingTree::number_triangles() {
    if (count_ < 3) return 0;
    Record* records = tasks_[0]->slots.records();
    const std::vector<SlotSpan>& spans = tasks_[0]->slots.spans();
    uint32_t number = 0;
    for (size_t s = 0; s < spans.size(); ++s) {
        for (uint32_t id = task_first_slot_[s]; id < spans[s].next; ++id) {
            Record& r = records[id];
            if (r.alive != 0 && r.v[2] != kGhost) r.rank = number++;
        }
    }
    return number;
}

void AlternatingTree::write_triangles(const uint32_t* point_index, uint32_t* vertices, int32_t* neighbours) const {
    if (count_ < 3) return;
    const Record* records = tasks_[0]->slots.records();
    const std::vector<SlotSpan>& spans = tasks_[0]->slots.spans();
    size_t row = 0;
    for (size_t s = 0; s < spans.size(); ++s) {
        for (uint32_t id = task_first_slot_[s]; id < spans[s].next; ++id) {
            const Record& r = records[id];
            if (r.alive == 0 || r.v[2] == kGhost) continue;
            for (int k = 0; k < 3; ++k) {
                vertices[3 * row + k] = point_index[r.v[k]];
                const Record& other = records[ref_record(r.across[k])];
                neighbours[3 * row + k] = other.v[2] == kGhost ? -1 : static_cast<int32_t>(other.rank);
            }
            ++row;
        }
    }
}

size_t AlternatingTree::write_hull(const uint32_t* point_index, uint32_t* hull) const {
    const Record* records = tasks_[0]->slots.records();
    // The ghost outside the hull edge that enters the first point clockwise;
    // stepping against the ring's clockwise order visits the hull
    // counter-clockwise.
    const uint32_t start = ends_.ghost[0];
    const uint32_t first = records[start].v[1];
    size_t size = 0;
    hull[size++] = point_index[first];
    for (uint32_t g = start; records[g].v[0] != first; g = ref_record(records[g].across[2])) {
        hull[size++] = point_index[records[g].v[0]];
    }
    return size;
}

}  // namespace d2d::companion
