// Point location, interpolation and the Voronoi diagram, checked against
// independent exact arithmetic (GMP) and brute force over every triangle
// or point.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "delaunay2d.h"
#include "engine/system/allocation_faults.hpp"
#include "support/exact_rational.hpp"
#include "common/point_families.hpp"
#include "support/predicate_inputs.hpp"

namespace {

using d2dcommon::Points;

int orient(double ax, double ay, double bx, double by, double cx, double cy) {
    const int quick = d2dtest::orient_sign_quick(ax, ay, bx, by, cx, cy);
    return quick != 0 ? quick : d2dtest::orient_sign_rational(ax, ay, bx, by, cx, cy);
}

struct Mesh {
    Points points;
    delaunay2d_result result{};
    explicit Mesh(Points p) : points(std::move(p)) {
        EXPECT_EQ(delaunay2d_triangulate(&points[0].x, points.size(), 4, 1, &result), DELAUNAY2D_OK);
    }
    ~Mesh() { delaunay2d_result_free(&result); }
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    const double* coords() const { return &points[0].x; }
    bool holds(const delaunay2d_result& r, size_t t, double x, double y) const {
        for (int i = 0; i < 3; ++i) {
            const Point3D& a = points[r.triangles[3 * t + static_cast<size_t>(i)]];
            const Point3D& b = points[r.triangles[3 * t + static_cast<size_t>((i + 1) % 3)]];
            if (orient(a.x, a.y, b.x, b.y, x, y) < 0) return false;
        }
        return true;
    }
};

// Queries that land on vertices, on edges (midpoints of integer edges are
// exact), and anywhere, inside and outside.
std::vector<double> queries_for(const Mesh& m, uint64_t seed) {
    std::vector<double> q;
    for (const Point3D& p : m.points) q.insert(q.end(), {p.x, p.y});
    for (size_t t = 0; t < m.result.triangle_count; ++t) {
        const Point3D& a = m.points[m.result.triangles[3 * t]];
        const Point3D& b = m.points[m.result.triangles[3 * t + 1]];
        q.insert(q.end(), {0.5 * (a.x + b.x), 0.5 * (a.y + b.y)});
    }
    double lo = INFINITY, hi = -INFINITY;
    for (const Point3D& p : m.points) lo = std::min({lo, p.x, p.y}), hi = std::max({hi, p.x, p.y});
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(lo - 0.2 * (hi - lo), hi + 0.2 * (hi - lo));
    for (int i = 0; i < 400; ++i) q.insert(q.end(), {u(rng), u(rng)});
    q.insert(q.end(), {NAN, 0.0, 0.0, INFINITY});
    return q;
}

// Every answer holds its query; every -1 has no triangle holding it; the
// answers are the same on one thread and two.
void expect_located(const Mesh& m, const delaunay2d_result& r, const std::vector<double>& q) {
    const size_t n = q.size() / 2;
    std::vector<int32_t> one(n), two(n);
    ASSERT_EQ(delaunay2d_locate(m.coords(), 4, &r, q.data(), n, 1, one.data()), DELAUNAY2D_OK);
    ASSERT_EQ(delaunay2d_locate(m.coords(), 4, &r, q.data(), n, 2, two.data()), DELAUNAY2D_OK);
    EXPECT_EQ(one, two);
    for (size_t i = 0; i < n; ++i) {
        const double x = q[2 * i], y = q[2 * i + 1];
        if (!std::isfinite(x) || !std::isfinite(y)) {
            EXPECT_EQ(one[i], -1);
            continue;
        }
        if (one[i] >= 0) {
            EXPECT_TRUE(m.holds(r, static_cast<size_t>(one[i]), x, y)) << "query " << i;
        } else {
            for (size_t t = 0; t < r.triangle_count; ++t) ASSERT_FALSE(m.holds(r, t, x, y)) << "query " << i;
        }
    }
}

TEST(Locate, EveryAnswerCheckedAgainstEveryTriangle) {
    for (const Points& p : {d2dcommon::uniform(300, 3), d2dcommon::grid(196, 4), d2dtest::lattice_circle_points(),
                            d2dcommon::clusters(600, 5)}) {
        const Mesh m(p);
        const std::vector<double> q = queries_for(m, 7);
        expect_located(m, m.result, q);
        // A few queries are answered on the caller's numbering, without
        // the coherent copy.
        expect_located(m, m.result, std::vector<double>(q.end() - 24, q.end()));
    }
}

// A mesh with holes and a notch: the triangles near two discs and one
// corner are taken out, leaving -1 neighbours inside the hull.
TEST(Locate, MeshWithHolesIsAnsweredExactly) {
    const Mesh m(d2dcommon::grid(400, 9));
    const delaunay2d_result& full = m.result;
    std::vector<int32_t> keep_as(full.triangle_count, -1);
    std::vector<uint32_t> tri;
    for (size_t t = 0; t < full.triangle_count; ++t) {
        double cx = 0, cy = 0;
        for (int i = 0; i < 3; ++i) cx += m.points[full.triangles[3 * t + static_cast<size_t>(i)]].x / 3, cy += m.points[full.triangles[3 * t + static_cast<size_t>(i)]].y / 3;
        const bool hole = std::hypot(cx - 5, cy - 5) < 3 || std::hypot(cx - 13, cy - 12) < 2.5 || (cx > 15 && cy < 4);
        if (hole) continue;
        keep_as[t] = static_cast<int32_t>(tri.size() / 3);
        tri.insert(tri.end(), full.triangles + 3 * t, full.triangles + 3 * t + 3);
    }
    std::vector<int32_t> nb;
    for (size_t t = 0; t < full.triangle_count; ++t) {
        if (keep_as[t] < 0) continue;
        for (int i = 0; i < 3; ++i) {
            const int32_t n = full.neighbours[3 * t + static_cast<size_t>(i)];
            nb.push_back(n < 0 ? -1 : keep_as[static_cast<size_t>(n)]);
        }
    }
    delaunay2d_result holed = full;
    holed.triangle_count = tri.size() / 3;
    holed.triangles = tri.data();
    holed.neighbours = nb.data();
    const std::vector<double> q = queries_for(m, 11);
    expect_located(m, holed, q);
    // Interpolation over the holes: linear reproduces a linear function,
    // natural and nearest stay within the data's range (convex weights).
    std::vector<double> values;
    for (const Point3D& x : m.points) values.push_back(0.01 * x.x + 0.02 * x.y);
    std::vector<int32_t> where(q.size() / 2);
    ASSERT_EQ(delaunay2d_locate(m.coords(), 4, &holed, q.data(), q.size() / 2, 1, where.data()), DELAUNAY2D_OK);
    for (const int method : {DELAUNAY2D_LINEAR, DELAUNAY2D_NEAREST, DELAUNAY2D_NATURAL}) {
        std::vector<double> out(q.size() / 2);
        ASSERT_EQ(delaunay2d_interpolate(m.coords(), 4, &holed, values.data(), 1, method, q.data(), out.size(), NAN,
                                         2, out.data()),
                  DELAUNAY2D_OK);
        for (size_t k = 0; k < out.size(); ++k) {
            if (method != DELAUNAY2D_NEAREST && where[k] < 0) {
                EXPECT_TRUE(std::isnan(out[k]));
                continue;
            }
            if (!std::isfinite(q[2 * k]) || !std::isfinite(q[2 * k + 1])) continue;
            EXPECT_GE(out[k], -1e-12);
            EXPECT_LE(out[k], 0.57 + 1e-12);
            if (method == DELAUNAY2D_LINEAR) {
                EXPECT_NEAR(out[k], 0.01 * q[2 * k] + 0.02 * q[2 * k + 1], 1e-14);
            }
        }
    }
}

std::vector<double> interpolate(const Mesh& m, const std::vector<double>& values, size_t width, int method,
                                const std::vector<double>& q, unsigned threads = 1) {
    std::vector<double> out(q.size() / 2 * width);
    EXPECT_EQ(delaunay2d_interpolate(m.coords(), 4, &m.result, values.data(), width, method, q.data(), q.size() / 2,
                                     NAN, threads, out.data()),
              DELAUNAY2D_OK);
    return out;
}

// On the integer grid (squared distances exact in doubles) with queries on
// half-integers: many exact ties, which go to the lower index.
TEST(Interpolate, NearestIsTheNearestPointWithTiesToTheLowerIndex) {
    Points p = d2dcommon::grid(144, 2);
    p.push_back(p[5]);  // a repeat takes its first's value
    const Mesh m(p);
    std::vector<double> values(p.size());
    for (size_t i = 0; i < p.size(); ++i) values[i] = static_cast<double>(i);
    std::vector<double> q;
    for (int i = -4; i < 28; ++i)
        for (int j = -4; j < 28; ++j) q.insert(q.end(), {0.5 * i, 0.5 * j});
    const std::vector<double> out = interpolate(m, values, 1, DELAUNAY2D_NEAREST, q);
    EXPECT_EQ(out, interpolate(m, values, 1, DELAUNAY2D_NEAREST, q, 2));
    for (size_t k = 0; k < q.size() / 2; ++k) {
        size_t best = 0;
        double best_d = INFINITY;
        for (size_t i = 0; i < p.size(); ++i) {
            const double d = (p[i].x - q[2 * k]) * (p[i].x - q[2 * k]) + (p[i].y - q[2 * k + 1]) * (p[i].y - q[2 * k + 1]);
            if (d < best_d) best_d = d, best = i;
        }
        ASSERT_EQ(out[k], static_cast<double>(best)) << q[2 * k] << " " << q[2 * k + 1];
    }
}

// Linear and natural interpolation reproduce linear functions (two at
// once), equal the data at the points, and fill outside the hull.
TEST(Interpolate, LinearAndNaturalReproduceLinearFunctions) {
    for (const Points& p : {d2dcommon::uniform(400, 21), d2dcommon::grid(225, 22)}) {
        const Mesh m(p);
        std::vector<double> values;
        for (const Point3D& x : p) values.insert(values.end(), {3 * x.x - 2 * x.y + 1, x.x + 5 * x.y});
        const std::vector<double> q = queries_for(m, 23);
        for (const int method : {DELAUNAY2D_LINEAR, DELAUNAY2D_NATURAL}) {
            const std::vector<double> out = interpolate(m, values, 2, method, q);
            const std::vector<double> two = interpolate(m, values, 2, method, q, 2);
            EXPECT_EQ(0, std::memcmp(out.data(), two.data(), out.size() * sizeof(double)));
            std::vector<int32_t> where(q.size() / 2);
            ASSERT_EQ(delaunay2d_locate(m.coords(), 4, &m.result, q.data(), q.size() / 2, 1, where.data()),
                      DELAUNAY2D_OK);
            for (size_t k = 0; k < q.size() / 2; ++k) {
                const double x = q[2 * k], y = q[2 * k + 1];
                if (where[k] < 0) {
                    EXPECT_TRUE(std::isnan(out[2 * k]) && std::isnan(out[2 * k + 1]));
                    continue;
                }
                const double scale = 1 + std::fabs(x) + std::fabs(y);
                EXPECT_NEAR(out[2 * k], 3 * x - 2 * y + 1, 1e-12 * scale) << method << " at " << x << " " << y;
                EXPECT_NEAR(out[2 * k + 1], x + 5 * y, 1e-12 * scale) << method;
            }
            for (size_t i = 0; i < p.size(); ++i) EXPECT_EQ(out[2 * i], values[2 * i]) << "at point " << i;
        }
    }
}

// Worked by hand: the square [0, 2]^2 with values 1, 2, 3, 4 at (0,0),
// (2,0), (2,2), (0,2) and the query (0.5, 0.5). The query's cell is the
// kite (1,-0.5), (1.5,1), (1,1.5), (-0.5,1) of area 2; it takes 1.125 from
// (0,0)'s quadrant, 0.375 from each of (2,0)'s and (0,2)'s and 0.125 from
// (2,2)'s, so the weights are 9/16, 3/16, 1/16, 3/16 and the value
// 9/16 + 6/16 + 3/16 + 12/16 = 1.875 (linear on either diagonal: 1.75 or 2).
TEST(Interpolate, NaturalNeighbourWorkedExample) {
    const Mesh m({d2dcommon::point(0, 0), d2dcommon::point(2, 0), d2dcommon::point(2, 2), d2dcommon::point(0, 2)});
    const std::vector<double> out = interpolate(m, {1, 2, 3, 4}, 1, DELAUNAY2D_NATURAL, {0.5, 0.5, 1, 1, 1, 0});
    EXPECT_NEAR(out[0], 1.875, 1e-15);
    EXPECT_NEAR(out[1], 2.5, 1e-15);
    EXPECT_NEAR(out[2], 1.5, 1e-15);  // on the boundary: linear along the edge
}

// Continuity: just either side of every interior edge the values agree,
// on data that is not linear. Near the hull the cells of hull vertices
// reach far-away circumcentres of thin triangles, and the rounding of
// their areas grows: a looser bound there.
TEST(Interpolate, NaturalNeighbourIsContinuousAcrossEdges) {
    const Mesh m(d2dcommon::uniform(200, 31));
    std::vector<double> values;
    for (const Point3D& x : m.points) values.push_back(std::sin(7 * x.x) * std::cos(5 * x.y));
    std::vector<double> q, bound;
    for (size_t t = 0; t < m.result.triangle_count; ++t) {
        for (int i = 0; i < 3; ++i) {
            if (m.result.neighbours[3 * t + static_cast<size_t>(i)] < 0) continue;
            bool near_hull = false;
            for (size_t h = 0; h < m.result.hull_count; ++h)
                near_hull |= m.result.hull[h] == m.result.triangles[3 * t + static_cast<size_t>(i)] ||
                             m.result.hull[h] == m.result.triangles[3 * t + static_cast<size_t>((i + 1) % 3)];
            bound.push_back(near_hull ? 1e-3 : 1e-7);
            const Point3D& a = m.points[m.result.triangles[3 * t + static_cast<size_t>(i)]];
            const Point3D& b = m.points[m.result.triangles[3 * t + static_cast<size_t>((i + 1) % 3)]];
            const double mx = 0.3 * a.x + 0.7 * b.x, my = 0.3 * a.y + 0.7 * b.y;
            const double nx = -(b.y - a.y) * 1e-9, ny = (b.x - a.x) * 1e-9;
            q.insert(q.end(), {mx + nx, my + ny, mx - nx, my - ny});
        }
    }
    const std::vector<double> out = interpolate(m, values, 1, DELAUNAY2D_NATURAL, q);
    for (size_t k = 0; k < out.size(); k += 2) EXPECT_NEAR(out[k], out[k + 1], bound[k / 2]);
}

// The exact circumcentre of a, b, c (GMP rationals), rounded.
void exact_centre(const Point3D& a, const Point3D& b, const Point3D& c, double& x, double& y) {
    mpq_t bx, by, cx, cy, t, u, d, lb, lc, rx, ry;
    for (mpq_t* v : {&bx, &by, &cx, &cy, &t, &u, &d, &lb, &lc, &rx, &ry}) mpq_init(*v);
    const auto diff = [&](mpq_t out, double p, double q) {
        mpq_set_d(t, p);
        mpq_set_d(u, q);
        mpq_sub(out, t, u);
    };
    diff(bx, b.x, a.x), diff(by, b.y, a.y), diff(cx, c.x, a.x), diff(cy, c.y, a.y);
    mpq_mul(t, bx, cy), mpq_mul(u, by, cx), mpq_sub(d, t, u), mpq_add(d, d, d);
    mpq_mul(t, bx, bx), mpq_mul(u, by, by), mpq_add(lb, t, u);
    mpq_mul(t, cx, cx), mpq_mul(u, cy, cy), mpq_add(lc, t, u);
    mpq_mul(t, cy, lb), mpq_mul(u, by, lc), mpq_sub(rx, t, u), mpq_div(rx, rx, d);
    mpq_mul(t, bx, lc), mpq_mul(u, cx, lb), mpq_sub(ry, t, u), mpq_div(ry, ry, d);
    mpq_set_d(t, a.x), mpq_add(rx, rx, t), mpq_set_d(t, a.y), mpq_add(ry, ry, t);
    x = mpq_get_d(rx), y = mpq_get_d(ry);
    for (mpq_t* v : {&bx, &by, &cx, &cy, &t, &u, &d, &lb, &lc, &rx, &ry}) mpq_clear(*v);
}

TEST(Voronoi, DiagramIsTheDualOfTheTriangulation) {
    Points p = d2dcommon::transformed(d2dcommon::uniform(300, 41), 1000.0, 5e5);
    p.push_back(p[3]);
    const Mesh m(p);
    delaunay2d_voronoi v{};
    v.struct_size = sizeof v;
    ASSERT_EQ(delaunay2d_voronoi_build(m.coords(), 4, &m.result, &v), DELAUNAY2D_OK);
    ASSERT_EQ(v.vertex_count, m.result.triangle_count);
    for (size_t t = 0; t < v.vertex_count; ++t) {
        double x, y;
        const uint32_t* tv = m.result.triangles + 3 * t;
        exact_centre(p[tv[0]], p[tv[1]], p[tv[2]], x, y);
        const double size = std::hypot(p[tv[1]].x - p[tv[0]].x, p[tv[1]].y - p[tv[0]].y) + std::fabs(x) + std::fabs(y);
        EXPECT_NEAR(v.vertices[2 * t], x, 1e-12 * size);
        EXPECT_NEAR(v.vertices[2 * t + 1], y, 1e-12 * size);
    }
    // Edges = 3 T - (T + hull) / ... by Euler: E = T + V - 1 over the distinct points.
    EXPECT_EQ(v.ridge_count, m.result.triangle_count + (p.size() - 1) - 1);
    size_t infinite = 0;
    for (size_t r = 0; r < v.ridge_count; ++r) infinite += v.ridge_vertices[2 * r] == -1;
    EXPECT_EQ(infinite, m.result.hull_count);
    // Each region lists exactly the triangles around its point, one -1 on the hull.
    for (size_t i = 0; i < p.size(); ++i) {
        size_t around = 0, minus = 0;
        for (size_t k = v.region_offsets[i]; k < v.region_offsets[i + 1]; ++k) {
            const int32_t t = v.regions[k];
            if (t < 0) { ++minus; continue; }
            const uint32_t* tv = m.result.triangles + 3 * static_cast<size_t>(t);
            EXPECT_TRUE(tv[0] == i || tv[1] == i || tv[2] == i);
            ++around;
        }
        size_t expected = 0;
        for (size_t k = 0; k < 3 * m.result.triangle_count; ++k) expected += m.result.triangles[k] == i;
        EXPECT_EQ(around, expected);
        if (i == p.size() - 1) {
            EXPECT_EQ(v.region_offsets[i + 1], v.region_offsets[i]);  // the repeat
        }
    }
    delaunay2d_voronoi_free(&v);
    EXPECT_EQ(v.vertices, nullptr);
    EXPECT_EQ(v.struct_size, sizeof v);
}

// All points on one line: no vertex, a ridge between neighbours along the
// line open at both ends, each cell {-1}; a repeat has no cell.
TEST(Voronoi, CollinearPointsGiveStrips) {
    Points p;
    for (int i = 0; i < 6; ++i) p.push_back(d2dcommon::point(3.0 - 0.5 * i, 1.0 + 0.25 * i));
    p.push_back(p[1]);
    const Mesh m(p);
    delaunay2d_voronoi v{};
    v.struct_size = sizeof v;
    ASSERT_EQ(delaunay2d_voronoi_build(m.coords(), 4, &m.result, &v), DELAUNAY2D_OK);
    EXPECT_EQ(v.vertex_count, 0u);
    ASSERT_EQ(v.ridge_count, 5u);
    for (size_t r = 0; r < 5; ++r) {
        EXPECT_EQ(v.ridge_vertices[2 * r], -1);
        EXPECT_EQ(v.ridge_vertices[2 * r + 1], -1);
        const Point3D& a = p[v.ridge_points[2 * r]];
        const Point3D& b = p[v.ridge_points[2 * r + 1]];
        EXPECT_DOUBLE_EQ(std::hypot(a.x - b.x, a.y - b.y), std::hypot(0.5, 0.25));  // neighbours along the line
    }
    for (size_t i = 0; i < 6; ++i) {
        ASSERT_EQ(v.region_offsets[i + 1] - v.region_offsets[i], 1u);
        EXPECT_EQ(v.regions[v.region_offsets[i]], -1);
    }
    EXPECT_EQ(v.region_offsets[7], v.region_offsets[6]);
    delaunay2d_voronoi_free(&v);
}

double area(const double* xy, size_t n) {
    double twice = 0;
    for (size_t i = 0; i < n; ++i) twice += xy[2 * i] * xy[2 * ((i + 1) % n) + 1] - xy[2 * ((i + 1) % n)] * xy[2 * i + 1];
    return twice / 2;
}

// Cells are counter-clockwise, cover the box (areas add up) and every
// vertex of a cell is no farther from its point than from any other.
TEST(Voronoi, CellsTileTheBox) {
    Points repeated = d2dcommon::uniform(150, 51);
    repeated.push_back(repeated[7]);
    Points collinear;
    for (int i = 0; i < 9; ++i) collinear.push_back(d2dcommon::point(0.1 * i, 0.05 * i));
    collinear.push_back(collinear[2]);
    for (const Points& p : {repeated, collinear, d2dcommon::grid(81, 52)}) {
        const Mesh m(p);
        const double box[4] = {-1.5, -2.0, 10.5, 9.0};
        delaunay2d_cells c{};
        c.struct_size = sizeof c;
        ASSERT_EQ(delaunay2d_voronoi_cells(m.coords(), 4, &m.result, box, 2, &c), DELAUNAY2D_OK);
        double total = 0;
        for (size_t i = 0; i < p.size(); ++i) {
            const size_t n = c.offsets[i + 1] - c.offsets[i];
            const double* xy = c.vertices + 2 * c.offsets[i];
            if (m.result.vertex_of_point[i] != static_cast<int32_t>(i)) {
                EXPECT_EQ(n, 0u);
            }
            if (n == 0) continue;
            EXPECT_GT(area(xy, n), 0.0);
            total += area(xy, n);
            for (size_t k = 0; k < n; ++k) {
                const double own = std::hypot(xy[2 * k] - p[i].x, xy[2 * k + 1] - p[i].y);
                for (const Point3D& o : p) EXPECT_LE(own, std::hypot(xy[2 * k] - o.x, xy[2 * k + 1] - o.y) + 1e-9);
            }
        }
        EXPECT_NEAR(total, 12.0 * 11.0, 1e-9);
        delaunay2d_cells_free(&c);
    }
}

// Enough queries for several chunks and points for two halves of cells:
// the two-thread paths give the same bits as one thread.
TEST(Operations, SameAnswersOnOneAndTwoThreads) {
    const Mesh m(d2dcommon::clusters(3000, 91));
    std::vector<double> values;
    for (const Point3D& x : m.points) values.push_back(std::sin(x.x) + std::cos(x.y));
    std::vector<double> q;
    std::mt19937_64 rng(92);
    std::uniform_real_distribution<double> u(0.0, 100.0);
    for (int i = 0; i < 20000; ++i) q.insert(q.end(), {u(rng), u(rng)});
    std::vector<int32_t> one(q.size() / 2), two(q.size() / 2);
    ASSERT_EQ(delaunay2d_locate(m.coords(), 4, &m.result, q.data(), q.size() / 2, 1, one.data()), DELAUNAY2D_OK);
    ASSERT_EQ(delaunay2d_locate(m.coords(), 4, &m.result, q.data(), q.size() / 2, 2, two.data()), DELAUNAY2D_OK);
    EXPECT_EQ(one, two);
    for (const int method : {DELAUNAY2D_LINEAR, DELAUNAY2D_NEAREST, DELAUNAY2D_NATURAL}) {
        const std::vector<double> a = interpolate(m, values, 1, method, q, 1);
        const std::vector<double> b = interpolate(m, values, 1, method, q, 2);
        EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(double))) << method;
    }
    const double box[4] = {-10, -10, 110, 110};
    delaunay2d_cells c1{}, c2{};
    c1.struct_size = c2.struct_size = sizeof c1;
    ASSERT_EQ(delaunay2d_voronoi_cells(m.coords(), 4, &m.result, box, 1, &c1), DELAUNAY2D_OK);
    ASSERT_EQ(delaunay2d_voronoi_cells(m.coords(), 4, &m.result, box, 2, &c2), DELAUNAY2D_OK);
    ASSERT_EQ(c1.offsets[3000], c2.offsets[3000]);
    EXPECT_EQ(0, std::memcmp(c1.offsets, c2.offsets, 3001 * sizeof(size_t)));
    EXPECT_EQ(0, std::memcmp(c1.vertices, c2.vertices, 2 * c1.offsets[3000] * sizeof(double)));
    delaunay2d_cells_free(&c1);
    delaunay2d_cells_free(&c2);
}

