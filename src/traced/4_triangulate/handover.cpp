// The hand-over of ranges between the two threads of a triangulation (see
// handover.hpp): offering a range, withdrawing or taking back an offer, and
// taking over another triangulator's work.
#include "traced/4_triangulate/handover.hpp"

#include <utility>

#include "traced/4_triangulate/triangulator.hpp"

namespace d2d::traced {

using namespace merge;

Holdings Triangulator::surrender() {
    Holdings holdings;
    slots_.surrender(holdings.spans, holdings.free);
    layout_.surrender(holdings.edge_part, holdings.lists);
    return holdings;
}

// Takes over another triangulator's free and never-used slots, and its
// edge part and promotion lists after this one's.
void Triangulator::take_in(Holdings other, uint32_t owner) {
    slots_.take_in(other.spans, other.free);
    layout_.take_in(other.edge_part, other.lists, owner);
}

// Sets aside record slots for the range and offers it in the next slot of
// the board; true when offered. What remains is enough for this
// triangulator: it was given 8 slots per point and 64 more, it sets aside 8
// per offered point and 64 more, and it holds at least the points of each
// offering merge's left part while its offers are out (at most 16, the
// slots of a board), so the 7m + 2 records of the m points it still holds
// always fit.
bool Triangulator::offer(uint32_t beg, uint32_t end) {
    if (offer_depth_ == WorkOffers::kSlots) return false;
    WorkOffer& board = offers_->slot[offer_depth_];
    SlotSpan slots{};
    const int span = slots_.set_aside(record_slots(end - beg, 1), slots);
    if (span < 0) return false;
    board.beg = beg;
    board.end = end;
    board.slots = slots;
    board.span_index = static_cast<size_t>(span);
    board.state.store(WorkOffer::kOpen, std::memory_order_release);
    ++offer_depth_;
    return true;
}

// Builds the range [beg, end) of the latest offer unless the other thread
// took it, in which case its result is taken over once it is there;
// meanwhile this thread helps with it.
HullEnds Triangulator::build_offered(uint32_t beg, uint32_t end) {
    WorkOffer& board = offers_->slot[--offer_depth_];
    int open = WorkOffer::kOpen;
    if (board.state.compare_exchange_strong(open, WorkOffer::kEmpty)) {
        slots_.give_back(board.span_index, board.slots);
        return build(beg, end);
    }
    unsigned rounds = 0;
    while (board.state.load(std::memory_order_acquire) != WorkOffer::kDone) {
        WorkOffers* taker_offers = board.taker_offers.load(std::memory_order_acquire);
        if (taker_offers != nullptr && help_once(*shared_, *taker_offers)) {
            rounds = 0;
        } else {
            shared_->pause(rounds);
        }
    }
    delete board.taker_offers.exchange(nullptr);
    take_in(std::move(board.result), board.after_owner);
    const HullEnds ends = board.ends;
    board.result = Holdings();
    board.state.store(WorkOffer::kEmpty, std::memory_order_release);
    return ends;
}

bool Triangulator::help_once(SharedWork& shared, WorkOffers& offers) {
    for (WorkOffer& board : offers.slot) {
        if (board.state.load(std::memory_order_relaxed) != WorkOffer::kOpen) continue;
        if (shared.next_owner.load(std::memory_order_relaxed) + 1 >= kOwnerLimit) return false;
        const int owner = shared.next_owner.fetch_add(2);
        if (owner + 1 >= kOwnerLimit) return false;
        int open = WorkOffer::kOpen;
        if (!board.state.compare_exchange_strong(open, WorkOffer::kTaken, std::memory_order_acquire)) {
            continue;  // withdrawn meanwhile; the two tags stay unused
        }
        board.after_owner = static_cast<uint32_t>(owner + 1);
        auto* own_offers = new WorkOffers;
        board.taker_offers.store(own_offers, std::memory_order_release);
        Triangulator helper(shared.xy, shared.records, board.slots.next, board.slots.end,
                            static_cast<uint32_t>(owner));
        board.ends = helper.build_range(board.beg, board.end, own_offers, &shared);
        board.result = helper.surrender();
        shared.handovers.fetch_add(1, std::memory_order_relaxed);
        board.state.store(WorkOffer::kDone, std::memory_order_release);
        return true;
    }
    return false;
}

void Triangulator::help(SharedWork& shared, WorkOffers& offers) {
    unsigned rounds = 0;
    while (!offers.half_done.load(std::memory_order_acquire)) {
        if (help_once(shared, offers)) {
            rounds = 0;
        } else {
            shared.pause(rounds);
        }
    }
}

}  // namespace d2d::traced
