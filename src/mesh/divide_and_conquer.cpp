#include "mesh/divide_and_conquer.hpp"

#include <algorithm>
#include <atomic>
#include <new>
#include <utility>
#include <vector>

#include "common/parallel_pair.hpp"
#include "line/exact_predicates.hpp"
#include "mesh/triangulation_records.hpp"
#include "mesh/work_offers.hpp"

namespace d2d {
namespace {

using namespace triangulation;

// Below this many points or triangles a second thread costs more than it
// saves.
constexpr size_t kTwoThreadsFrom = 4096;

// Triangulates ranges of the points in a shared block of records. One
// triangulator may build the whole range; or one per thread builds a half of
// the top merge in disjoint slots of the block (passing work to the other
// thread when that one is idle), and one of them then takes over the other's
// work and finishes with the top merge.
class Triangulator {
 public:
    // The triangulator hands out the slots [first_slot, end_slot) of
    // `block` and tags its promotions with `owner`.
    Triangulator(const double* xy, RecordBlock* block, uint32_t first_slot, uint32_t end_slot, uint32_t owner)
        : xy_(xy), block_(block), records_(block->data()), spans_{{first_slot, end_slot, first_slot}} {
        promoted_.owner = owner;
    }

    // Triangulates points [0, count).
    TriangulationResult run(uint32_t count) {
        if (count >= 2) build(0, count);
        return collect();
    }

    // Triangulates points [beg, end), at least two of them; the ends of its
    // hull are returned. With `offers` set, large right parts are offered
    // there to the other thread.
    HullEnds build_range(uint32_t beg, uint32_t end, WorkOffers* offers, SharedWork* shared) {
        offers_ = offers;
        shared_ = shared;
        const HullEnds ends = build(beg, end);
        offers_ = nullptr;
        return ends;
    }

    // Hands on the slots, the edge part and the promotion lists.
    Holdings surrender() {
        Holdings holdings;
        holdings.spans = std::move(spans_);
        holdings.free = std::move(free_);
        holdings.edge_part = std::move(edge_stack_);
        holdings.lists = std::move(lists_);
        holdings.lists.push_back(std::move(promoted_));
        return holdings;
    }

    // With this triangulator holding points [0, mid) and `right` holding
    // [mid, count): merges the two and returns the whole triangulation, in
    // the order a single triangulator gives.
    TriangulationResult finish_top_merge(HullEnds left_ends, Holdings right, HullEnds right_ends, uint32_t count,
                                         uint32_t owner) {
        take_in(std::move(right), owner);
        merge(left_ends, right_ends, 0, count - 1);
        lay_out_merged_part(0);
        return collect();
    }

 private:
    // Takes over another triangulator's free and never-used slots, and its
    // edge part after this one's; closes this one's promotion list, appends
    // the other's and opens a new one, tagged `owner`: as if this
    // triangulator had built the other's range itself, right after its own.
    void take_in(Holdings other, uint32_t owner) {
        free_.reserve(free_.size() + other.free.size());
        for (const uint32_t id : other.free) free_.push_back(id);
        edge_stack_.reserve(edge_stack_.size() + other.edge_part.size());
        for (const uint32_t id : other.edge_part) edge_stack_.push_back(id);
        for (const SlotSpan& span : other.spans) spans_.push_back(span);
        lists_.push_back(std::move(promoted_));
        for (PromotionList& list : other.lists) lists_.push_back(std::move(list));
        promoted_ = PromotionList();
        promoted_.owner = owner;
    }