// Each of the records' allocations made to fail in turn: the call says so
// and leaves a zeroed record (the sanitizer build checks for leaks).
TEST(Operations, RunningOutOfMemoryLeavesNothing) {
    const Mesh m(d2dcommon::uniform(200, 71));
    const double box[4] = {0, 0, 1, 1};
    for (int which = 0; which < 2; ++which) {
        bool finished = false;
        for (long successes = 0; successes < 20 && !finished; ++successes) {
            delaunay2d_voronoi v{};
            v.struct_size = sizeof v;
            delaunay2d_cells c{};
            c.struct_size = sizeof c;
            d2d::allocation_faults::fail_after(successes);
            const delaunay2d_status status = which == 0 ? delaunay2d_voronoi_build(m.coords(), 4, &m.result, &v)
                                                        : delaunay2d_voronoi_cells(m.coords(), 4, &m.result, box, 1, &c);
            d2d::allocation_faults::fail_after(-1);
            finished = status == DELAUNAY2D_OK;
            if (!finished) {
                ASSERT_EQ(status, DELAUNAY2D_OUT_OF_MEMORY);
                EXPECT_TRUE(v.vertices == nullptr && v.regions == nullptr && c.offsets == nullptr);
            }
            delaunay2d_voronoi_free(&v);
            delaunay2d_cells_free(&c);
        }
        EXPECT_TRUE(finished);
    }
}

