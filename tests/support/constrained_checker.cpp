#include "support/constrained_checker.hpp"

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "support/exact_rational.hpp"
#include "support/shoelace_rational.hpp"

namespace d2dtest {
namespace {

int orient(const double* p, uint32_t a, uint32_t b, uint32_t c) {
    const double ax = p[2 * a], ay = p[2 * a + 1], bx = p[2 * b], by = p[2 * b + 1], cx = p[2 * c], cy = p[2 * c + 1];
    const int quick = orient_sign_quick(ax, ay, bx, by, cx, cy);
    return quick != 0 ? quick : orient_sign_rational(ax, ay, bx, by, cx, cy);
}

int incircle(const double* p, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    const double ax = p[2 * a], ay = p[2 * a + 1], bx = p[2 * b], by = p[2 * b + 1];
    const double cx = p[2 * c], cy = p[2 * c + 1], dx = p[2 * d], dy = p[2 * d + 1];
    const int quick = incircle_sign_quick(ax, ay, bx, by, cx, cy, dx, dy);
    return quick != 0 ? quick : incircle_sign_rational(ax, ay, bx, by, cx, cy, dx, dy);
}

std::string name(const char* what, size_t at) { return std::string(what) + " " + std::to_string(at); }

// Whether the segment a - b meets the closed box of the points whose
// coordinates round to h (half the gap to the neighbouring double on each
// side), by clipping the segment's parameter range to the box in rationals.
bool segment_meets_pixel(const double* a, const double* b, const double* h) {
    // Quick rejections: the box reaches no double beyond h's neighbours, and
    // a line far from h by more than the box's reach misses it.
    if (h[0] < std::min(a[0], b[0]) || h[0] > std::max(a[0], b[0])) return false;
    if (h[1] < std::min(a[1], b[1]) || h[1] > std::max(a[1], b[1])) return false;
    mpq_class low[2], high[2];
    for (int k = 0; k < 2; ++k) {
        const double below = std::nextafter(h[k], -INFINITY), above = std::nextafter(h[k], INFINITY);
        low[k] = std::isfinite(below) ? (mpq_class(below) + mpq_class(h[k])) / 2 : mpq_class(h[k]);
        high[k] = std::isfinite(above) ? (mpq_class(above) + mpq_class(h[k])) / 2 : mpq_class(h[k]);
    }
    mpq_class from = 0, to = 1;
    for (int k = 0; k < 2; ++k) {
        const mpq_class start(a[k]), step = mpq_class(b[k]) - mpq_class(a[k]);
        if (step == 0) {
            if (start < low[k] || start > high[k]) return false;
            continue;
        }
        mpq_class t1 = (low[k] - start) / step, t2 = (high[k] - start) / step;
        if (t1 > t2) std::swap(t1, t2);
        if (t1 > from) from = t1;
        if (t2 < to) to = t2;
    }
    return from <= to;
}

}  // namespace

std::string check_constrained(const ConstrainedInput& input, const delaunay2d_constrained_result& r,
                              const std::vector<std::vector<double>>* rings) {
    const size_t count = input.xy.size() / 2;
    const delaunay2d_result& m = r.mesh;
    const size_t n = m.point_count;
    if (n != count + r.added_count) return "point_count is not count + added_count";
    const double* p = r.points;
    for (size_t i = 0; i < 2 * count; ++i) {
        const double in = input.xy[i];
        if (!(p[i] == in || (std::isnan(p[i]) && std::isnan(in)))) return name("points differ from the input at", i);
    }
    for (size_t i = 2 * count; i < 2 * n; ++i) {
        if (!std::isfinite(p[i])) return name("added point not finite:", i / 2);
    }
    const size_t t_count = m.triangle_count;
    std::map<std::pair<uint32_t, uint32_t>, std::pair<size_t, int>> edges;  // directed edge -> triangle, index
    for (size_t t = 0; t < t_count; ++t) {
        const uint32_t* v = m.triangles + 3 * t;
        for (int i = 0; i < 3; ++i) {
            if (v[i] >= n) return name("vertex out of range in triangle", t);
            if (m.vertex_of_point[v[i]] != static_cast<int32_t>(v[i])) return name("vertex is a repeat in triangle", t);
        }
        if (orient(p, v[0], v[1], v[2]) <= 0) return name("triangle not counter-clockwise:", t);
        for (int i = 0; i < 3; ++i) {
            if (!edges.emplace(std::make_pair(v[i], v[(i + 1) % 3]), std::make_pair(t, i)).second) {
                return name("directed edge used twice, triangle", t);
            }
        }
    }
    for (size_t t = 0; t < t_count; ++t) {
        const uint32_t* v = m.triangles + 3 * t;
        for (int i = 0; i < 3; ++i) {
            const int32_t nb = m.neighbours[3 * t + static_cast<size_t>(i)];
            const auto back = edges.find({v[(i + 1) % 3], v[i]});
            if (nb < 0) {
                if (back != edges.end()) return name("-1 neighbour where a triangle is across, triangle", t);
                continue;
            }
            if (back == edges.end() || back->second.first != static_cast<size_t>(nb)) {
                return name("neighbour is not across the edge, triangle", t);
            }
            const size_t j = 3 * static_cast<size_t>(nb) + static_cast<size_t>(back->second.second);
            if (m.neighbours[j] != static_cast<int32_t>(t)) return name("neighbours not mutual, triangle", t);
            if (r.constrained[j] != r.constrained[3 * t + static_cast<size_t>(i)]) {
                return name("segment flag differs across an edge of triangle", t);
            }
            // Locally Delaunay unless on a segment.
            if (r.constrained[3 * t + static_cast<size_t>(i)] == 0) {
                const uint32_t apex = m.triangles[3 * static_cast<size_t>(nb) + static_cast<size_t>((back->second.second + 2) % 3)];
                if (incircle(p, v[0], v[1], v[2], apex) > 0) return name("edge not locally Delaunay in triangle", t);
            }
        }
    }
    // Listed segment edges against flagged edges.
    std::set<std::pair<uint32_t, uint32_t>> pieces;
    std::map<uint32_t, std::vector<uint32_t>> piece_graph;
    for (size_t s = 0; s < r.segment_count; ++s) {
        const uint32_t a = r.segments[2 * s], b = r.segments[2 * s + 1];
        if (a >= n || b >= n || a == b) return name("bad segment piece", s);
        if (!pieces.insert({std::min(a, b), std::max(a, b)}).second) return name("segment piece listed twice:", s);
        piece_graph[a].push_back(b);
        piece_graph[b].push_back(a);
        const auto e1 = edges.find({a, b}), e2 = edges.find({b, a});
        const bool flagged1 = e1 != edges.end() && r.constrained[3 * e1->second.first + static_cast<size_t>(e1->second.second)];
        const bool flagged2 = e2 != edges.end() && r.constrained[3 * e2->second.first + static_cast<size_t>(e2->second.second)];
        const bool removed_both_sides = e1 == edges.end() && e2 == edges.end();
        if (!flagged1 && !flagged2 && !(removed_both_sides && (input.region == DELAUNAY2D_REGION_INSIDE || !input.holes.empty()))) {
            return name("segment piece is not a flagged mesh edge:", s);
        }
    }
    for (size_t t = 0; t < t_count; ++t) {
        for (int i = 0; i < 3; ++i) {
            if (r.constrained[3 * t + static_cast<size_t>(i)] == 0) continue;
            const uint32_t a = m.triangles[3 * t + static_cast<size_t>(i)], b = m.triangles[3 * t + static_cast<size_t>((i + 1) % 3)];
            if (pieces.count({std::min(a, b), std::max(a, b)}) == 0) return name("flagged edge not listed, triangle", t);
        }
    }
    // Each input segment is a path of pieces through points whose hot pixel
    // (the box of points that round to them) it meets; every piece lies on
    // such a path of some segment.
    std::set<std::pair<uint32_t, uint32_t>> accounted;
    for (size_t s = 0; s < (input.skip_coverage ? 0 : input.segments.size() / 2); ++s) {
        const int32_t ra = m.vertex_of_point[input.segments[2 * s]], rb = m.vertex_of_point[input.segments[2 * s + 1]];
        if (ra < 0 || rb < 0) return name("segment names a point that is no vertex:", s);
        const uint32_t a = static_cast<uint32_t>(ra), b = static_cast<uint32_t>(rb);
        if (a == b) continue;
        std::map<uint32_t, bool> passable_memo;
        auto passable = [&](uint32_t v) {
            if (v == a || v == b || input.crossings) return true;
            const auto found = passable_memo.find(v);
            if (found != passable_memo.end()) return found->second;
            const bool meets = segment_meets_pixel(p + 2 * a, p + 2 * b, p + 2 * v);
            passable_memo[v] = meets;
            return meets;
        };
        std::set<uint32_t> seen{a};
        std::vector<uint32_t> stack{a};
        bool reached = false;
        while (!stack.empty()) {
            const uint32_t v = stack.back();
            stack.pop_back();
            if (v == b) continue;
            for (const uint32_t w : piece_graph[v]) {
                if (!passable(w)) continue;
                accounted.insert({std::min(v, w), std::max(v, w)});
                if (w == b) reached = true;
                if (seen.insert(w).second) stack.push_back(w);
            }
        }
        if (!reached) return name("input segment not covered by pieces:", s);
    }
    for (const auto& piece : pieces) {
        if (!input.skip_coverage && accounted.count(piece) == 0) {
            return "segment piece " + std::to_string(piece.first) + " - " + std::to_string(piece.second) +
                   " lies on no input segment";
        }
    }
    // Tiling of the hull.
    if (input.region == DELAUNAY2D_REGION_HULL && input.holes.empty() && t_count > 0) {
        std::vector<double> hull;
        for (size_t k = 0; k < m.hull_count; ++k) {
            hull.push_back(p[2 * m.hull[k]]);
            hull.push_back(p[2 * m.hull[k] + 1]);
        }
        mpq_class total = 0;
        for (size_t t = 0; t < t_count; ++t) {
            const uint32_t* v = m.triangles + 3 * t;
            total += shoelace({p[2 * v[0]], p[2 * v[0] + 1], p[2 * v[1]], p[2 * v[1] + 1], p[2 * v[2]], p[2 * v[2] + 1]});
        }
        if (total != shoelace(hull)) return "triangles do not tile the hull";
        size_t distinct = 0;
        for (size_t i = 0; i < n; ++i) distinct += m.vertex_of_point[i] == static_cast<int32_t>(i) ? 1 : 0;
        if (t_count != 2 * distinct - 2 - m.hull_count) return "triangle count is not 2n - 2 - h";
    }
    if (rings != nullptr) {
        mpq_class expected = 0;
        for (const auto& ring : *rings) expected += shoelace(ring);
        mpq_class total = 0;
        for (size_t t = 0; t < t_count; ++t) {
            const uint32_t* v = m.triangles + 3 * t;
            total += shoelace({p[2 * v[0]], p[2 * v[0] + 1], p[2 * v[1]], p[2 * v[1] + 1], p[2 * v[2]], p[2 * v[2] + 1]});
        }
        if (total != expected) return "kept area differs from the rings' area";
    }
    return "";
}

}  // namespace d2dtest