    // Sets aside `slots` never-used slots at the end of a span for a range
    // offered to the other thread; returns the span's index, or -1 when no
    // span has that many left. What remains is enough for this
    // triangulator: it was given 8 slots per point and 64 more, it sets
    // aside 8 per offered point and 64 more, and it holds at least the
    // 2048 points of each offering merge's left part while its offers are
    // out (at most 16, the slots of a board), so the 7m + 2 records of the
    // m points it still holds always fit.
    int set_aside(size_t slots, SlotSpan& taken) {
        for (size_t i = 0; i < spans_.size(); ++i) {
            SlotSpan& span = spans_[i];
            if (span.end - span.next >= slots) {
                span.end -= static_cast<uint32_t>(slots);
                span.ready = std::min(span.ready, span.end);
                taken = {span.end, span.end + static_cast<uint32_t>(slots), span.end};
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // Offers the range [beg, end) to the other thread in the next slot;
    // true when offered.
    bool offer(uint32_t beg, uint32_t end) {
        if (offer_depth_ == WorkOffers::kSlots) return false;
        WorkOffer& board = offers_->slot[offer_depth_];
        SlotSpan slots{};
        const int span = set_aside(record_slots(end - beg, 1), slots);
        if (span < 0) return false;
        board.beg = beg;
        board.end = end;
        board.slots = slots;
        board.span_index = static_cast<size_t>(span);
        board.state.store(WorkOffer::kOpen, std::memory_order_release);
        ++offer_depth_;
        return true;
    }

    // Returns the slots of a withdrawn offer: to the span they came from
    // when nothing was set aside from it since (the usual case), else as a
    // span of their own. (The other thread takes the outermost open offer,
    // but it may find that one withdrawn and take a deeper one that a new
    // merge offered meanwhile from the same span.)
    void give_back(const WorkOffer& board) {
        SlotSpan& span = spans_[board.span_index];
        if (span.end == board.slots.next) {
            span.end = board.slots.end;
        } else {
            spans_.push_back(board.slots);
        }
    }

    // Builds the range [beg, end) of the latest offer unless the other
    // thread took it, in which case its result is taken over once it is
    // there; meanwhile this thread helps with it.
    HullEnds build_offered(uint32_t beg, uint32_t end) {
        WorkOffer& board = offers_->slot[--offer_depth_];
        int open = WorkOffer::kOpen;
        if (board.state.compare_exchange_strong(open, WorkOffer::kEmpty)) {
            give_back(board);
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

 public:
    // Takes the first open offer, if there is one and list tags are left
    // for it, and builds its range; false when there was nothing to take.
    static bool help_once(SharedWork& shared, WorkOffers& offers) {
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

    // Takes and builds the other thread's offers until its half is done.
    static void help(SharedWork& shared, WorkOffers& offers) {
        unsigned rounds = 0;
        while (!offers.half_done.load(std::memory_order_acquire)) {
            if (help_once(shared, offers)) {
                rounds = 0;
            } else {
                shared.pause(rounds);
            }
        }
    }

 private:
    double orient(uint32_t a, uint32_t b, uint32_t c) const {
        return orient2d_exact(xy_[2 * a], xy_[2 * a + 1], xy_[2 * b], xy_[2 * b + 1], xy_[2 * c],
                              xy_[2 * c + 1]);
    }
    PivotPair pivot_pair(uint32_t p, uint32_t q) const {
        return PivotPair(xy_[2 * p], xy_[2 * p + 1], xy_[2 * q], xy_[2 * q + 1]);
    }
    PivotPoint pivot_point(const PivotPair& pair, uint32_t b) const {
        return pair.point(xy_[2 * b], xy_[2 * b + 1]);
    }

    bool is_ghost(uint32_t t) const { return records_[t].v[2] == kGhost; }

    uint32_t take_slot() {
        if (!free_.empty()) {
            const uint32_t id = free_.back();
            free_.pop_back();
            return id;
        }
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
    uint32_t next_slot(SlotSpan& span) {
        if (span.next == span.ready) {
            constexpr uint32_t kReadyStep = 32768;  // 1 MiB of records
            span.ready = span.end - span.next > kReadyStep ? span.next + kReadyStep : span.end;
            block_->make_ready(span.next, span.ready);
        }
        return span.next++;
    }

    uint32_t new_record(uint32_t a, uint32_t b, uint32_t c, bool triangle) {
        const uint32_t id = take_slot();
        records_[id] = Record{{a, b, c}, {kNone, kNone, kNone}, kNone,
                              static_cast<uint8_t>(triangle ? 1 : 0), 0, static_cast<uint8_t>(triangle ? 1 : 0), 0};
        return id;
    }
    uint32_t new_ghost(uint32_t a, uint32_t b) { return new_record(a, b, kGhost, false); }
    uint32_t new_triangle(uint32_t a, uint32_t b, uint32_t c) {
        const uint32_t t = new_record(a, b, c, true);
        edge_stack_.push_back(t);
        return t;
    }

    void link(uint32_t r, uint32_t s) {
        records_[ref_record(r)].across[ref_side(r)] = s;
        records_[ref_record(s)].across[ref_side(s)] = r;
    }

    // Ghosts around the hull given by its vertices in clockwise order (a
    // collinear piece lists its points there and back); returns the first.
    uint32_t ghost_ring(const uint32_t* hull, int size, uint32_t* ghosts) {
        for (int i = 0; i < size; ++i) ghosts[i] = new_ghost(hull[i], hull[(i + 1) % size]);
        for (int i = 0; i < size; ++i) link(side_ref(ghosts[i], 1), side_ref(ghosts[(i + 1) % size], 2));
        return ghosts[0];
    }

    // A triangle that dies in a merge keeps its slot until the merge has laid
    // out its triangles: until then the halves' edge parts may still name it.
    void kill(uint32_t t) {
        records_[t].alive = 0;
        dead_.push_back(t);
    }

    bool has_three_neighbours(uint32_t t) const {
        const Record& r = records_[t];
        return !is_ghost(ref_record(r.across[0])) && !is_ghost(ref_record(r.across[1])) &&
               !is_ghost(ref_record(r.across[2]));
    }

    HullEnds build(uint32_t beg, uint32_t end) {
        const uint32_t n = end - beg;
        if (n == 2) {
            uint32_t ghosts[2];
            const uint32_t hull[2] = {beg, beg + 1};
            ghost_ring(hull, 2, ghosts);
            link(side_ref(ghosts[0], 0), side_ref(ghosts[1], 0));
            return {ghosts[1], ghosts[1]};
        }
        if (n == 3) return build_three(beg);

        const uint32_t mid = beg + n / 2;
        const size_t part_begin = edge_stack_.size();
        const bool offered = offers_ != nullptr && end - mid >= kOfferFrom && offer(mid, end);
        const HullEnds left = build(beg, mid);
        const HullEnds right = offered ? build_offered(mid, end) : build(mid, end);
        const HullEnds merged = merge(left, right, beg, end - 1);
        lay_out_merged_part(part_begin);
        return merged;
    }

    HullEnds build_three(uint32_t s0) {
        const uint32_t s1 = s0 + 1;
        const uint32_t s2 = s0 + 2;
        const double turn = orient(s0, s1, s2);
        uint32_t g[4];
        if (turn != 0.0) {
            // The triangle is stored counter-clockwise as (s0, b, c); a
            // clockwise base triangle keeps its record order through `flipped`.
            const uint32_t b = turn > 0.0 ? s1 : s2;
            const uint32_t c = turn > 0.0 ? s2 : s1;
            const uint32_t t = new_triangle(s0, b, c);
            records_[t].flipped = turn > 0.0 ? 0 : 1;
            const uint32_t hull[3] = {s0, c, b};
            ghost_ring(hull, 3, g);  // (s0, c), (c, b), (b, s0)
            link(side_ref(t, 0), side_ref(g[2], 0));
            link(side_ref(t, 1), side_ref(g[1], 0));
            link(side_ref(t, 2), side_ref(g[0], 0));
            // The last point s2 starts the clockwise hull edge (c, b) or (b, s0).
            return {g[2], c == s2 ? g[1] : g[2]};
        }
        // Three points on a line form no triangle: the chain s0, s1, s2.
        const uint32_t hull[4] = {s0, s1, s2, s1};
        ghost_ring(hull, 4, g);  // (s0, s1), (s1, s2), (s2, s1), (s1, s0)
        link(side_ref(g[0], 0), side_ref(g[3], 0));
        link(side_ref(g[1], 0), side_ref(g[2], 0));
        return {g[3], g[2]};
    }

    // The two sides of a merge mirror each other. On the left, the front
    // ghost at the base's end L lies outside the edge from its candidate
    // (v[0]) to L, and its side 2 leads up the front; on the right, the
    // ghost at R lies outside the edge from R to its candidate (v[1]), and
    // its side 1 leads up.
    struct Side {
        uint32_t cand_vertex;  // slot of the candidate in the front ghost
        uint32_t up;           // side of a front ghost towards the next one up
        uint32_t down;         // the other outer side
    };
    static constexpr Side kLeftSide{0, 2, 1};
    static constexpr Side kRightSide{1, 1, 2};

    // A side's state in one merge step: its front ghost, the candidate
    // point, the side of the record across the candidate edge, and the
    // candidate taken relative to the base.
    struct Front {
        uint32_t ghost;
        uint32_t cand;
        uint32_t next;
        PivotPoint point;
    };

    // Removes, one after the other, the edges from the base's end on this
    // side whose far neighbour lies inside the circle through the base and
    // the candidate; each removal kills the triangle beyond the candidate
    // edge and puts two ghosts on the front in place of one. A candidate
    // edge whose other side is a ghost or the triangle just built has no
    // further neighbour to test. Returns whether the final candidate lies
    // above the base.
    template <Side S>
    bool clear_front(Front& f, const PivotPair& base, uint32_t below_record) {
        if (!(base.orient(f.point) > 0.0)) return false;
        bool removed = false;
        for (;;) {
            const uint32_t t = ref_record(f.next);
            if (t == below_record || is_ghost(t)) break;
            const uint32_t k = ref_side(f.next);
            const uint32_t far = records_[t].v[prev3(k)];
            const PivotPoint far_point = pivot_point(base, far);
            if (!(base.incircle(f.point, far_point) > 0.0)) break;
            // The front edge to the candidate becomes two edges, through far.
            const uint32_t upper = S.cand_vertex == 0 ? new_ghost(f.cand, far) : new_ghost(far, f.cand);
            const Record& dying = records_[t];
            const uint32_t to_far_side = dying.across[S.cand_vertex == 0 ? next3(k) : prev3(k)];
            const uint32_t to_end_side = dying.across[S.cand_vertex == 0 ? prev3(k) : next3(k)];
            const uint32_t above = records_[f.ghost].across[S.up];
            kill(t);
            records_[f.ghost].v[S.cand_vertex] = far;
            link(side_ref(f.ghost, 0), to_end_side);
            link(side_ref(upper, 0), to_far_side);
            link(side_ref(upper, S.up), above);
            link(side_ref(upper, S.down), side_ref(f.ghost, S.up));
            f.cand = far;
            f.point = far_point;
            f.next = to_end_side;
            removed = true;
        }
        return !removed || base.orient(f.point) > 0.0;
    }

    // Builds the triangle (L, R, this side's candidate) on the record below
    // the base, steps the front up past the candidate edge and returns the
    // side of the new triangle that lies on the new base.
    template <Side S>
    uint32_t advance(Front& f, uint32_t base_left, uint32_t base_right, uint32_t below) {
        const uint32_t t = new_triangle(base_left, base_right, f.cand);
        link(side_ref(t, 0), below);
        link(side_ref(t, S.up), f.next);
        const uint32_t old = ref_record(f.next);
        if (!is_ghost(old)) records_[old].recheck = 1;
        const uint32_t next_front = ref_record(records_[f.ghost].across[S.up]);
        free_.push_back(f.ghost);
        f.ghost = next_front;
        return side_ref(t, S.down);
    }

    // Joins two neighbouring pieces; the new triangles go on top of
    // edge_stack_, bottom to top.
    //
    // Between the lower and the upper common tangent the facing hulls are
    // the fronts of the two pieces; their ghosts stand for the open region
    // above the current cross edge (the base). `lfront` is the ghost outside
    // the first front edge at the base's left end L (the edge from L to the
    // left candidate), `rfront` the one at its right end R. The triangle
    // across a front ghost is the piece's triangle next to the candidate
    // edge; removing the candidate edge kills that triangle and puts two
    // ghosts on the front in place of one.
    HullEnds merge(HullEnds left, HullEnds right, uint32_t first, uint32_t last) {
        uint32_t lg = left.right;  // outside the hull edge L -> ..., clockwise
        uint32_t rg = right.left;  // outside the hull edge R -> ..., counter-clockwise

        // Lower common tangent, walking the facing hulls.
        for (;;) {
            const Record& l = records_[lg];
            const Record& r = records_[rg];
            if (orient(r.v[1], l.v[0], l.v[1]) > 0.0) {
                lg = ref_record(l.across[1]);
            } else if (orient(l.v[0], r.v[0], r.v[1]) > 0.0) {
                rg = ref_record(r.across[2]);
            } else {
                break;
            }
        }

        uint32_t base_left = records_[lg].v[0];
        uint32_t base_right = records_[rg].v[1];
        uint32_t lfront = ref_record(records_[lg].across[2]);
        uint32_t rfront = ref_record(records_[rg].across[1]);
        const uint32_t bottom = new_ghost(base_right, base_left);
        link(side_ref(bottom, 1), side_ref(lg, 2));
        link(side_ref(bottom, 2), side_ref(rg, 1));
        const HullEnds merged{base_left == first ? bottom : left.left, base_right == last ? bottom : right.right};

        // The side of the record below the base that lies on the base.
        uint32_t below = side_ref(bottom, 0);
        for (;;) {
            const uint32_t below_record = ref_record(below);
            // Every test of this step is about the base L -> R: on which side
            // of it a candidate lies, and the circle through it and a
            // candidate.
            const PivotPair base = pivot_pair(base_left, base_right);

            // The candidates and the removal of edges that are not Delaunay
            // in the union, on each side.
            Front lf{lfront, records_[lfront].v[0], records_[lfront].across[0], {}};
            lf.point = pivot_point(base, lf.cand);
            const bool left_ok = clear_front<kLeftSide>(lf, base, below_record);
            lfront = lf.ghost;
            Front rf{rfront, records_[rfront].v[1], records_[rfront].across[0], {}};
            rf.point = pivot_point(base, rf.cand);
            const bool right_ok = clear_front<kRightSide>(rf, base, below_record);
            rfront = rf.ghost;
            if (!left_ok && !right_ok) break;

            // The circle through the left candidate, L and R holds the right
            // candidate: incircle(lcand, L, R, rcand) > 0, which is
            // incircle(L, R, rcand, lcand) < 0.
            if (!left_ok || (right_ok && base.incircle(rf.point, lf.point) < 0.0)) {
                // The right side advances: triangle (left, right, right candidate).
                below = advance<kRightSide>(rf, base_left, base_right, below);
                rfront = rf.ghost;
                base_right = rf.cand;
            } else {
                // The left side advances: triangle (left, right, left candidate).
                below = advance<kLeftSide>(lf, base_left, base_right, below);
                lfront = lf.ghost;
                base_left = lf.cand;
            }
        }

        const uint32_t top = new_ghost(base_left, base_right);
        link(side_ref(top, 0), below);
        link(side_ref(top, 1), side_ref(rfront, 2));
        link(side_ref(top, 2), side_ref(lfront, 1));
        return merged;
    }

    // The region from part_begin holds the left half's edge part, the right
    // half's, then this merge's new triangles. Drop the removed ones, move
    // each triangle that now has three neighbours to the inner order (as an
    // exchange with the first remaining edge triangle would), and leave the
    // merged edge part at part_begin.
    void lay_out_merged_part(size_t part_begin) {
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
                if (has_three_neighbours(t)) {
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
        for (const uint32_t t : dead_) free_.push_back(t);
        dead_.clear();
    }

    // The entries [first, last) of the promotion lists, counted across all
    // of them in order, that are still inner triangles, appended to `kept`.
    void keep_current_entries(size_t first, size_t last, PageBuffer<uint32_t>& kept) const {
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
    void number(const PageBuffer<uint32_t>& ids, size_t first, uint32_t* order) {
        for (size_t i = 0; i < ids.size(); ++i) {
            records_[ids[i]].rank = static_cast<uint32_t>(first + i);
            order[first + i] = ids[i];
        }
    }

    // Lists the inner triangles, then the edge part, and numbers them in
    // that order: a triangle's number replaces its rank (ghosts keep kNone,
    // which is what a hull side's neighbour is in the mesh). Large lists are
    // read by two threads, each taking half of the entries; every entry is
    // judged before any rank changes.
    PageBuffer<uint32_t> number_triangles(size_t& inner_length) {
        size_t entries = promoted_.ids.size();
        for (const PromotionList& list : lists_) entries += list.ids.size();
        PageBuffer<uint32_t> first_kept;
        PageBuffer<uint32_t> second_kept;
        run_halves(entries, kTwoThreadsFrom, [&](int half, size_t first, size_t last) {
            keep_current_entries(first, last, half == 0 ? first_kept : second_kept);
        });
        for (PromotionList& list : lists_) list.ids.release();
        promoted_.ids.release();
        inner_length = first_kept.size() + second_kept.size();
        PageBuffer<uint32_t> order(inner_length + edge_stack_.size());
        uint32_t* out = order.data();
        if (inner_length < kTwoThreadsFrom) {
            number(first_kept, 0, out);
            number(second_kept, first_kept.size(), out);
            number(edge_stack_, inner_length, out);
        } else {
            run_pair([&] { number(first_kept, 0, out); },
                     [&] {
                         number(second_kept, first_kept.size(), out);
                         number(edge_stack_, inner_length, out);
                     });
        }
        edge_stack_.release();
        return order;
    }

    // Writes the mesh records' vertices and neighbour numbers of the
    // triangles [first, last) of `order`.
    void write_result(const PageBuffer<uint32_t>& order, size_t first, size_t last, TriangulationResult& result) const {
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

    TriangulationResult collect() {
        TriangulationResult result;
        const PageBuffer<uint32_t> order = number_triangles(result.inner_length);
        const size_t count = order.size();
        result.vertices.resize(3 * count);
        result.neighbours.resize(3 * count);
        run_halves(count, kTwoThreadsFrom,
                   [&](int, size_t first, size_t last) { write_result(order, first, last, result); });
        return result;
    }

    const double* xy_;
    RecordBlock* block_;
    Record* records_;
    std::vector<SlotSpan> spans_;
    size_t span_ = 0;  // the first span that may have never-used slots
    PageBuffer<uint32_t> free_;
    PageBuffer<uint32_t> dead_;
    PageBuffer<uint32_t> edge_stack_;
    PromotionList promoted_;
    std::vector<PromotionList> lists_;  // the closed lists, in order
    WorkOffers* offers_ = nullptr;
    SharedWork* shared_ = nullptr;
    size_t offer_depth_ = 0;  // offers out, each in its slot
};

// The halves of the top merge built at once in disjoint slots, each thread
// then helping with the other's half until that is done too. False, having
// done nothing, when no second thread can be started: the threads wait for
// each other, so one must not run after the other.
bool triangulate_on_two_threads(const double* xy, uint32_t count, const std::function<void()>& alongside,
                                TriangulationResult& result) {
    const uint32_t mid = count / 2;
    RecordBlock records(record_slots(count, 2));
    const auto left_slots = static_cast<uint32_t>(record_slots(mid, 1));
    SharedWork shared{xy, &records};
    Triangulator left(xy, &records, 0, left_slots, kLeftOwner);
    Triangulator right(xy, &records, left_slots, static_cast<uint32_t>(records.size()), kRightOwner);
    WorkOffers left_offers;
    WorkOffers right_offers;
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
    result = left.finish_top_merge(left_ends, right.surrender(), right_ends, count, kTopOwner);
    result.handovers = shared.handovers.load();
    return true;
}

}  // namespace

TriangulationResult triangulate_sorted_points(const double* xy, uint32_t count,
                                              const std::function<void()>& alongside) {
    TriangulationResult result;
    if (count >= kTwoThreadsFrom && triangulate_on_two_threads(xy, count, alongside, result)) return result;
    alongside();
    RecordBlock records(record_slots(count, 1));
    Triangulator whole(xy, &records, 0, static_cast<uint32_t>(records.size()), kLeftOwner);
    return whole.run(count);
}

}  // namespace d2d
