// Voronoi cells clipped to a box.
//
// Point p's cell within the box is the box cut down by one half-plane per
// neighbour u along the mesh's edges: the side of their perpendicular
// bisector nearer to p. In a Delaunay triangulation every Voronoi
// neighbour is such a neighbour, so nothing else cuts the cell.
//
//     +-----------------+          keep x with (x - m) . (u - p) <= 0,
//     |        :        |          m = (p + u) / 2
//     |   p    :    u   |
//     |        :        |          each cut: one pass over the polygon,
//     +-----------------+          keeping its counter-clockwise order
//
// Which side of a bisector a vertex lies on is decided exactly (which of p
// and u is nearer); only the crossing points are rounded, computed on
// scaled values so that boxes from 1e-300 to 1e300 wide neither underflow
// nor overflow.
//
// With all points on one line the neighbours are the points before and
// after along it, and the cells are strips. A repeated point (and one with
// a NaN or infinite coordinate) gets no cell: the point that stands for it
// has the whole cell.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/system/parallel_pair.hpp"
#include "operations/common/circumcentre.hpp"
#include "operations/common/vertex_fans.hpp"
#include "operations/interpolate/distance_order.hpp"
#include "operations/voronoi/voronoi_diagram.hpp"

namespace d2d::operations {
namespace {

// Which side of the bisector of p and u the point x lies on, exactly: the
// sign of |x - p|^2 - |x - u|^2 (negative: nearer p, kept).
int side_of_bisector(Vec2 x, Vec2 p, Vec2 u) { return compare_squared_distances(p.x, p.y, u.x, u.y, x.x, x.y); }

// A power of two by which v's magnitude goes into [2^-300, 2^300] (1 for 0
// and where it is already there, the common case, without a library
// call): scaling by it is exact, and products of up to three such numbers
// neither overflow nor underflow to nothing.
double unit_scale(double v) {
    if (!(v > 0.0) || !std::isfinite(v) || (v >= 0x1p-300 && v <= 0x1p300)) return 1.0;
    int exponent = 0;
    std::frexp(v, &exponent);
    return std::ldexp(1.0, -exponent);
}

// The line an edge of a cell lies on: a side of the box or the bisector of
// the cell's point and a neighbour.
struct EdgeLine {
    enum Kind { kVertical, kHorizontal, kBisector } kind;
    double at;  // x of a vertical side, y of a horizontal one
    Vec2 u;     // the neighbour, for a bisector
};

// A polygon: vertex i and the line of the edge from vertex i to i + 1.
struct CellPolygon {
    std::vector<Vec2> vertices;
    std::vector<EdgeLine> lines;
    void clear() {
        vertices.clear();
        lines.clear();
    }
    void push(Vec2 v, EdgeLine l) {
        vertices.push_back(v);
        lines.push_back(l);
    }
};

// Where the bisector of p and u crosses the segment from a to b, found by
// interpolating the signed distances to the bisector: the fallback where
// the two lines' own crossing is not finite (lines nearly parallel, or
// differences beyond the double range).
Vec2 interpolated_crossing(Vec2 a, Vec2 b, Vec2 p, Vec2 u) {
    Vec2 d{u.x - p.x, u.y - p.y};
    if (!std::isfinite(d.x) || !std::isfinite(d.y)) d = Vec2{0.5 * u.x - 0.5 * p.x, 0.5 * u.y - 0.5 * p.y};
    const double largest = std::max(std::fabs(d.x), std::fabs(d.y));  // only the direction counts
    d = Vec2{d.x / largest, d.y / largest};
    const Vec2 mid{0.5 * p.x + 0.5 * u.x, 0.5 * p.y + 0.5 * u.y};
    const auto side = [&](Vec2 x, double scale) {
        return (scale * x.x - scale * mid.x) * d.x + (scale * x.y - scale * mid.y) * d.y;
    };
    double sa = side(a, 1.0), sb = side(b, 1.0);
    if (!std::isfinite(sa - sb)) sa = side(a, 0.125), sb = side(b, 0.125);
    double f = sa / (sa - sb);
    if (!(f >= 0.0)) f = 0.0;  // also NaN: both sides rounded to zero
    if (f > 1.0) f = 1.0;
    const Vec2 step{b.x - a.x, b.y - a.y};
    if (std::isfinite(step.x) && std::isfinite(step.y)) return Vec2{a.x + f * step.x, a.y + f * step.y};
    return Vec2{(1.0 - f) * a.x + f * b.x, (1.0 - f) * a.y + f * b.y};
}

// Where the bisector of p and u crosses the edge from a to b on line l.
// Interpolating along the edge would lose the crossing's accuracy when the
// edge is long (a bisector across a box of 1e300 meeting another near
// points a unit apart lands 1e284 off), so the point is computed from the
// two lines: on a box side, the bisector solved for the other coordinate
// about the midpoint of p and u; on another bisector, the circumcentre of
// p, u and that neighbour, relative to p on differences scaled by a power
// of two. Either is clamped to the edge's extent, where the exact sides
// of a and b put the crossing.
//
//        a ----- x ----- b       x = l meets bisector(p, u)
//                :
//            p   :   u
Vec2 crossing(Vec2 a, Vec2 b, const EdgeLine& l, Vec2 p, Vec2 u) {
    Vec2 x{NAN, NAN};
    if (l.kind == EdgeLine::kBisector) {
        Vec2 b{u.x - p.x, u.y - p.y}, c{l.u.x - p.x, l.u.y - p.y};
        const double unit = unit_scale(std::max({std::fabs(b.x), std::fabs(b.y), std::fabs(c.x), std::fabs(c.y)}));
        if (unit != 1.0) b = Vec2{b.x * unit, b.y * unit}, c = Vec2{c.x * unit, c.y * unit};
        // The circumcentre of (0, b, c), with one division.
        const double half_inverse = 0.5 / (b.x * c.y - b.y * c.x);
        const double lb = b.x * b.x + b.y * b.y, lc = c.x * c.x + c.y * c.y;
        Vec2 r{(c.y * lb - b.y * lc) * half_inverse, (b.x * lc - c.x * lb) * half_inverse};
        if (unit != 1.0) r = Vec2{r.x / unit, r.y / unit};
        x = Vec2{p.x + r.x, p.y + r.y};
    } else {
        const Vec2 d{u.x - p.x, u.y - p.y};  // only the ratio d.x / d.y counts
        const Vec2 mid{0.5 * p.x + 0.5 * u.x, 0.5 * p.y + 0.5 * u.y};
        // (x - mid) . d = 0 with one coordinate fixed at l.at.
        if (l.kind == EdgeLine::kVertical) {
            x = Vec2{l.at, mid.y - (l.at - mid.x) * (d.x / d.y)};
        } else {
            x = Vec2{mid.x - (l.at - mid.y) * (d.y / d.x), l.at};
        }
    }
    if (!std::isfinite(x.x) || !std::isfinite(x.y)) return interpolated_crossing(a, b, p, u);
    x.x = std::clamp(x.x, std::min(a.x, b.x), std::max(a.x, b.x));
    x.y = std::clamp(x.y, std::min(a.y, b.y), std::max(a.y, b.y));
    return x;
}

// Cuts the polygon down to the side of the bisector of p and u nearer p.
// Each vertex's side is decided exactly; a vertex on the bisector stays
// and makes no crossing. Kept edges keep their lines; the stretch between
// the two crossings lies on the bisector.
void cut(CellPolygon& polygon, CellPolygon& scratch, std::vector<int>& sides, Vec2 p, Vec2 u) {
    const size_t n = polygon.vertices.size();
    sides.resize(n);
    bool any_out = false;
    for (size_t i = 0; i < n; ++i) {
        sides[i] = side_of_bisector(polygon.vertices[i], p, u);
        any_out = any_out || sides[i] > 0;
    }
    if (!any_out) return;
    const EdgeLine bisector{EdgeLine::kBisector, 0.0, u};
    scratch.clear();
    for (size_t i = 0; i < n; ++i) {
        const size_t j = i + 1 == n ? 0 : i + 1;
        const Vec2 a = polygon.vertices[i], b = polygon.vertices[j];
        const EdgeLine& l = polygon.lines[i];
        const int sa = sides[i], sb = sides[j];
        if (sa < 0 && sb > 0) {
            scratch.push(a, l);
            scratch.push(crossing(a, b, l, p, u), bisector);
        } else if (sa <= 0) {
            scratch.push(a, sb > 0 ? bisector : l);
        } else if (sb < 0) {
            scratch.push(crossing(a, b, l, p, u), l);
        }
    }
    std::swap(polygon, scratch);
}

// Whether the polygon (counter-clockwise) encloses any area. The signed
// area is summed about the first vertex on coordinates scaled by a power of
// two into a moderate range (summed about the origin, a box of width 1e-9 at
// 0.3 cancels to noise, one of width 1e-200 underflows and one of 1e155
// overflows). After scaling no product overflows, and one underflows only
// for a polygon thinner than 2^-1000 of its largest coordinate.
bool encloses_area(const std::vector<Vec2>& polygon) {
    if (polygon.size() < 3) return false;
    double largest = 0.0;
    for (const Vec2& a : polygon) largest = std::max({largest, std::fabs(a.x), std::fabs(a.y)});
    const double s = unit_scale(largest);
    const Vec2 o{s * polygon[0].x, s * polygon[0].y};
    double twice = 0.0;
    for (size_t i = 1; i + 1 < polygon.size(); ++i) {
        const Vec2 a{s * polygon[i].x - o.x, s * polygon[i].y - o.y};
        const Vec2 b{s * polygon[i + 1].x - o.x, s * polygon[i + 1].y - o.y};
        twice += a.x * b.y - a.y * b.x;
    }
    return twice > 0.0;
}

// Drops repeated consecutive vertices; a polygon left with fewer than three
// vertices or no area is empty.
void tidy(std::vector<Vec2>& polygon) {
    std::vector<Vec2> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Vec2 a = polygon[i];
        if (!kept.empty() && kept.back().x == a.x && kept.back().y == a.y) continue;
        kept.push_back(a);
    }
    while (kept.size() > 1 && kept.back().x == kept.front().x && kept.back().y == kept.front().y) kept.pop_back();
    if (!encloses_area(kept)) kept.clear();
    polygon.swap(kept);
}

}  // namespace

