#include "engine/merge/record_slots.hpp"

#include <algorithm>
#include <new>
#include <utility>

namespace d2d::merge {

int RecordSlots::set_aside(size_t count, SlotSpan& taken) {
    for (size_t i = 0; i < spans_.size(); ++i) {
        SlotSpan& span = spans_[i];
        if (span.end - span.next >= count) {
            span.end -= static_cast<uint32_t>(count);
            span.ready = std::min(span.ready, span.end);
            taken = {span.end, span.end + static_cast<uint32_t>(count), span.end};
            return static_cast<int>(i);
        }
    }
    return -1;
}

// (The other thread takes the outermost open offer, but it may find that one
// withdrawn and take a deeper one that a new merge offered meanwhile from the
// same span: then the withdrawn slots no longer adjoin their span.)
void RecordSlots::give_back(size_t span_index, const SlotSpan& slots) {
    SlotSpan& span = spans_[span_index];
    if (span.end == slots.next) {
        span.end = slots.end;
    } else {
        spans_.push_back(slots);
    }
}

void RecordSlots::surrender(std::vector<SlotSpan>& spans, PageBuffer<uint32_t>& free) {
    spans = std::move(spans_);
    free = std::move(free_);
}

void RecordSlots::take_in(const std::vector<SlotSpan>& spans, const PageBuffer<uint32_t>& free) {
    free_.reserve(free_.size() + free.size());
    for (const uint32_t id : free) free_.push_back(id);
    for (const SlotSpan& span : spans) spans_.push_back(span);
}

uint32_t RecordSlots::take_never_used() {
    for (; span_ < spans_.size(); ++span_) {
        SlotSpan& span = spans_[span_];
        if (span.next != span.end) return next_slot(span);
    }
    // A span that was set aside for the other thread may have come back.
    for (span_ = 0; span_ < spans_.size(); ++span_) {
        SlotSpan& span = spans_[span_];
        if (span.next != span.end) return next_slot(span);
    }
    throw std::bad_alloc();  // beyond the bound of kSlotsPerPoint
}

// The next never-used slot of a span, backing the span with memory a
// stretch at a time.
uint32_t RecordSlots::next_slot(SlotSpan& span) {
    if (span.next == span.ready) {
        constexpr uint32_t kReadyStep = 32768;  // 1 MiB of records
        span.ready = span.end - span.next > kReadyStep ? span.next + kReadyStep : span.end;
        block_->make_ready(span.next, span.ready);
        // The stretch is about to be filled: mapping its pages in one
        // request is cheaper than a fault on each.
        page_memory::populate(records_ + span.next, (span.ready - span.next) * sizeof(Record));
    }
    return span.next++;
}

}  // namespace d2d::merge
