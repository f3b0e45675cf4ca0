// Delaunay refinement (Ruppert, Shewchuk) of the kept part of the
// constrained mesh. Two queues drive it:
//   - walls (segment edges, and hull edges of the kept part) that a vertex
//     encroaches, split first, in the order found;
//   - bad triangles (an angle below the bound, or an area above their
//     label's bound), shortest edge first (by buckets of a factor two, in
//     the order found within one), so the order never depends on memory or
//     threads.
// A bad triangle gets its off-centre (Ungor), or its circumcentre when that
// is nearer or only its area is bad. A point that would encroach a wall (it
// lies in the wall's diametral circle, and the wall would bound its cavity)
// or that lies beyond a wall is not inserted: the wall is split instead and
// the triangle tried again. Walls are split at their midpoint, or, when one
// end is an input vertex, on a shell around it (powers of two), so that
// segments meeting at a small angle are split at equal distances.
//
// Left alone (counted by the figures afterwards): triangles whose small
// angle lies between two walls (an input angle), and those whose shortest
// edge joins two split points on one shell around an input vertex (the
// small angle there is the input angle's shadow; splitting it would split
// the segments again, for ever).
//
// Termination. With a bound of at most asin(1/(2 sqrt 2)) = 20.7 degrees
// (radius-edge ratio sqrt 2), Ruppert's argument holds: every vertex is
// inserted at a distance (its insertion radius) no less than a fixed
// fraction of the local feature size at it -- a circumcentre or off-centre
// is at least sqrt 2 times the shortest edge of its triangle away from
// every vertex, a wall split is half its wall away from the nearest vertex
// visible from it, and the shells keep the splits near an input angle at
// equal distances so that one never encroaches its neighbour's diametral
// circle (Shewchuk, "Mesh generation for domains with small angles"); the
// triangles that would need closer points are the pinched ones left alone.
// A wall is split only when a vertex or a rejected point lies in its
// diametral circle (for a new point beyond a wall: when a corner of its
// triangle does), the encroachment that argument speaks of; the lens only
// spares splits. Since the local feature size of a bounded domain has a
// positive minimum, the vertices keep a positive spacing and only finitely
// many fit: the loop ends. An off-centre lies on the segment from the edge
// midpoint to the circumcentre, no nearer to the edge's ends than the
// bound's apex, so the same spacing holds (Ungor). Above 20.7 degrees there
// is no such proof; the loop is then limited by a budget (the caller's, or
// one scaled from the input, the area bound and the domain's thin parts),
// and in every case by the points the library indexes. Each pass of the
// loop pops an entry; a triangle goes back only behind a forced wall split,
// which adds a vertex or marks the wall as not splittable for good (a
// finite set of edges), so the queues cannot cycle.
#include "operations/refine/refine_mesh.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/exact/exact_predicates.hpp"
#include "engine/merge/limits.hpp"
#include "operations/refine/bad_triangle_queue.hpp"
#include "operations/refine/encroachment.hpp"
#include "operations/refine/new_points.hpp"

