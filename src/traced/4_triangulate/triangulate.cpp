// The entry points' triangulation: on the calling thread, or on two threads
// that each build one half of the top merge.
#include "traced/4_triangulate/triangulate.hpp"

#include <memory>
#include <new>

#include "engine/system/parallel_pair.hpp"
#include "traced/thread_thresholds.hpp"
#include "traced/4_triangulate/triangulator.hpp"

namespace d2d::traced {
namespace {

using namespace merge;

// The halves of the top merge built at once in disjoint slots, each thread
// then helping with the other's half until that is done too. False, having
// done nothing, when no second thread can be started: the threads wait for
// each other, so one must not run after the other.
bool triangulate_on_two_threads(const double* xy, uint32_t count, ThreadCount threads,
                                const std::function<void()>& alongside, TriangulationResult& result) {
    const uint32_t mid = count / 2;
    RecordBlock records(record_slots(count, 2));
    const auto left_slots = static_cast<uint32_t>(record_slots(mid, 1));
    SharedWork shared{xy, &records};
    Triangulator left(xy, &records, 0, left_slots, kLeftOwner);
    Triangulator right(xy, &records, left_slots, static_cast<uint32_t>(records.size()), kRightOwner);
    // The offers (16 slots a side, some 5 KiB) live on the heap: this frame
    // is on the host's stack, which may be small.
    const auto offers = std::make_unique<WorkOffers[]>(2);
    WorkOffers& left_offers = offers[0];
    WorkOffers& right_offers = offers[1];
    HullEnds left_ends{};
    HullEnds right_ends{};
    // A thread that fails lets the other stop waiting for it.
    const auto guarded = [&shared](auto&& work) {
        try {
            work();
        } catch (...) {
            shared.failed.store(true);
            throw;
        }
    };
    const bool started = run_pair_at_once(
        threads,
        [&] {
            guarded([&] {
                alongside();
                right_ends = right.build_range(mid, count, &right_offers, &shared);
                right_offers.half_done.store(true, std::memory_order_release);
                Triangulator::help(shared, left_offers);
            });
        },
        [&] {
            guarded([&] {
                left_ends = left.build_range(0, mid, &left_offers, &shared);
                left_offers.half_done.store(true, std::memory_order_release);
                Triangulator::help(shared, right_offers);
            });
        });
    if (!started) return false;
    result = left.finish_top_merge(left_ends, right.surrender(), right_ends, count, kTopOwner, threads);
    result.handovers = shared.handovers.load();
    return true;
}

}  // namespace

TriangulationResult triangulate_sorted_points(const double* xy, uint32_t count, ThreadCount threads,
                                              const std::function<void()>& alongside) {
    TriangulationResult result;
    if (count >= thresholds::kTriangulateOnTwoThreadsFrom &&
        triangulate_on_two_threads(xy, count, threads, alongside, result)) {
        return result;
    }
    alongside();
    RecordBlock records(record_slots(count, 1));
    Triangulator whole(xy, &records, 0, static_cast<uint32_t>(records.size()), kLeftOwner);
    return whole.run(count, threads);
}

}  // namespace d2d::traced
