#include "index_arrays/alternating_tree.hpp"

#include <algorithm>
#include <span>

#include "index_arrays/tree_order.hpp"
#include "engine/system/parallel_pair.hpp"

namespace d2d::index_arrays {

using namespace merge;

namespace {

// The top of the tree is cut into tasks down to this depth (at most eight
// tasks), or to pieces of fewer points than this: enough tasks to keep a
// few cores busy, and large ones, since the merges above them run on one
// thread each.
constexpr unsigned kTaskDepth = 3;
constexpr uint32_t kTaskPointsFrom = 32768;

}  // namespace

// One task's slots and merger. The merger keeps references to the slots and
// to the list of created triangles, which the index-array call does not need and
// empties after every merge.
struct AlternatingTree::Task {
    Task(const double* xy, RecordBlock* block, uint32_t first, uint32_t end)
        : slots(block, first, end), merger(xy, slots, created) {}
    RecordSlots slots;
    PageBuffer<uint32_t> created;
    PieceMerger merger;
};

AlternatingTree::AlternatingTree(double* xy, uint32_t* point_index, const uint32_t* keys, uint32_t count)
    : xy_(xy), point_index_(point_index), keys_(keys), count_(count) {
    if (count < 2) return;
    plan(whole_piece(count), 0);
    // Each task builds its piece in slots of its own, in proportion to its
    // points.
    block_ = std::make_unique<RecordBlock>(record_slots(count, task_first_slot_.size()));
    for (const PlanNode& node : plan_) {
        if (!node.is_task) continue;
        const auto end = static_cast<uint32_t>(record_slots(node.piece.end, node.task + 1));
        tasks_.push_back(std::make_unique<Task>(xy, block_.get(), task_first_slot_[node.task], end));
    }
}

bool AlternatingTree::met_cocircular() const {
    for (const std::unique_ptr<Task>& task : tasks_) {
        if (task->merger.met_cocircular()) return true;
    }
    return false;
}

// Lays out the top of the tree; returns the node's place in plan_.
size_t AlternatingTree::plan(const Piece& piece, unsigned depth) {
    const size_t node = plan_.size();
    plan_.push_back(PlanNode{piece, 0, false, 0, 0, task_first_slot_.size(), true});
    if (depth < kTaskDepth && piece.size() >= 2 * kTaskPointsFrom) {
        const Cut cut = cut_piece(keys_, piece);
        plan_[node].is_task = false;
        plan_[node].order = cut.order;
        plan_[node].median = cut.first.median_order >= 0;
        const size_t first = plan(cut.first, depth + 1);
        const size_t second = plan(cut.second, depth + 1);
        plan_[node].first = first;
        plan_[node].second = second;
        return node;
    }
    task_first_slot_.push_back(static_cast<uint32_t>(record_slots(piece.beg, task_first_slot_.size())));
    return node;
}

AlternatingTree::~AlternatingTree() = default;

bool AlternatingTree::before(int order, uint32_t a, uint32_t b) const {
    const IndexedPoint p{xy_[2 * a], xy_[2 * a + 1], a};
    const IndexedPoint q{xy_[2 * b], xy_[2 * b + 1], b};
    return order == 0 ? before_in_order0(p, q) : before_in_order1(p, q);
}

void AlternatingTree::build(ThreadCount threads) {
    if (count_ < 2) return;
    ends_ = build_node(0, threads);
}

// A node of the tree's top: its two halves (on two threads when there are
// threads to spare), then their merge, in the slots of its first task,
// which takes in those of its second half's first task.
AlternatingTree::Ends AlternatingTree::build_node(size_t index, ThreadCount threads) {
    const PlanNode& node = plan_[index];
    if (node.is_task) return build_piece(*tasks_[node.task], node.piece);
    if (node.median) arrange_median_cut(node.piece, cut_piece(keys_, node.piece));
    Ends first{};
    Ends second{};
    const auto build_first = [&] { first = build_node(node.first, threads.first_share()); };
    const auto build_second = [&] { second = build_node(node.second, threads.second_share()); };
    run_pair(threads, build_first, build_second);
    Task& task = *tasks_[node.task];
    std::vector<SlotSpan> spans;
    PageBuffer<uint32_t> free;
    tasks_[plan_[node.second].task]->slots.surrender(spans, free);
    task.slots.take_in(spans, free);
    return merge(task, first, second, node.order);
}

AlternatingTree::Ends AlternatingTree::build_piece(Task& task, const Piece& piece) {
    if (piece.size() <= 3) {
        sort_base_piece(piece);
        const HullEnds ends = piece.size() == 2 ? task.merger.build_two(piece.beg) : task.merger.build_three(piece.beg);
        return base_ends(task, ends.left, piece);
    }
    const Cut cut = cut_piece(keys_, piece);
    if (cut.first.median_order >= 0) arrange_median_cut(piece, cut);
    const Ends first = build_piece(task, cut.first);
    const Ends second = build_piece(task, cut.second);
    return merge(task, first, second, cut.order);
}

// Median cuts come from runs of points closer than a cell and from cuts
// that would leave one point alone; most are small pieces near the leaves.
// Their points are moved through a copy, on the stack when it is small.
void AlternatingTree::arrange_median_cut(const Piece& piece, const Cut& cut) {
    constexpr uint32_t kOnStack = 64;
    IndexedPoint small[kOnStack];
    std::vector<IndexedPoint> large;
    if (piece.size() > kOnStack) large.resize(piece.size());
    const std::span<IndexedPoint> points(piece.size() > kOnStack ? large.data() : small, piece.size());
    for (uint32_t i = 0; i < piece.size(); ++i) {
        const uint32_t p = piece.beg + i;
        points[i] = IndexedPoint{xy_[2 * p], xy_[2 * p + 1], point_index_[p]};
    }
    const auto mid = points.begin() + (cut.first.end - piece.beg);
    if (cut.order == 0) {
        std::nth_element(points.begin(), mid, points.end(), before_in_order0);
    } else {
        std::nth_element(points.begin(), mid, points.end(), before_in_order1);
    }
    for (uint32_t i = 0; i < piece.size(); ++i) {
        const uint32_t p = piece.beg + i;
        xy_[2 * p] = points[i].x;
        xy_[2 * p + 1] = points[i].y;
        point_index_[p] = points[i].index;
    }
}

// A base piece's points in order 0, as the base pieces expect them.
void AlternatingTree::sort_base_piece(const Piece& piece) {
    for (uint32_t i = piece.beg + 1; i < piece.end; ++i) {
        for (uint32_t j = i; j > piece.beg && before(0, j, j - 1); --j) {
            std::swap(xy_[2 * j], xy_[2 * j - 2]);
            std::swap(xy_[2 * j + 1], xy_[2 * j - 1]);
            std::swap(point_index_[j], point_index_[j - 1]);
        }
    }
}

// The extreme points of a base piece, and their ghosts found around its ring.
AlternatingTree::Ends AlternatingTree::base_ends(const Task& task, uint32_t ghost, const Piece& piece) const {
    Ends ends{};
    for (int order = 0; order < 2; ++order) {
        uint32_t first = piece.beg;
        uint32_t last = piece.beg;
        for (uint32_t p = piece.beg + 1; p < piece.end; ++p) {
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

// Merges across a cut in the given order. The merged piece's extreme point
// in either order is one of the halves' extreme points, and the ghost at it
// is the half's ghost unless a common tangent now leaves that point (every
// other hull edge of the merged piece is a hull edge of a half, with its
// ghost).
AlternatingTree::Ends AlternatingTree::merge(Task& task, const Ends& left, const Ends& right, int cut) {
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

// Runs work(span, first, end) over the used slots of every span: the
// spans of the first half of the list on one thread, the rest on another
// when there are threads to spare.
template <class Work>
void AlternatingTree::for_each_span(ThreadCount threads, Work&& work) {
    const std::vector<SlotSpan>& spans = tasks_[0]->slots.spans();
    const auto run = [&](size_t from, size_t to) {
        for (size_t s = from; s < to; ++s) work(s, task_first_slot_[s], spans[s].next);
    };
    const size_t half = spans.size() / 2;
    run_pair(threads.when(half > 0), [&] { run(0, half); }, [&] { run(half, spans.size()); });
}

size_t AlternatingTree::number_triangles(ThreadCount threads) {
    if (count_ < 3) return 0;
    const Record* records = tasks_[0]->slots.records();
    const size_t spans = tasks_[0]->slots.spans().size();
    // Count each span's triangles, then number them from the span's first
    // number on.
    std::vector<size_t> counts(spans, 0);
    for_each_span(threads, [&](size_t s, uint32_t first, uint32_t end) {
        size_t count = 0;
        for (uint32_t id = first; id < end; ++id) count += records[id].alive != 0 && records[id].v[2] != kGhost;
        counts[s] = count;
    });
    span_first_number_.assign(spans + 1, 0);
    for (size_t s = 0; s < spans; ++s) span_first_number_[s + 1] = span_first_number_[s] + counts[s];
    number_ = PageBuffer<uint32_t>(block_->size());
    for_each_span(threads, [&](size_t s, uint32_t first, uint32_t end) {
        auto number = static_cast<uint32_t>(span_first_number_[s]);
        for (uint32_t id = first; id < end; ++id) {
            const Record& r = records[id];
            number_[id] = r.alive != 0 && r.v[2] != kGhost ? number++ : kNone;
        }
    });
    return span_first_number_[spans];
}

void AlternatingTree::write_triangles(uint32_t* vertices, int32_t* neighbours, ThreadCount threads) {
    const uint32_t* point_index = point_index_;
    if (count_ < 3) return;
    const Record* records = tasks_[0]->slots.records();
    // Records are read once, in slot order; each stretch is given back to
    // the system once its rows are written.
    constexpr uint32_t kStretch = 32768;  // 1 MiB of records
    for_each_span(threads, [&](size_t s, uint32_t first, uint32_t end) {
        size_t row = span_first_number_[s];
        for (uint32_t stretch = first; stretch < end; stretch += std::min(kStretch, end - stretch)) {
            const uint32_t stretch_end = stretch + std::min(kStretch, end - stretch);
            for (uint32_t id = stretch; id < stretch_end; ++id) {
                const Record& r = records[id];
                if (r.alive == 0 || r.v[2] == kGhost) continue;
                for (int k = 0; k < 3; ++k) {
                    vertices[3 * row + k] = point_index[r.v[k]];
                    const uint32_t other = number_[ref_record(r.across[k])];
                    neighbours[3 * row + k] = other == kNone ? -1 : static_cast<int32_t>(other);
                }
                ++row;
            }
            block_->discard(stretch, stretch_end);
        }
    });
    number_.release();
}

size_t AlternatingTree::write_hull(uint32_t* hull) const {
    const uint32_t* point_index = point_index_;
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

}  // namespace d2d::index_arrays