namespace d2d::operations::refine {
namespace {

using constrained::ConstrainedMesh;
using constrained::next3;
using constrained::prev3;

constexpr int32_t kUnlabelled = std::numeric_limits<int32_t>::min();

// An edge as a set key, its lower vertex first. A type of this file rather
// than std::pair: the set's members instantiated over std types alone keep
// default visibility, and where the compiler does not inline them they leave
// the shared library as exported symbols.
struct EdgeKey {
    uint32_t low;
    uint32_t high;
    bool operator<(const EdgeKey& other) const {
        return low != other.low ? low < other.low : high < other.high;
    }
};
// The order of the bad triangles. Those with a bad angle come first,
// shortest edge first, by buckets of a factor two in squared length
// (Triangle's order, which needs the fewest points in practice); then those
// too large, the largest first by buckets of a factor two in area (halving
// a mesh evenly). In each bucket they are taken in the order found: fixed
// by the run alone. A bucket is a double's exponent, offset to count from
// 0, for the angles; after them the same, reversed, for the areas.
constexpr int kExponentSpan = 2200;
constexpr int kExponentLow = -1100;
constexpr uint32_t kNoVertex = std::numeric_limits<uint32_t>::max();
constexpr double kRadiansPerDegree = 0.017453292519943295769236907684886;
// Above this bound no proof promises the end: a budget is set.
constexpr double kProvenAngle = 20.7;

struct WallSplit {
    uint32_t a, b;
    bool forced;     // a rejected point encroaches it: split even if no vertex of the mesh does
};

enum class Walk { found, wall, lost };

class Refiner {
 public:
    Refiner(ConstrainedMesh& mesh, std::vector<int32_t>& label, const RefineSettings& settings)
        : m_(mesh), label_(label), s_(settings), input_vertices_(static_cast<uint32_t>(mesh.vertex_count())) {
        const double bound = std::min(settings.min_angle, 59.0) * kRadiansPerDegree;
        sin2_bound_ = settings.min_angle > 0.0 ? std::sin(bound) * std::sin(bound) : 0.0;
        cot_half_ = settings.min_angle > 0.0 ? 1.0 / std::tan(0.5 * bound) : 0.0;
        if (!settings.conforming && settings.min_angle > 0.0 && settings.min_angle < 45.0) {
            lens_cos2_ = std::cos(2.0 * bound) * std::cos(2.0 * bound);
        }
        budget_ = settings.max_steiner;
        if (budget_ == 0) budget_ = settings.min_angle > kProvenAngle ? default_budget() : std::numeric_limits<uint64_t>::max();
        const uint64_t room = kMostPoints - static_cast<uint64_t>(mesh.vertex_count());
        if (budget_ > room) budget_ = room;
    }

    RefineOutcome run() {
        const size_t triangles = m_.triangle_count();
        for (size_t t = 0; t < triangles; ++t) look_at(static_cast<int32_t>(t));
        if (budget_ == 0) {
            budget_reached_ = !bad_.empty() || !walls_.empty();
            return RefineOutcome{};
        }
        // Each pass pops an entry; see the termination argument above.
        while (!stopped_) {
            if (!walls_.empty()) {
                const WallSplit w = walls_.front();
                walls_.pop_front();
                split_wall(w);
                continue;
            }
            if (bad_.empty()) break;
            mend(bad_.pop());
        }
        return RefineOutcome{added_, budget_reached_};
    }

 private:
    ConstrainedMesh& m_;
    std::vector<int32_t>& label_;
    const RefineSettings& s_;
    const uint32_t input_vertices_;
    double sin2_bound_ = 0.0;
    double cot_half_ = 0.0;
    double lens_cos2_ = 0.0;   // cos^2 (2 * bound) for the lens test, 0 for the circle
    uint64_t budget_ = 0;
    uint64_t added_ = 0;
    bool budget_reached_ = false;
    bool stopped_ = false;
    BadTriangleQueue bad_{2 * kExponentSpan};
    std::deque<WallSplit> walls_;
    std::set<EdgeKey> unsplittable_;
    // Per added vertex: the input segment (its two end vertices) it split,
    // kNoVertex for a point inside a triangle.
    std::vector<std::pair<uint32_t, uint32_t>> segment_of_;
    std::vector<uint32_t> bucket_;        // per triangle: the bucket it was last queued in
    std::vector<uint32_t> cavity_mark_;   // per triangle: the stamp of the last cavity that held it
    uint32_t stamp_ = 0;
    std::vector<int32_t> star_, stack_;
    std::vector<uint32_t> seen_;          // per triangle: the stamp of the last change that listed it
    uint32_t seen_stamp_ = 0;
    uint64_t walk_state_ = 0x2545f4914f6cdd1du;

    double x(uint32_t v) const { return m_.xy[2 * static_cast<size_t>(v)]; }
    double y(uint32_t v) const { return m_.xy[2 * static_cast<size_t>(v) + 1]; }
    Vec2 at(uint32_t v) const { return Vec2{x(v), y(v)}; }
    bool kept(int32_t t) const { return t >= 0 && label_[static_cast<size_t>(t)] >= 0; }
    bool wall(int32_t t, int i) const { return m_.fixed(t, i) || m_.across(t, i) < 0; }
    std::pair<uint32_t, uint32_t> segment_of(uint32_t v) const {
        return v < input_vertices_ ? std::pair{kNoVertex, kNoVertex} : segment_of_[static_cast<size_t>(v - input_vertices_)];
    }

