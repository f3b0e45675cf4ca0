// The working records of the divide-and-conquer triangulation: triangles
// and ghosts, and the block of slots they live in.
#ifndef DELAUNAY2D_ENGINE_MERGE_RECORDS_HPP
#define DELAUNAY2D_ENGINE_MERGE_RECORDS_HPP

#include <cstddef>
#include <cstdint>

#include "engine/system/page_buffer.hpp"
#include "engine/system/reserved_block.hpp"
#include "engine/merge/limits.hpp"

namespace d2d::merge {

// The vertex at infinity: a record with it as third vertex is a ghost.
constexpr uint32_t kGhost = 0xFFFFFFFFu;

// A side of a record: the record id times four plus the side index.
inline uint32_t side_ref(uint32_t t, uint32_t k) { return (t << 2) | k; }
inline uint32_t ref_record(uint32_t r) { return r >> 2; }
inline uint32_t ref_side(uint32_t r) { return r & 3u; }
inline uint32_t next3(uint32_t k) { return k == 2 ? 0 : k + 1; }
inline uint32_t prev3(uint32_t k) { return k == 0 ? 2 : k - 1; }

// A triangle (three vertices counter-clockwise) or a ghost (a, b, infinity):
// the ghost stands for the outside of the edge a -> b, whose piece lies on
// its right. Side i runs from v[i] to v[(i + 1) % 3] and `across[i]` names
// the side of the record on its other side. The ghosts of a piece form a
// ring: side 1 of a ghost meets side 2 of the ghost of the next hull edge
// clockwise. A piece whose points are all collinear is a ring of ghosts only,
// two per edge.
//
// `flipped` marks a base triangle whose mesh record lists its vertices
// clockwise (stored here as v[0], v[2], v[1]). Once a merge has promoted the
// triangle, `rank` is its place in the promotion list `owner` (see
// LayoutOrder); `recheck` marks a triangle that may have gained its third
// neighbour in the running merge. The owner tag takes the bits the three
// marks leave: tags never run out (see kOwnerLimit).
struct Record {
    uint32_t v[3];
    uint32_t across[3];
    uint32_t rank;
    uint32_t alive : 1;
    uint32_t flipped : 1;
    uint32_t recheck : 1;
    uint32_t owner : 29;
};
static_assert(sizeof(Record) == 32);

inline bool is_ghost(const Record* records, uint32_t t) { return records[t].v[2] == kGhost; }

// A triangle whose three sides all meet triangles.
inline bool has_three_neighbours(const Record* records, uint32_t t) {
    const Record& r = records[t];
    return !is_ghost(records, ref_record(r.across[0])) && !is_ghost(records, ref_record(r.across[1])) &&
           !is_ghost(records, ref_record(r.across[2]));
}

// Slots of the record block per point, and a few more per triangulator. A
// piece of m points never holds more than 7m + 2 records at once: up to 2m
// triangles of its halves (live, or dead until the merge ends), up to 2m new
// ones, and a ghost per edge of the halves, at most 3m, plus the two ghosts
// below and above the merge. Free slots are reused before new ones are
// touched, so a triangulator never touches more slots than that.
constexpr size_t kSlotsPerPoint = 8;
constexpr size_t kSlotsPerTriangulator = 64;

// A stretch of never-used slots of the record block: [next, end), of which
// [next, ready) is already backed by memory.
struct SlotSpan {
    uint32_t next;
    uint32_t end;
    uint32_t ready;
};

// The record block: its address range is set aside whole, and stretches of
// it are backed by memory as triangulators reach them.
using RecordBlock = ReservedBlock<Record>;

// Ghosts at the two ends of a finished piece: `left` lies outside the hull
// edge that leaves its first point counter-clockwise (its v[1] is that
// point), `right` outside the edge that leaves its last point clockwise (its
// v[0] is that point).
struct HullEnds {
    uint32_t left;
    uint32_t right;
};

// The number of record slots for triangulating `points` points with
// `triangulators` triangulators.
inline size_t record_slots(uint32_t points, size_t triangulators) {
    return kSlotsPerPoint * points + kSlotsPerTriangulator * triangulators;
}
static_assert(kSlotsPerPoint * kMostPoints + 2 * kSlotsPerTriangulator <= (size_t{1} << 30),
              "record ids leave two bits of a side reference for the side");

}  // namespace d2d::merge

#endif