// A record built by the host, without hull or vertex_of_point: the
// operations read only what they need.
TEST(Operations, HostBuiltMeshWithoutHull) {
    const Mesh m(d2dcommon::uniform(100, 81));
    delaunay2d_result bare = m.result;
    bare.hull = nullptr;
    bare.hull_count = 0;
    bare.vertex_of_point = nullptr;
    const std::vector<double> q = {0.5, 0.5, 0.25, 0.75, 3, 3};
    std::vector<double> values(100), full(3), host(3);
    for (size_t i = 0; i < 100; ++i) values[i] = static_cast<double>(i);
    for (const int method : {DELAUNAY2D_LINEAR, DELAUNAY2D_NEAREST, DELAUNAY2D_NATURAL}) {
        ASSERT_EQ(delaunay2d_interpolate(m.coords(), 4, &m.result, values.data(), 1, method, q.data(), 3, -1, 1,
                                         full.data()), DELAUNAY2D_OK);
        ASSERT_EQ(delaunay2d_interpolate(m.coords(), 4, &bare, values.data(), 1, method, q.data(), 3, -1, 1,
                                         host.data()), DELAUNAY2D_OK);
        EXPECT_EQ(full, host);
    }
    delaunay2d_cells c{};
    c.struct_size = sizeof c;
    const double box[4] = {0, 0, 1, 1};
    ASSERT_EQ(delaunay2d_voronoi_cells(m.coords(), 4, &bare, box, 1, &c), DELAUNAY2D_OK);
    EXPECT_EQ(c.point_count, 100u);
    delaunay2d_cells_free(&c);
}