    // The caller gave no budget for a bound without a proof: enough for the
    // meshes such bounds give in practice, and never endless. Three shares:
    // a few times the input; the area bound's; and the shape's. A thin
    // part of the domain needs points all along it, about as many as it is
    // long over its width (a 1 x 0.001 strip needs two thousand at 30
    // degrees, however few its input vertices): each kept triangle of the
    // mesh before refinement counts its longest edge over its smallest
    // height, longest^2 / (2 area), four times over. The shape's share is
    // capped at 16 times the input's, since a needle beside two
    // near-coincident points counts its length over a tiny width but needs
    // only a logarithmic number of points (and a bound that cascades there
    // would otherwise run to millions of points before stopping).
    //
    //    +------------------------------------+   longest / height
    //    |   .   .   .   .   .   .   .   .    |   = 1 / 0.001
    //    +------------------------------------+
    uint64_t default_budget() const {
        double area = 0.0;
        double shape = 0.0;
        double smallest = 0.0;
        for (const double a : s_.label_area) {
            if (a > 0.0 && (smallest == 0.0 || a < smallest)) smallest = a;
        }
        for (size_t t = 0; t < m_.triangle_count(); ++t) {
            if (!kept(static_cast<int32_t>(t))) continue;
            const uint32_t a = m_.tri[3 * t], b = m_.tri[3 * t + 1], c = m_.tri[3 * t + 2];
            const double twice = (x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a));
            area += 0.5 * twice;
            const double ab = (x(b) - x(a)) * (x(b) - x(a)) + (y(b) - y(a)) * (y(b) - y(a));
            const double bc = (x(c) - x(b)) * (x(c) - x(b)) + (y(c) - y(b)) * (y(c) - y(b));
            const double ca = (x(a) - x(c)) * (x(a) - x(c)) + (y(a) - y(c)) * (y(a) - y(c));
            if (twice > 0.0) shape += 4.0 * std::max({ab, bc, ca}) / twice;
        }
        const double input = 64.0 * static_cast<double>(m_.vertex_count()) + 1024.0;
        double budget = input + std::min(shape, 16.0 * input);
        if (smallest > 0.0) budget += 8.0 * area / smallest;
        return budget >= 1.8e19 ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(budget);
    }

    // Whether kept triangle t is bad: its smallest angle (opposite its
    // shortest edge) below the bound (angle_bad), or its area above its
    // label's bound. Gives the shortest edge's index and squared length.
    bool bad(int32_t t, bool& angle_bad, int& shortest, double& shortest_length) const {
        const uint32_t v[3] = {m_.vertex(t, 0), m_.vertex(t, 1), m_.vertex(t, 2)};
        double len[3];
        for (int i = 0; i < 3; ++i) {
            const double dx = x(v[next3(i)]) - x(v[i]), dy = y(v[next3(i)]) - y(v[i]);
            len[i] = dx * dx + dy * dy;
        }
        shortest = len[0] <= len[1] ? (len[0] <= len[2] ? 0 : 2) : (len[1] <= len[2] ? 1 : 2);
        shortest_length = len[shortest];
        const double cross = (x(v[1]) - x(v[0])) * (y(v[2]) - y(v[0])) - (y(v[1]) - y(v[0])) * (x(v[2]) - x(v[0]));
        // sin(smallest angle) = 2 area / (the two longer edges' product).
        const double others = len[next3(shortest)] * len[prev3(shortest)];
        const double sin2 = others > 0.0 ? cross * cross / others : 0.0;
        angle_bad = sin2 < sin2_bound_;
        if (angle_bad) return true;
        const double bound = s_.label_area[static_cast<size_t>(label_[static_cast<size_t>(t)])];
        return bound > 0.0 && 0.5 * cross > bound;
    }

