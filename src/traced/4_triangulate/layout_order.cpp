#include "traced/4_triangulate/layout_order.hpp"

#include <utility>

#include "engine/system/parallel_pair.hpp"
#include "traced/thread_thresholds.hpp"

namespace d2d::traced {

using namespace merge;

void LayoutOrder::take_in(PageBuffer<uint32_t>& edge_part, std::vector<PromotionList>& lists, uint32_t owner) {
    edge_stack_.reserve(edge_stack_.size() + edge_part.size());
    for (const uint32_t id : edge_part) edge_stack_.push_back(id);
    lists_.push_back(std::move(promoted_));
    for (PromotionList& list : lists) lists_.push_back(std::move(list));
    promoted_ = PromotionList();
    promoted_.owner = owner;
}

void LayoutOrder::surrender(PageBuffer<uint32_t>& edge_part, std::vector<PromotionList>& lists) {
    edge_part = std::move(edge_stack_);
    lists = std::move(lists_);
    lists.push_back(std::move(promoted_));
}

void LayoutOrder::lay_out_merged_part(size_t part_begin) {
    uint32_t* part = edge_stack_.data() + part_begin;
    const size_t total = edge_stack_.size() - part_begin;
    size_t kept = 0;
    size_t promoted = 0;
    for (size_t i = 0; i < total; ++i) {
        const uint32_t t = part[i];
        Record& record = records_[t];
        if (record.alive == 0) continue;
        part[kept] = t;
        if (record.recheck != 0) {
            record.recheck = 0;
            if (has_three_neighbours(records_, t)) {
                std::swap(part[kept], part[promoted]);
                ++promoted;
            }
        }
        ++kept;
    }
    for (size_t i = 0; i < promoted; ++i) {
        Record& record = records_[part[i]];
        record.rank = static_cast<uint32_t>(promoted_.ids.size());
        record.owner = promoted_.owner & kOwnerMask;  // below kOwnerLimit: the mask changes nothing
        promoted_.ids.push_back(part[i]);
    }
    std::copy(part + promoted, part + kept, part);
    edge_stack_.resize(part_begin + (kept - promoted));
}

// The entries [first, last) of the promotion lists, counted across all
// of them in order, that are still inner triangles, appended to `kept`.
void LayoutOrder::keep_current_entries(size_t first, size_t last, PageBuffer<uint32_t>& kept) const {
    size_t start = 0;  // the first entry of the list at hand
    for (size_t k = 0; k <= lists_.size() && start < last; ++k) {
        const PromotionList& list = k < lists_.size() ? lists_[k] : promoted_;
        const uint32_t* ids = list.ids.data();
        const size_t size = list.ids.size();
        const size_t from = first > start ? first - start : 0;
        const size_t to = last - start < size ? last - start : size;
        constexpr size_t kAhead = 16;
        for (size_t rank = from; rank < to; ++rank) {
            if (rank + kAhead < to) __builtin_prefetch(&records_[ids[rank + kAhead]]);
            const Record& record = records_[ids[rank]];
            if (record.alive != 0 && record.owner == list.owner && record.rank == rank) kept.push_back(ids[rank]);
        }
        start += size;
    }
}

// Numbers the triangles `ids` from `first` on: a triangle's number
// replaces its rank, and it goes to that place of `order`.
void LayoutOrder::number(const PageBuffer<uint32_t>& ids, size_t first, uint32_t* order) {
    for (size_t i = 0; i < ids.size(); ++i) {
        records_[ids[i]].rank = static_cast<uint32_t>(first + i);
        order[first + i] = ids[i];
    }
}

// Lists the inner triangles, then the edge part, and numbers them in
// that order: a triangle's number replaces its rank (ghosts keep kNone,
// which is what a hull side's neighbour is in the mesh). Large lists are
// read by two threads where `threads` allows, each taking half of the
// entries; every entry is judged before any rank changes.
PageBuffer<uint32_t> LayoutOrder::number_triangles(size_t& inner_length, ThreadCount threads) {
    size_t entries = promoted_.ids.size();
    for (const PromotionList& list : lists_) entries += list.ids.size();
    PageBuffer<uint32_t> first_kept;
    PageBuffer<uint32_t> second_kept;
    run_halves(threads.when(entries >= thresholds::kTriangulateOnTwoThreadsFrom), entries,
               [&](int half, size_t first, size_t last) {
        keep_current_entries(first, last, half == 0 ? first_kept : second_kept);
    });
    for (PromotionList& list : lists_) list.ids.release();
    promoted_.ids.release();
    inner_length = first_kept.size() + second_kept.size();
    PageBuffer<uint32_t> order(inner_length + edge_stack_.size());
    uint32_t* out = order.data();
    run_pair(threads.when(inner_length >= thresholds::kTriangulateOnTwoThreadsFrom),
             [&] { number(first_kept, 0, out); },
             [&] {
                 number(second_kept, first_kept.size(), out);
                 number(edge_stack_, inner_length, out);
             });
    edge_stack_.release();
    return order;
}

// Writes the mesh records' vertices and neighbour numbers of the
// triangles [first, last) of `order`.
void LayoutOrder::write_rows(const PageBuffer<uint32_t>& order, size_t first, size_t last, TriangulationResult& result) const {
    for (size_t i = first; i < last; ++i) {
        const Record& record = records_[order[i]];
        uint32_t* v = &result.vertices[3 * i];
        uint32_t* nb = &result.neighbours[3 * i];
        // A flipped record lists its vertices as v[0], v[2], v[1]: its
        // sides then run over the record's sides 2, 1, 0.
        static constexpr uint8_t kVertex[2][3] = {{0, 1, 2}, {0, 2, 1}};
        static constexpr uint8_t kSide[2][3] = {{0, 1, 2}, {2, 1, 0}};
        const int f = record.flipped;
        for (int k = 0; k < 3; ++k) {
            v[k] = record.v[kVertex[f][k]];
            nb[k] = records_[ref_record(record.across[kSide[f][k]])].rank;
        }
    }
}

TriangulationResult LayoutOrder::collect(ThreadCount threads) {
    TriangulationResult result;
    const PageBuffer<uint32_t> order = number_triangles(result.inner_length, threads);
    const size_t count = order.size();
    result.vertices.resize(3 * count);
    result.neighbours.resize(3 * count);
    run_halves(threads.when(count >= thresholds::kTriangulateOnTwoThreadsFrom), count,
               [&](int, size_t first, size_t last) { write_rows(order, first, last, result); });
    return result;
}

}  // namespace d2d::traced
