#include "support/quality_checker.hpp"

#include <gmpxx.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <utility>

#include "support/exact_rational.hpp"
#include "support/shoelace_rational.hpp"

namespace d2dtest {
namespace {

constexpr double kDegrees = 57.29577951308232;  // 180 / pi
// Angles are doubles: a triangle within this many degrees of a bound or of
// a histogram bin's edge may fall on either side of it.
constexpr double kAngleSlack = 1e-9;
// Areas are compared exactly against the bound widened by this fraction,
// which leaves the library a decision in doubles.
constexpr double kAreaSlack = 1e-9;
// Delaunay refinement is proven to end for angle bounds up to this.
constexpr double kProvenAngle = 20.7;

struct Mesh {
    const double* p;
    const uint32_t* v;
    const int32_t* nb;
    const uint8_t* flag;
    size_t triangles;
    double x(uint32_t i) const { return p[2 * i]; }
    double y(uint32_t i) const { return p[2 * i + 1]; }
};

int orient(const Mesh& m, uint32_t a, uint32_t b, uint32_t c) {
    const int quick = orient_sign_quick(m.x(a), m.y(a), m.x(b), m.y(b), m.x(c), m.y(c));
    return quick != 0 ? quick : orient_sign_rational(m.x(a), m.y(a), m.x(b), m.y(b), m.x(c), m.y(c));
}

int orient_point(const Mesh& m, uint32_t a, uint32_t b, double px, double py) {
    const int quick = orient_sign_quick(m.x(a), m.y(a), m.x(b), m.y(b), px, py);
    return quick != 0 ? quick : orient_sign_rational(m.x(a), m.y(a), m.x(b), m.y(b), px, py);
}

int incircle(const Mesh& m, const uint32_t* t, uint32_t d) {
    const double ax = m.x(t[0]), ay = m.y(t[0]), bx = m.x(t[1]), by = m.y(t[1]), cx = m.x(t[2]), cy = m.y(t[2]);
    const int quick = incircle_sign_quick(ax, ay, bx, by, cx, cy, m.x(d), m.y(d));
    return quick != 0 ? quick : incircle_sign_rational(ax, ay, bx, by, cx, cy, m.x(d), m.y(d));
}

mpq_class triangle_area2(const Mesh& m, size_t t) {
    const uint32_t* v = m.v + 3 * t;
    return shoelace({m.x(v[0]), m.y(v[0]), m.x(v[1]), m.y(v[1]), m.x(v[2]), m.y(v[2])});
}

// The angle at a between b and c, in degrees.
double angle_at(const Mesh& m, uint32_t a, uint32_t b, uint32_t c) {
    const double ux = m.x(b) - m.x(a), uy = m.y(b) - m.y(a), wx = m.x(c) - m.x(a), wy = m.y(c) - m.y(a);
    return std::atan2(std::fabs(ux * wy - uy * wx), ux * wx + uy * wy) * kDegrees;
}

std::string at(const char* what, size_t index) { return std::string(what) + " " + std::to_string(index); }

// An input segment as the library split it: its chain of vertices from
// end to end, and the area between the chain and the segment.
struct Chain {
    std::vector<uint32_t> vertices;
    mpq_class deviation2 = 0;
};

// Whether w lies on the line a - b: exactly (returns 2), or within a few
// units in the last place of the coordinates, where a split point computed
// in doubles lands (returns 1); 0 otherwise.
int on_line(const Mesh& m, uint32_t a, uint32_t b, uint32_t w) {
    if (orient(m, a, b, w) == 0) return 2;
    const double dx = m.x(b) - m.x(a), dy = m.y(b) - m.y(a);
    const double cross = dx * (m.y(w) - m.y(a)) - dy * (m.x(w) - m.x(a));
    const double length = std::hypot(dx, dy);
    const double scale = std::max({std::fabs(m.x(w)), std::fabs(m.y(w)), std::fabs(m.x(a)), std::fabs(m.y(a)),
                                   std::fabs(m.x(b)), std::fabs(m.y(b))});
    return std::fabs(cross) / length <= 8 * scale * std::numeric_limits<double>::epsilon() ? 1 : 0;
}

// Follows the listed pieces from a to b, each step to the nearest further
// vertex along a -> b that lies on the segment; fails when it is stuck.
std::string follow_chain(const Mesh& m, const std::map<uint32_t, std::vector<uint32_t>>& pieces, uint32_t a,
                         uint32_t b, Chain* chain, size_t* off_line) {
    const double dx = m.x(b) - m.x(a), dy = m.y(b) - m.y(a);
    auto along = [&](uint32_t w) { return (m.x(w) - m.x(a)) * dx + (m.y(w) - m.y(a)) * dy; };
    const double end = along(b);
    uint32_t here = a;
    chain->vertices = {a};
    while (here != b) {
        const auto found = pieces.find(here);
        if (found == pieces.end()) return "no piece leaves a vertex of the chain";
        uint32_t next = here;
        double best = std::numeric_limits<double>::infinity();
        for (const uint32_t w : found->second) {
            const double t = along(w);
            if (!(t > along(here)) || t > end || t >= best) continue;
            const int on = w == b ? 2 : on_line(m, a, b, w);
            if (on == 0) continue;
            best = t;
            next = w;
        }
        if (next == here) return "the chain of pieces stops before the segment's end";
        if (next != b && on_line(m, a, b, next) == 1) ++*off_line;
        chain->vertices.push_back(next);
        here = next;
        if (chain->vertices.size() > m.triangles * 3 + 2) return "the chain of pieces does not end";
    }
    std::vector<double> ring;
    for (const uint32_t w : chain->vertices) {
        ring.push_back(m.x(w));
        ring.push_back(m.y(w));
    }
    chain->deviation2 = abs(shoelace(ring));
    return "";
}

}  // namespace

QualityReport check_quality(const QualityRequest& q, const delaunay2d_constrained_result& r) {
    QualityReport report;
    // The structure and the local Delaunay property of unflagged edges;
    // the segments' chains are checked below, allowing split points that
    // rounding has moved off the segment by a few units in the last place.
    ConstrainedInput structure = q.input;
    structure.skip_coverage = true;
    report.failure = check_constrained(structure, r);
    if (!report.failure.empty()) return report;

    const Mesh m{r.points, r.mesh.triangles, r.mesh.neighbours, r.constrained, r.mesh.triangle_count};
    report.kept = m.triangles;
    const size_t point_count = r.mesh.point_count;

    // Segments as chains of pieces.
    std::map<uint32_t, std::vector<uint32_t>> pieces;
    for (size_t s = 0; s < r.segment_count; ++s) {
        pieces[r.segments[2 * s]].push_back(r.segments[2 * s + 1]);
        pieces[r.segments[2 * s + 1]].push_back(r.segments[2 * s]);
    }
    const size_t input_segments = q.input.segments.size() / 2;
    std::vector<Chain> chains(input_segments);
    mpq_class deviation2 = 0;
    for (size_t s = 0; s < input_segments; ++s) {
        const int32_t ra = r.mesh.vertex_of_point[q.input.segments[2 * s]];
        const int32_t rb = r.mesh.vertex_of_point[q.input.segments[2 * s + 1]];
        if (ra < 0 || rb < 0 || ra == rb) continue;
        const std::string why = follow_chain(m, pieces, static_cast<uint32_t>(ra), static_cast<uint32_t>(rb),
                                             &chains[s], &report.off_line_split_points);
        if (!why.empty()) {
            report.failure = why + ", input segment " + std::to_string(s);
            return report;
        }
        deviation2 += chains[s].deviation2;
    }

    // Input angles below the bound: the pairs of input segments meeting at
    // an end, and which chain vertices belong to which segment.
    std::vector<std::pair<size_t, size_t>> small_angles;
    if (q.min_angle > 0.0) {
        std::map<uint32_t, std::vector<size_t>> at_end;
        for (size_t s = 0; s < input_segments; ++s) {
            if (chains[s].vertices.empty()) continue;
            at_end[chains[s].vertices.front()].push_back(s);
            at_end[chains[s].vertices.back()].push_back(s);
        }
        for (const auto& [apex, list] : at_end) {
            for (size_t i = 0; i < list.size(); ++i) {
                for (size_t j = i + 1; j < list.size(); ++j) {
                    auto far = [&](size_t s) {
                        return chains[s].vertices.front() == apex ? chains[s].vertices.back() : chains[s].vertices.front();
                    };
                    if (angle_at(m, apex, far(list[i]), far(list[j])) < q.min_angle) {
                        small_angles.emplace_back(list[i], list[j]);
                    }
                }
            }
        }
    }
    std::map<uint32_t, std::set<size_t>> on_segments;  // only for segments of small angles
    for (const auto& [s1, s2] : small_angles) {
        for (const size_t s : {s1, s2}) {
            for (const uint32_t w : chains[s].vertices) on_segments[w].insert(s);
        }
    }
    auto at_small_angle = [&](size_t t) {
        std::set<size_t> touched;
        for (int k = 0; k < 3; ++k) {
            const auto found = on_segments.find(m.v[3 * t + static_cast<size_t>(k)]);
            if (found != on_segments.end()) touched.insert(found->second.begin(), found->second.end());
        }
        for (const auto& [s1, s2] : small_angles) {
            if (touched.count(s1) != 0 && touched.count(s2) != 0) return true;
        }
        return false;
    };

    // Regions, by a flood of their own across unflagged edges.
    std::vector<double> attribute(m.triangles, 0.0);
    std::vector<double> area_bound(m.triangles, q.max_area);
    for (const delaunay2d_region_point& region : q.regions) {
        size_t start = m.triangles;
        for (size_t t = 0; t < m.triangles && start == m.triangles; ++t) {
            const uint32_t* v = m.v + 3 * t;
            if (orient_point(m, v[0], v[1], region.x, region.y) >= 0 && orient_point(m, v[1], v[2], region.x, region.y) >= 0 &&
                orient_point(m, v[2], v[0], region.x, region.y) >= 0) {
                start = t;
            }
        }
        if (start == m.triangles) continue;  // outside the kept triangles: nothing
        std::vector<bool> seen(m.triangles, false);
        std::vector<size_t> stack{start};
        seen[start] = true;
        while (!stack.empty()) {
            const size_t t = stack.back();
            stack.pop_back();
            attribute[t] = region.attribute;
            area_bound[t] = region.max_area > 0.0 ? region.max_area : q.max_area;
            for (size_t k = 0; k < 3; ++k) {
                const int32_t n = m.nb[3 * t + k];
                if (n < 0 || m.flag[3 * t + k] != 0 || seen[static_cast<size_t>(n)]) continue;
                seen[static_cast<size_t>(n)] = true;
                stack.push_back(static_cast<size_t>(n));
            }
        }
    }
    if (!q.regions.empty()) {
        if (r.triangle_attributes == nullptr) {
            report.failure = "regions given but no triangle_attributes";
            return report;
        }
        for (size_t t = 0; t < m.triangles; ++t) {
            if (r.triangle_attributes[t] != attribute[t]) {
                report.failure = at("attribute differs from the triangle's region, triangle", t);
                return report;
            }
        }
    }

    // Angles and areas.
    uint64_t hist_low[18] = {}, hist_high[18] = {};
    size_t unrefined_strict = 0, unrefined_loose = 0;
    std::string first_unexplained;
    report.min_angle = m.triangles > 0 ? 180.0 : 0.0;
    report.max_angle = 0.0;
    mpq_class kept2 = 0;
    for (size_t t = 0; t < m.triangles; ++t) {
        const uint32_t* v = m.v + 3 * t;
        const double angles[3] = {angle_at(m, v[0], v[1], v[2]), angle_at(m, v[1], v[2], v[0]),
                                  angle_at(m, v[2], v[0], v[1])};
        const double smallest = std::min({angles[0], angles[1], angles[2]});
        report.min_angle = std::min(report.min_angle, smallest);
        report.max_angle = std::max({report.max_angle, angles[0], angles[1], angles[2]});
        for (const double a : angles) {
            ++hist_low[std::min<size_t>(17, static_cast<size_t>(std::max(0.0, a - kAngleSlack) / 10.0))];
            ++hist_high[std::min<size_t>(17, static_cast<size_t>((a + kAngleSlack) / 10.0))];
        }
        const mpq_class area2 = triangle_area2(m, t);
        kept2 += area2;
        const bool bounded = area_bound[t] > 0.0;
        const bool area_strict = bounded && area2 > mpq_class(2 * area_bound[t]) * mpq_class(1.0 + kAreaSlack);
        const bool area_loose = bounded && area2 > mpq_class(2 * area_bound[t]) * mpq_class(1.0 - kAreaSlack);
        const bool angle_strict = q.min_angle > 0.0 && smallest < q.min_angle - kAngleSlack;
        const bool angle_loose = q.min_angle > 0.0 && smallest < q.min_angle + kAngleSlack;
        unrefined_strict += (area_strict || angle_strict) ? 1 : 0;
        unrefined_loose += (area_loose || angle_loose) ? 1 : 0;
        if (angle_strict) {
            ++report.below_angle;
            if (at_small_angle(t)) {
                ++report.at_small_input_angle;
            } else if (first_unexplained.empty()) {
                first_unexplained = at("smallest angle", t) + " is " + std::to_string(smallest) +
                                    " degrees, below the bound, away from any small input angle";
            }
        }
        if (area_strict) {
            ++report.above_area;
            if (first_unexplained.empty()) first_unexplained = at("area above its bound, triangle", t);
        }
    }
    // A budget explains what is left: the caller's, or, for a bound above
    // the 20.7 degrees that refinement is proven to reach, one of the
    // library's own (the tests ask separately that it is not reached).
    const bool may_stop = q.max_steiner > 0 || q.min_angle > kProvenAngle;
    const bool budget = may_stop && r.quality.budget_reached != 0;
    if (q.refined && !budget && !first_unexplained.empty()) {
        report.failure = first_unexplained;
        return report;
    }
    if (q.max_steiner > 0 && r.quality.added_by_refinement > q.max_steiner) {
        report.failure = "more points added than max_steiner";
        return report;
    }
    if (r.quality.budget_reached != 0 && !may_stop) {
        report.failure = "budget_reached without a budget, below the proven angle";
        return report;
    }

    // The domain's area.
    if (!q.rings.empty()) {
        mpq_class expected = 0;
        for (const auto& ring : q.rings) expected += shoelace(ring);
        const mpq_class gap = abs(kept2 - expected);
        if (report.off_line_split_points == 0 ? gap != 0 : gap > deviation2) {
            report.failure = "kept area differs from the domain's by " + std::to_string(gap.get_d() / 2);
            return report;
        }
    }

    // Conforming: Delaunay edges everywhere, and no vertex inside any kept
    // triangle's circumcircle (a grid of the kept vertices finds the ones
    // near a circle; the exact in-circle decides).
    if (q.conforming && m.triangles > 0) {
        std::vector<uint32_t> used;
        std::vector<bool> is_used(point_count, false);
        double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
        for (size_t k = 0; k < 3 * m.triangles; ++k) {
            const uint32_t w = m.v[k];
            if (is_used[w]) continue;
            is_used[w] = true;
            used.push_back(w);
            lo[0] = std::min(lo[0], m.x(w)), lo[1] = std::min(lo[1], m.y(w));
            hi[0] = std::max(hi[0], m.x(w)), hi[1] = std::max(hi[1], m.y(w));
        }
        const size_t side = std::max<size_t>(1, static_cast<size_t>(std::sqrt(static_cast<double>(used.size()))));
        const double cw = std::max(hi[0] - lo[0], 1e-300) / static_cast<double>(side);
        const double ch = std::max(hi[1] - lo[1], 1e-300) / static_cast<double>(side);
        auto cell = [&](double c, double low, double width) {
            const double f = std::floor((c - low) / width);
            return static_cast<size_t>(std::clamp(f, 0.0, static_cast<double>(side - 1)));
        };
        std::vector<std::vector<uint32_t>> grid(side * side);
        for (const uint32_t w : used) grid[cell(m.y(w), lo[1], ch) * side + cell(m.x(w), lo[0], cw)].push_back(w);
        for (size_t t = 0; t < m.triangles; ++t) {
            const uint32_t* v = m.v + 3 * t;
            const double ax = m.x(v[0]), ay = m.y(v[0]);
            const double bx = m.x(v[1]) - ax, by = m.y(v[1]) - ay, cx = m.x(v[2]) - ax, cy = m.y(v[2]) - ay;
            const double d = 2 * (bx * cy - by * cx);
            const double ux = (cy * (bx * bx + by * by) - by * (cx * cx + cy * cy)) / d;
            const double uy = (bx * (cx * cx + cy * cy) - cx * (bx * bx + by * by)) / d;
            const double radius = std::hypot(ux, uy) * (1 + 1e-6) + 1e-12 * (hi[0] - lo[0] + hi[1] - lo[1]);
            const double ox = ax + ux, oy = ay + uy;
            for (size_t gy = cell(oy - radius, lo[1], ch); gy <= cell(oy + radius, lo[1], ch); ++gy) {
                for (size_t gx = cell(ox - radius, lo[0], cw); gx <= cell(ox + radius, lo[0], cw); ++gx) {
                    for (const uint32_t w : grid[gy * side + gx]) {
                        if (w == v[0] || w == v[1] || w == v[2]) continue;
                        if (incircle(m, v, w) > 0) {
                            report.failure = at("conforming mesh: a vertex lies inside the circumcircle of triangle", t);
                            return report;
                        }
                    }
                }
            }
        }
    }

    // The figures the result reports.
    const delaunay2d_mesh_quality& f = r.quality;
    if (m.triangles > 0 &&
        (std::fabs(f.min_angle - report.min_angle) > 1e-6 || std::fabs(f.max_angle - report.max_angle) > 1e-6)) {
        report.failure = "quality.min_angle " + std::to_string(f.min_angle) + " or max_angle " +
                         std::to_string(f.max_angle) + " differ from the recount " + std::to_string(report.min_angle) +
                         ", " + std::to_string(report.max_angle);
        return report;
    }
    // Angles near a bin's edge may fall either way: the reported count of
    // angles below each edge lies between the counts with every angle
    // nudged up and down.
    uint64_t below_low = 0, below_high = 0, below_reported = 0;
    for (size_t b = 0; b < 18; ++b) {
        below_low += hist_low[b];
        below_high += hist_high[b];
        below_reported += f.angle_histogram[b];
        if (below_reported < below_high || below_reported > below_low) {
            report.failure = at("angle_histogram differs from the recount at bin", b);
            return report;
        }
    }
    if (below_reported != 3 * m.triangles) {
        report.failure = "angle_histogram does not hold three angles a triangle";
        return report;
    }
    if (f.unrefined_count < unrefined_strict || f.unrefined_count > unrefined_loose) {
        report.failure = "unrefined_count " + std::to_string(f.unrefined_count) + " is not the recount " +
                         std::to_string(unrefined_strict);
        return report;
    }
    if (f.added_by_refinement > r.added_count || (!q.input.crossings && f.added_by_refinement != r.added_count)) {
        report.failure = "added_by_refinement is not the points added after the input";
        return report;
    }
    return report;
}

}  // namespace d2dtest