    void push_if_bad(int32_t t) {
        bool angle_bad = false;
        int shortest = 0;
        double length = 0.0;
        if (!bad(t, angle_bad, shortest, length)) return;
        int exponent = 0;
        size_t bucket = 0;
        if (angle_bad) {
            std::frexp(length, &exponent);
            bucket = static_cast<size_t>(std::clamp(exponent - kExponentLow, 0, kExponentSpan - 1));
        } else {
            const uint32_t a = m_.vertex(t, 0), b = m_.vertex(t, 1), c = m_.vertex(t, 2);
            std::frexp((x(b) - x(a)) * (y(c) - y(a)) - (y(b) - y(a)) * (x(c) - x(a)), &exponent);
            bucket = static_cast<size_t>(2 * kExponentSpan - 1 - std::clamp(exponent - kExponentLow, 0, kExponentSpan - 1));
        }
        BadTriangle b{{}, t};
        int first = 0;
        for (int i = 1; i < 3; ++i) {
            if (m_.vertex(t, i) < m_.vertex(t, first)) first = i;
        }
        for (int i = 0; i < 3; ++i) b.v[i] = m_.vertex(t, (first + i) % 3);
        bad_.push(bucket, b);
        bucket_.resize(m_.triangle_count(), 0);
        bucket_[static_cast<size_t>(t)] = static_cast<uint32_t>(bucket);
    }

    // A triangle whose point was rejected goes to the back of its bucket.
    void push_again(const BadTriangle& b) { bad_.push(bucket_[static_cast<size_t>(b.t)], b); }

    // Whether (px, py) encroaches wall a - b: lies in its diametral circle
    // (exact), and, unless the mesh must be conforming, also in its lens --
    // sees it under at least 180 - 2 * bound degrees (Shewchuk's diametral
    // lens, as in Triangle; fewer splits beside the boundary). The lens
    // edge is a threshold on where points go, not on the mesh's validity,
    // and is taken in doubles.
    //
    //         .-~~~-.          circle: angle at p above 90 degrees
    //       /  .---.  \        lens:   above 180 - 2 * bound
    //      a--(-----)--b
    bool encroaches(uint32_t a, uint32_t b, double px, double py) const {
        if (!in_diametral_circle(x(a), y(a), x(b), y(b), px, py)) return false;
        if (lens_cos2_ <= 0.0) return true;
        const double ux = x(a) - px, uy = y(a) - py, vx = x(b) - px, vy = y(b) - py;
        const double dot = ux * vx + uy * vy;
        return dot * dot >= lens_cos2_ * (ux * ux + uy * uy) * (vx * vx + vy * vy);
    }

    // Whether the wall i of t is encroached by the vertex opposite it in a
    // triangle beside it (kept ones; any with the conforming option).
    bool encroached(int32_t t, int i) const {
        const uint32_t a = m_.vertex(t, i), b = m_.vertex(t, next3(i));
        auto sees = [&](int32_t s, int k) {
            if (s < 0 || (!s_.conforming && !kept(s))) return false;
            const uint32_t p = m_.vertex(s, prev3(k));
            return encroaches(a, b, x(p), y(p));
        };
        if (sees(t, i)) return true;
        const int32_t n = m_.across(t, i);
        return n >= 0 && sees(n, m_.edge_index(n, b, a));
    }

    // A triangle new or changed: queued when bad, its walls when encroached.
    // With the conforming option the segment edges of removed parts count
    // too, so that the whole mesh, and with it the kept part, is Delaunay.
    void look_at(int32_t t) {
        const bool inside = kept(t);
        if (inside) push_if_bad(t);
        for (int i = 0; i < 3; ++i) {
            if (!wall(t, i)) continue;
            if (!inside && !(s_.conforming && m_.fixed(t, i))) continue;
            if (encroached(t, i)) walls_.push_back({m_.vertex(t, i), m_.vertex(t, next3(i)), false});
        }
    }