TEST(Operations, RefuseBadArguments) {
    const Mesh m(d2dcommon::uniform(10, 61));
    const double q[2] = {0.5, 0.5};
    int32_t t = 0;
    double out = 0, values[10] = {};
    EXPECT_EQ(delaunay2d_locate(m.coords(), 4, nullptr, q, 1, 1, &t), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(delaunay2d_locate(m.coords(), 1, &m.result, q, 1, 1, &t), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(delaunay2d_locate(m.coords(), 4, &m.result, nullptr, 1, 1, &t), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(delaunay2d_interpolate(m.coords(), 4, &m.result, values, 1, 7, q, 1, 0, 1, &out),
              DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(delaunay2d_interpolate(m.coords(), 4, &m.result, values, 0, 0, q, 1, 0, 1, &out),
              DELAUNAY2D_INVALID_ARGUMENT);
    delaunay2d_voronoi v{};
    EXPECT_EQ(delaunay2d_voronoi_build(m.coords(), 4, &m.result, &v), DELAUNAY2D_INVALID_ARGUMENT);  // no struct_size
    delaunay2d_cells c{};
    c.struct_size = sizeof c;
    const double flat[4] = {0, 0, 0, 1};
    EXPECT_EQ(delaunay2d_voronoi_cells(m.coords(), 4, &m.result, flat, 1, &c), DELAUNAY2D_INVALID_ARGUMENT);
    delaunay2d_cells_free(nullptr);
    delaunay2d_voronoi_free(nullptr);
}

}  // namespace
