// How the two threads of a large triangulation pass ranges of points to
// each other.
#ifndef DELAUNAY2D_TRACED_TRIANGULATE_HANDOVER_HPP
#define DELAUNAY2D_TRACED_TRIANGULATE_HANDOVER_HPP

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "traced/4_triangulate/layout_order.hpp"
#include "engine/system/page_buffer.hpp"
#include "engine/system/parallel_pair.hpp"
#include "traced/thread_thresholds.hpp"
#include "engine/merge/records.hpp"

namespace d2d::traced {

// Where a thread offers work to the other thread. Before it builds the left
// part of a large merge, it offers the right part, with record slots set
// aside for it; the other thread, when idle, may take the offer, build that
// range and leave the result here. If the offer is still open when the left
// part is done, the offering thread withdraws it and builds the right part
// itself. Either way the merge sees the same triangulation of the same
// range, so the mesh is the same.
//
// Offers nest like the merges they come from: the offer of a merge inside
// the left part of an offering merge goes one slot further. An idle thread
// takes the first open slot, which is the largest piece of work on offer.
// The taker makes offers of its own while it builds the range, so a thread
// that waits for a range it offered helps with it meanwhile.
//
// The offer and take-over steps are members of Triangulator, defined in
// handover.cpp.
struct WorkOffers;

// What a triangulator hands on when another one takes over its work.
struct Holdings {
    std::vector<merge::SlotSpan> spans;
    PageBuffer<uint32_t> free;
    PageBuffer<uint32_t> edge_part;
    std::vector<PromotionList> lists;
};

struct WorkOffer {
    enum : int { kEmpty, kOpen, kTaken, kDone };
    std::atomic<int> state{kEmpty};
    uint32_t beg = 0;
    uint32_t end = 0;
    merge::SlotSpan slots{};
    size_t span_index = 0;  // the offering triangulator's span they came from
    // Set by the taker: the list tag for the offering thread after it takes
    // the result in, and the taker's own offers (freed by the offering
    // thread once it has the result).
    uint32_t after_owner = 0;
    std::atomic<WorkOffers*> taker_offers{nullptr};
    // The taker's result.
    merge::HullEnds ends{};
    Holdings result;

    WorkOffer() = default;
    WorkOffer(const WorkOffer&) = delete;
    WorkOffer& operator=(const WorkOffer&) = delete;
    ~WorkOffer();
};

struct WorkOffers {
    static constexpr size_t kSlots = 16;
    WorkOffer slot[kSlots];
    // Set when the offering thread has finished its half.
    std::atomic<bool> half_done{false};
};

inline WorkOffer::~WorkOffer() { delete taker_offers.load(); }

// What the threads of one triangulation share.
struct SharedWork {
    const double* xy;
    merge::RecordBlock* records;
    std::atomic<int> next_owner{kFirstLaterOwner};
    std::atomic<size_t> handovers{0};
    // Set when a thread has failed (out of memory): the other one stops
    // waiting for it.
    std::atomic<bool> failed{false};

    // Waits a moment (`rounds` counts the moments of one wait); gives up if
    // the other thread has failed.
    void pause(unsigned& rounds) const {
        if (failed.load(std::memory_order_relaxed)) throw std::bad_alloc();
        thread_support::relax(rounds);
    }
};

// Every offer is the right half of a merge, made once, and takes at most two
// owner tags. The ranges at one depth of the recursion differ in size by one
// at most, so halves of kOfferFrom points or more exist only at depths d
// with count / 2^d > kOfferFrom - 1, where there are at most 2^(d - 1)
// right halves: fewer than count / (kOfferFrom - 1) in all.
static_assert(kFirstLaterOwner + 2 * (uint64_t{kMostPoints} / (thresholds::kOfferFrom - 1) + 1) <
                  uint64_t{kOwnerLimit},
              "owner tags never run out");

}  // namespace d2d::traced

#endif