    // The triangles around vertex v, turning both ways from its corner
    // (the hull may stop a turn).
    void collect_star(uint32_t v) {
        star_.clear();
        const int32_t c = m_.corner[v];
        const int32_t first = c / 3;
        auto index_of = [&](int32_t t) { return m_.vertex(t, 0) == v ? 0 : (m_.vertex(t, 1) == v ? 1 : 2); };
        int32_t t = first;
        for (;;) {
            star_.push_back(t);
            const int32_t n = m_.across(t, prev3(index_of(t)));
            if (n < 0) break;
            if (n == first) return;
            t = n;
        }
        t = first;
        for (;;) {
            const int32_t n = m_.across(t, index_of(t));
            if (n < 0) return;
            t = n;
            star_.push_back(t);
        }
    }

    // After vertex v went in, the triangles it changed: those around v and
    // the new ones; after a wall split also the ring around v's triangles
    // (a point rounded off the wall's line can need a flip of an edge at v,
    // which leaves triangles just outside v's star). A point inside a
    // triangle or on an edge, exactly, changes only triangles at v.
    void collect_changed(uint32_t v, size_t old_count, bool ring) {
        collect_star(v);
        if (++seen_stamp_ == 0) {
            std::fill(seen_.begin(), seen_.end(), 0u);
            seen_stamp_ = 1;
        }
        seen_.resize(m_.triangle_count(), 0);
        for (const int32_t t : star_) seen_[static_cast<size_t>(t)] = seen_stamp_;
        auto add = [&](int32_t t) {
            if (t < 0 || seen_[static_cast<size_t>(t)] == seen_stamp_) return;
            seen_[static_cast<size_t>(t)] = seen_stamp_;
            star_.push_back(t);
        };
        const size_t around = star_.size();
        for (size_t k = 0; ring && k < around; ++k) {
            for (int i = 0; i < 3; ++i) add(m_.across(star_[k], i));
        }
        for (size_t t = old_count; t < m_.triangle_count(); ++t) add(static_cast<int32_t>(t));
    }

    // After vertex v went in: the new triangles take the label of a
    // neighbour across an edge off the walls -- the parts that walls bound
    // keep their labels, flips never cross a wall, and a reused triangle
    // stays in its part. Then each changed triangle is looked at.
    void settle(uint32_t v, bool ring) {
        ++added_;
        const size_t old_count = label_.size();
        label_.resize(m_.triangle_count(), kUnlabelled);
        collect_changed(v, old_count, ring);
        // Each pass labels at least one triangle next to a labelled one, so
        // at most as many passes as changed triangles.
        for (size_t pass = 0; pass <= star_.size(); ++pass) {
            bool open = false;
            for (const int32_t t : star_) {
                if (label_[static_cast<size_t>(t)] != kUnlabelled) continue;
                for (int i = 0; i < 3; ++i) {
                    const int32_t n = m_.across(t, i);
                    if (n < 0 || m_.fixed(t, i) || label_[static_cast<size_t>(n)] == kUnlabelled) continue;
                    label_[static_cast<size_t>(t)] = label_[static_cast<size_t>(n)];
                    break;
                }
                open = open || label_[static_cast<size_t>(t)] == kUnlabelled;
            }
            if (!open) break;
        }
        for (const int32_t t : star_) {
            if (label_[static_cast<size_t>(t)] == kUnlabelled) label_[static_cast<size_t>(t)] = -1;
        }
        for (const int32_t t : star_) look_at(t);
        if (added_ >= budget_) {
            budget_reached_ = true;
            stopped_ = true;
        }
    }

    // A walk from triangle t towards (px, py) that crosses no wall: the
    // triangle holding the point, or the wall in the way. Edges are tried
    // from a position drawn from the refiner's own generator (a walk with a
    // fixed order can circle in a mesh that is not Delaunay); the steps are
    // limited by the triangle count all the same, after which the point is
    // given up ("lost").
    Walk walk(int32_t& t, int& edge, double px, double py) {
        const size_t limit = m_.triangle_count() + 16;
        for (size_t step = 0; step < limit; ++step) {
            walk_state_ = walk_state_ * 6364136223846793005u + 1442695040888963407u;
            const int first = static_cast<int>((walk_state_ >> 33) % 3);
            bool moved = false;
            for (int k = 0; k < 3 && !moved; ++k) {
                const int i = (first + k) % 3;
                const uint32_t a = m_.vertex(t, i), b = m_.vertex(t, next3(i));
                if (orient2d_exact(x(a), y(a), x(b), y(b), px, py) >= 0.0) continue;
                if (wall(t, i)) {
                    edge = i;
                    return Walk::wall;
                }
                t = m_.across(t, i);
                moved = true;
            }
            if (!moved) return Walk::found;
        }
        return Walk::lost;
    }

