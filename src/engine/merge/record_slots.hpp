// The record slots one triangulator hands out.
#ifndef DELAUNAY2D_ENGINE_MERGE_RECORD_SLOTS_HPP
#define DELAUNAY2D_ENGINE_MERGE_RECORD_SLOTS_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/system/page_buffer.hpp"
#include "engine/merge/records.hpp"

namespace d2d::merge {

// A triangulator's share of the record block: spans of never-used slots and
// the slots it has freed. Freed slots are reused before new ones are
// touched, which keeps a triangulator within the bound of kSlotsPerPoint.
// Two triangulators on two threads hold disjoint spans of one block.
class RecordSlots {
 public:
    // The slots [first, end) of `block`.
    RecordSlots(RecordBlock* block, uint32_t first, uint32_t end)
        : block_(block), records_(block->data()), spans_{{first, end, first}} {}

    Record* records() const { return records_; }
    // The spans, in the order they were given or taken in.
    const std::vector<SlotSpan>& spans() const { return spans_; }
    RecordBlock* block() const { return block_; }

    // A slot for a new record; throws std::bad_alloc beyond the bound.
    uint32_t take() {
        if (!free_.empty()) {
            const uint32_t id = free_.back();
            free_.pop_back();
            return id;
        }
        return take_never_used();
    }

    // A slot whose record nothing names any more.
    void give(uint32_t id) { free_.push_back(id); }

    // Sets aside `count` never-used slots at the end of a span, for a range
    // offered to the other thread; returns the span's index, or -1 when no
    // span has that many left.
    int set_aside(size_t count, SlotSpan& taken);

    // Returns the slots of a withdrawn offer: to the span they came from when
    // nothing was set aside from it since (the usual case), else as a span
    // of their own.
    void give_back(size_t span_index, const SlotSpan& slots);

    // Hands every free and never-used slot over to another triangulator,
    // or takes another's in.
    void surrender(std::vector<SlotSpan>& spans, PageBuffer<uint32_t>& free);
    void take_in(const std::vector<SlotSpan>& spans, const PageBuffer<uint32_t>& free);

 private:
    uint32_t take_never_used();
    uint32_t next_slot(SlotSpan& span);

    RecordBlock* block_;
    Record* records_;
    std::vector<SlotSpan> spans_;
    size_t span_ = 0;  // the first span that may have never-used slots
    PageBuffer<uint32_t> free_;
};

}  // namespace d2d::merge

#endif