void build_cells(const MeshInput& m, const double box[4], ThreadCount threads, delaunay2d_cells& out) {
    const size_t n = m.point_count;
    std::vector<size_t> line_position;  // without triangles: each point's place along the line
    if (m.triangle_count == 0) {
        line_position.assign(n, SIZE_MAX);
        for (size_t k = 0; k < m.hull_count; ++k) line_position[m.hull[k]] = k;
    }
    const VertexFans fans(m);
    // Each half of the points into its own list; joined in point order.
    struct Half {
        std::vector<size_t> counts;
        std::vector<Vec2> vertices;
    } halves[2];
    run_halves(threads.when(n >= 1024), n, [&](int h, size_t first, size_t last) {
        Half& half = halves[h];
        CellPolygon polygon, scratch;
        std::vector<Vec2> cell;
        std::vector<int> sides;
        std::vector<uint32_t> around;
        for (size_t i = first; i < last; ++i) {
            polygon.clear();
            cell.clear();
            const bool in_mesh = m.triangle_count == 0 ? line_position[i] != SIZE_MAX
                                                       : fans.first(static_cast<uint32_t>(i)) >= 0;
            if (m.represents(i) && in_mesh) {
                polygon.push(Vec2{box[0], box[1]}, EdgeLine{EdgeLine::kHorizontal, box[1], {}});
                polygon.push(Vec2{box[2], box[1]}, EdgeLine{EdgeLine::kVertical, box[2], {}});
                polygon.push(Vec2{box[2], box[3]}, EdgeLine{EdgeLine::kHorizontal, box[3], {}});
                polygon.push(Vec2{box[0], box[3]}, EdgeLine{EdgeLine::kVertical, box[0], {}});
                around.clear();
                if (m.triangle_count == 0) {
                    const size_t k = line_position[i];
                    if (k > 0) around.push_back(m.hull[k - 1]);
                    if (k + 1 < m.hull_count) around.push_back(m.hull[k + 1]);
                } else {
                    fans.neighbours(m, static_cast<uint32_t>(i), around);
                }
                const Vec2 p{m.x(static_cast<uint32_t>(i)), m.y(static_cast<uint32_t>(i))};
                for (const uint32_t u : around) {
                    if (polygon.vertices.empty()) break;
                    cut(polygon, scratch, sides, p, Vec2{m.x(u), m.y(u)});
                }
                cell = polygon.vertices;
                tidy(cell);
            }
            half.counts.push_back(cell.size());
            half.vertices.insert(half.vertices.end(), cell.begin(), cell.end());
        }
    });
    out.point_count = n;
    out.offsets = allocate_host_array<size_t>(n + 1);
    const size_t total = halves[0].vertices.size() + halves[1].vertices.size();
    out.vertices = allocate_host_array<double>(2 * total);
    size_t at = 0, i = 0, v = 0;
    for (const Half& half : halves) {
        for (const size_t count : half.counts) {
            out.offsets[i++] = at;
            at += count;
        }
        for (const Vec2& x : half.vertices) {
            out.vertices[v++] = x.x;
            out.vertices[v++] = x.y;
        }
    }
    out.offsets[n] = at;
}

}  // namespace d2d::operations