    // Whether the smallest angle of t, at the corner opposite its shortest
    // edge p - q, is one no point can mend: between two walls (an input
    // angle), or p and q split points of two segments that meet at an input
    // vertex w, at the same distance from w (the shells put them there: the
    // angle at w is the input angle, and splitting would only repeat it
    // further in).
    //
    //      w ------p------ ...     |wp| = |wq|: p - q is the short edge of
    //        `------q----- ...     a skinny triangle that no point mends
    bool pinched(int32_t t, int shortest) const {
        if (wall(t, next3(shortest)) && wall(t, prev3(shortest))) return true;
        const uint32_t p = m_.vertex(t, shortest), q = m_.vertex(t, next3(shortest));
        const auto sp = segment_of(p), sq = segment_of(q);
        if (sp.first == kNoVertex || sq.first == kNoVertex || sp == sq) return false;
        uint32_t w = kNoVertex;
        for (const uint32_t a : {sp.first, sp.second}) {
            if (a == sq.first || a == sq.second) w = a;
        }
        if (w == kNoVertex) return false;
        const double dp = (x(p) - x(w)) * (x(p) - x(w)) + (y(p) - y(w)) * (y(p) - y(w));
        const double dq = (x(q) - x(w)) * (x(q) - x(w)) + (y(q) - y(w)) * (y(q) - y(w));
        return dp < 1.002 * dq && dq < 1.002 * dp;
    }

    // Queues a forced split of the wall i of t unless it cannot be split;
    // returns whether it did.
    bool queue_forced(int32_t t, int i) {
        const uint32_t a = m_.vertex(t, i), b = m_.vertex(t, next3(i));
        if (unsplittable_.count(EdgeKey{std::min(a, b), std::max(a, b)}) != 0) return false;
        walls_.push_back({a, b, true});
        return true;
    }

    // The bad triangle b: its new point goes in, or the walls it would
    // encroach are split and b is tried again.
    void mend(const BadTriangle& b) {
        const int32_t t = b.t;
        if (static_cast<size_t>(t) >= m_.triangle_count() || !kept(t)) return;
        int first = -1;
        for (int i = 0; i < 3; ++i) {
            if (m_.vertex(t, i) == b.v[0]) first = i;
        }
        if (first < 0 || m_.vertex(t, (first + 1) % 3) != b.v[1] || m_.vertex(t, (first + 2) % 3) != b.v[2]) return;
        bool angle_bad = false;
        int shortest = 0;
        double length = 0.0;
        if (!bad(t, angle_bad, shortest, length)) return;
        if (angle_bad && pinched(t, shortest)) return;
        const uint32_t p = m_.vertex(t, shortest), q = m_.vertex(t, next3(shortest)), r = m_.vertex(t, prev3(shortest));
        const Vec2 o = off_centre(at(p), at(q), at(r), angle_bad ? cot_half_ : 0.0);
        if (!std::isfinite(o.x) || !std::isfinite(o.y)) return;
        int32_t holder = t;
        int edge = -1;
        const Walk found = walk(holder, edge, o.x, o.y);
        if (found == Walk::lost) return;
        if (found == Walk::wall) {
            const uint32_t a = m_.vertex(holder, edge), c = m_.vertex(holder, next3(edge));
            // Beyond a wall: the wall is split (the point is then visible
            // again) when its diametral circle holds the point or a corner
            // of t. The lens lets a corner see a wall under an angle between
            // 90 and 180 - 2 * bound degrees without splitting it, and then
            // t's circumcentre can lie beyond it, off the mesh:
            //
            //      r            r sees a - c under more than 90 degrees:
            //     / `-.         t's circumcentre o is below a - c, outside
            //    a-------c      a - c's circle when t is flat enough, and
            //        o          only a split of a - c mends t
            //
            // Ruppert's argument covers such a split: a vertex lies in the
            // wall's diametral circle. Any other wall, the triangle is left.
            bool split = in_diametral_circle(x(a), y(a), x(c), y(c), o.x, o.y);
            for (int i = 0; i < 3 && !split; ++i) {
                const uint32_t u = m_.vertex(t, i);
                split = u != a && u != c && in_diametral_circle(x(a), y(a), x(c), y(c), x(u), y(u));
            }
            if (split && queue_forced(holder, edge)) push_again(b);
            return;
        }
        for (int i = 0; i < 3; ++i) {
            const uint32_t v = m_.vertex(holder, i);
            if (x(v) == o.x && y(v) == o.y) return;
        }
        // The cavity: the triangles whose circles hold the point, reached
        // without crossing a wall. Each wall on its rim would be an edge of
        // a triangle at the new point.
        if (++stamp_ == 0) {
            std::fill(cavity_mark_.begin(), cavity_mark_.end(), 0u);
            stamp_ = 1;
        }
        cavity_mark_.resize(m_.triangle_count(), 0);
        stack_.assign(1, holder);
        cavity_mark_[static_cast<size_t>(holder)] = stamp_;
        bool rejected = false;
        bool blocked = false;
        while (!stack_.empty()) {
            const int32_t s = stack_.back();
            stack_.pop_back();
            for (int i = 0; i < 3; ++i) {
                if (wall(s, i)) {
                    const uint32_t a = m_.vertex(s, i), c = m_.vertex(s, next3(i));
                    if (encroaches(a, c, o.x, o.y)) {
                        if (queue_forced(s, i)) {
                            rejected = true;
                        } else {
                            blocked = true;
                        }
                    }
                    continue;
                }
                const int32_t n = m_.across(s, i);
                if (cavity_mark_[static_cast<size_t>(n)] == stamp_) continue;
                const uint32_t u0 = m_.vertex(n, 0), u1 = m_.vertex(n, 1), u2 = m_.vertex(n, 2);
                if (incircle_exact(x(u0), y(u0), x(u1), y(u1), x(u2), y(u2), o.x, o.y) <= 0.0) continue;
                cavity_mark_[static_cast<size_t>(n)] = stamp_;
                stack_.push_back(n);
            }
        }
        // A wall it encroaches that cannot be split leaves the triangle as
        // it is (the point might lie on that wall).
        if (rejected && !blocked) {
            push_again(b);
            return;
        }
        if (blocked) return;
        const uint32_t v = constrained::insert_point(m_, o.x, o.y, holder);
        segment_of_.emplace_back(kNoVertex, kNoVertex);
        settle(v, false);
    }

    // Splits the wall a - b (if it is still an edge, still a wall, and
    // still encroached or forced) at its midpoint or on a shell.
    //
    //        r                 r
    //       / \               /|\         the two (or, on the hull, one)
    //      /   \             / | \        triangles beside p - q become
    //     p-----q    ->     p--m--q       four (two); m may sit a rounding
    //      \   /             \ | /        off the line p - q, so all four
    //       \ /               \|/         are checked counter-clockwise
    //        s                 s          with exact orientations
    void split_wall(const WallSplit& w) {
        auto [t, i] = m_.find_edge(w.a, w.b);
        if (t < 0) std::tie(t, i) = m_.find_edge(w.b, w.a);
        if (t < 0 || !wall(t, i)) return;
        if (!w.forced && !encroached(t, i)) return;
        const uint32_t p = m_.vertex(t, i), q = m_.vertex(t, next3(i)), r = m_.vertex(t, prev3(i));
        const std::pair<uint32_t, uint32_t> key{std::min(p, q), std::max(p, q)};
        if (unsplittable_.count(EdgeKey{key.first, key.second}) != 0) return;
        if (std::binary_search(s_.shared_pieces.begin(), s_.shared_pieces.end(), key)) {
            unsplittable_.insert(EdgeKey{key.first, key.second});
            return;
        }
        const int32_t n = m_.across(t, i);
        const uint32_t s = n >= 0 ? m_.vertex(n, prev3(m_.edge_index(n, q, p))) : 0;
        auto fits = [&](Vec2 c) {
            auto ccw = [&](uint32_t u, double ax, double ay, double bx, double by) {
                return orient2d_exact(x(u), y(u), ax, ay, bx, by) > 0.0;
            };
            return ccw(r, x(p), y(p), c.x, c.y) && ccw(r, c.x, c.y, x(q), y(q)) &&
                   (n < 0 || (ccw(s, x(q), y(q), c.x, c.y) && ccw(s, c.x, c.y, x(p), y(p))));
        };
        const bool p_input = p < input_vertices_, q_input = q < input_vertices_;
        // The input segment this wall is a piece of: its ends, or those
        // that the split point at its end recorded.
        std::pair<uint32_t, uint32_t> segment{std::min(p, q), std::max(p, q)};
        if (!p_input) segment = segment_of(p);
        if (p_input && !q_input) segment = segment_of(q);
        // The point wanted. On a segment edge: that point of the input
        // segment itself (not of this piece, whose ends may be rounded split
        // points or crossings), rounded, so that the segment passes through
        // the rounding box of every vertex on it, as snap rounding promises.
        // On a hull edge: a point on it or, by a rounding, just inside (of
        // the input segment when on one), never outside, so that the mesh
        // stays within the convex hull of the points. Else the wall stays.
        Vec2 c = midpoint(at(p), at(q));
        if (p_input != q_input) c = shell_point(at(p_input ? p : q), at(p_input ? q : p));
        bool placed = false;
        const uint32_t owner = m_.owner(t, i);
        if (owner != 0 && n >= 0) {
            if (4 * static_cast<size_t>(owner) <= s_.segment_ends.size()) {
                const double* ends = &s_.segment_ends[4 * static_cast<size_t>(owner - 1)];
                placed = rounded_on_segment(Vec2{ends[0], ends[1]}, Vec2{ends[2], ends[3]}, c) && fits(c);
            }
        } else {
            if (owner != 0 && 4 * static_cast<size_t>(owner) <= s_.segment_ends.size()) {
                const double* ends = &s_.segment_ends[4 * static_cast<size_t>(owner - 1)];
                rounded_on_segment(Vec2{ends[0], ends[1]}, Vec2{ends[2], ends[3]}, c);
            }
            // A rounding outside is moved in by a unit in the last place,
            // towards the mesh (the left of p -> q).
            if (orient2d_exact(x(p), y(p), x(q), y(q), c.x, c.y) < 0.0) {
                const double inward_x = -(y(q) - y(p)), inward_y = x(q) - x(p);
                const Vec2 moved[3] = {
                    {std::nextafter(c.x, inward_x > 0.0 ? HUGE_VAL : -HUGE_VAL), c.y},
                    {c.x, std::nextafter(c.y, inward_y > 0.0 ? HUGE_VAL : -HUGE_VAL)},
                    {std::nextafter(c.x, inward_x > 0.0 ? HUGE_VAL : -HUGE_VAL),
                     std::nextafter(c.y, inward_y > 0.0 ? HUGE_VAL : -HUGE_VAL)}};
                for (const Vec2& m : moved) {
                    if (orient2d_exact(x(p), y(p), x(q), y(q), m.x, m.y) >= 0.0) {
                        c = m;
                        break;
                    }
                }
            }
            placed = orient2d_exact(x(p), y(p), x(q), y(q), c.x, c.y) >= 0.0 && fits(c);
        }
        if (!placed) {
            unsplittable_.insert(EdgeKey{key.first, key.second});
            return;
        }
        const uint32_t v = constrained::split_edge_at(m_, t, i, c.x, c.y);
        segment_of_.push_back(segment);
        settle(v, true);
    }
};

}  // namespace

RefineOutcome refine_mesh(ConstrainedMesh& mesh, std::vector<int32_t>& label, const RefineSettings& settings) {
    Refiner refiner(mesh, label, settings);
    return refiner.run();
}

}  // namespace d2d::operations::refine
