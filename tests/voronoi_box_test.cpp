// Voronoi cells clipped to boxes from 1e-300 to 1e300 wide, around all the
// points or inside one cell: the cells tile the box (their areas add up to
// the box's), each holds its point when the point is inside the box, and
// each corner of the box is a vertex of the cell of a nearest point, the
// distances compared in exact rational arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/point_families.hpp"
#include "delaunay2d.h"
#include "support/exact_rational.hpp"
#include "support/squared_distance_rational.hpp"

namespace {

using d2dcommon::Points;

struct Cells {
    delaunay2d_cells c{};
    Cells() { c.struct_size = sizeof c; }
    ~Cells() { delaunay2d_cells_free(&c); }
    Cells(const Cells&) = delete;
    Cells& operator=(const Cells&) = delete;
    size_t size(size_t i) const { return c.offsets[i + 1] - c.offsets[i]; }
    const double* xy(size_t i) const { return c.vertices + 2 * c.offsets[i]; }
};

Points scaled(Points p, int binary_exponent) {
    for (Point3D& x : p) x.x = std::ldexp(x.x, binary_exponent), x.y = std::ldexp(x.y, binary_exponent);
    return p;
}

// The area of a polygon in units of the box, so that boxes of 1e-300 and
// of 1e300 compare alike: summed about the first vertex (about a corner of
// a box of 1e300, a cell a unit wide would round away) in long double (no
// overflow at 1e300 squared).
long double area_in_box_units(const double* xy, size_t n, const double box[4]) {
    const long double w = static_cast<long double>(box[2]) - box[0], h = static_cast<long double>(box[3]) - box[1];
    long double twice = 0;
    for (size_t i = 1; i + 1 < n; ++i) {
        const long double ax = static_cast<long double>(xy[2 * i]) - xy[0];
        const long double ay = static_cast<long double>(xy[2 * i + 1]) - xy[1];
        const long double bx = static_cast<long double>(xy[2 * i + 2]) - xy[0];
        const long double by = static_cast<long double>(xy[2 * i + 3]) - xy[1];
        twice += ax * by - ay * bx;
    }
    return twice / 2 / w / h;
}

int orient(double ax, double ay, double bx, double by, double cx, double cy) {
    const int quick = d2dtest::orient_sign_quick(ax, ay, bx, by, cx, cy);
    return quick != 0 ? quick : d2dtest::orient_sign_rational(ax, ay, bx, by, cx, cy);
}

void expect_cells_tile(const Points& p, const double box[4], const std::string& label) {
    SCOPED_TRACE(label);
    delaunay2d_result mesh{};
    ASSERT_EQ(delaunay2d_triangulate(&p[0].x, p.size(), 4, 1, &mesh), DELAUNAY2D_OK);
    Cells one, two;
    ASSERT_EQ(delaunay2d_voronoi_cells(&p[0].x, 4, &mesh, box, 1, &one.c), DELAUNAY2D_OK);
    ASSERT_EQ(delaunay2d_voronoi_cells(&p[0].x, 4, &mesh, box, 2, &two.c), DELAUNAY2D_OK);
    ASSERT_EQ(std::vector<size_t>(one.c.offsets, one.c.offsets + p.size() + 1),
              std::vector<size_t>(two.c.offsets, two.c.offsets + p.size() + 1));
    const size_t total = one.c.offsets[p.size()];
    EXPECT_EQ(std::vector<double>(one.c.vertices, one.c.vertices + 2 * total),
              std::vector<double>(two.c.vertices, two.c.vertices + 2 * total));

    long double sum = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const size_t n = one.size(i);
        const double* xy = one.xy(i);
        if (n > 0) {
            const long double a = area_in_box_units(xy, n, box);
            EXPECT_GT(a, 0.0L) << "cell " << i;
            sum += a;
        }
        const bool represented = mesh.vertex_of_point[i] == static_cast<int32_t>(i);
        if (!represented) {
            EXPECT_EQ(n, 0u);
        }
        const bool inside = p[i].x > box[0] && p[i].x < box[2] && p[i].y > box[1] && p[i].y < box[3];
        if (!represented || !inside) continue;
        ASSERT_GE(n, 3u) << "point " << i << " inside the box has no cell";
        for (size_t k = 0; k < n; ++k) {
            const size_t j = (k + 1) % n;
            EXPECT_GE(orient(xy[2 * k], xy[2 * k + 1], xy[2 * j], xy[2 * j + 1], p[i].x, p[i].y), 0)
                << "point " << i << " outside its cell";
        }
    }
    EXPECT_NEAR(static_cast<double>(sum), 1.0, 1e-9);

    // Each corner: a vertex of the cell of one of its nearest points.
    const double corners[4][2] = {{box[0], box[1]}, {box[2], box[1]}, {box[2], box[3]}, {box[0], box[3]}};
    for (const auto& corner : corners) {
        std::vector<size_t> nearest;
        for (size_t i = 0; i < p.size(); ++i) {
            if (mesh.vertex_of_point[i] != static_cast<int32_t>(i)) continue;
            const int order = nearest.empty() ? -1
                                              : d2dtest::compare_squared_distances_rational(
                                                    p[i].x, p[i].y, p[nearest[0]].x, p[nearest[0]].y, corner[0],
                                                    corner[1]);
            if (order < 0) nearest.clear();
            if (order <= 0) nearest.push_back(i);
        }
        bool found = false;
        for (const size_t i : nearest) {
            for (size_t k = 0; k < one.size(i); ++k) {
                found = found || (one.xy(i)[2 * k] == corner[0] && one.xy(i)[2 * k + 1] == corner[1]);
            }
        }
        EXPECT_TRUE(found) << "corner " << corner[0] << " " << corner[1];
    }
    delaunay2d_result_free(&mesh);
}

Points five() {
    return {d2dcommon::point(0, 0), d2dcommon::point(1, 0.1), d2dcommon::point(0.2, 1), d2dcommon::point(1.1, 0.9),
            d2dcommon::point(0.5, 0.45)};
}

// A box inside one point's cell is that cell, whole.
TEST(VoronoiBox, BoxInsideOneCellIsThatCell) {
    const Points p = five();
    delaunay2d_result mesh{};
    ASSERT_EQ(delaunay2d_triangulate(&p[0].x, p.size(), 4, 1, &mesh), DELAUNAY2D_OK);
    const double boxes[][4] = {{0.3, 0.3, 0.300000001, 0.300000001}, {0, 0, 1e-200, 1e-200}};
    const size_t owners[] = {4, 0};
    for (int b = 0; b < 2; ++b) {
        Cells cells;
        ASSERT_EQ(delaunay2d_voronoi_cells(&p[0].x, 4, &mesh, boxes[b], 1, &cells.c), DELAUNAY2D_OK);
        for (size_t i = 0; i < p.size(); ++i) {
            if (i != owners[b]) {
                EXPECT_EQ(cells.size(i), 0u);
                continue;
            }
            const double* box = boxes[b];
            ASSERT_EQ(cells.size(i), 4u);
            EXPECT_EQ(std::vector<double>(cells.xy(i), cells.xy(i) + 8),
                      (std::vector<double>{box[0], box[1], box[2], box[1], box[2], box[3], box[0], box[3]}));
        }
    }
    delaunay2d_result_free(&mesh);
}

// Around all the points, at every scale of box and of points, and inside
// one cell; 1,200 points so that two threads split the cells.
TEST(VoronoiBox, CellsTileBoxesFromTinyToHuge) {
    const Points small = five();
    const Points many = d2dcommon::uniform(1200, 29);
    for (const Points* p : {&small, &many}) {
        for (const double h : {1.0, 1e154, 1e155, 1e200, 1e300}) {
            const double box[4] = {-h, -h, h, h};
            expect_cells_tile(*p, box, "around, half-width " + std::to_string(h));
        }
    }
    const double tiny[][4] = {{0.3, 0.3, 0.300000001, 0.300000001}, {0, 0, 1e-200, 1e-200},
                              {1e-300, 1e-300, 2e-300, 2e-300}, {-1e-300, -1e-300, 1e-300, 1e-300}};
    for (const auto& box : tiny) expect_cells_tile(small, box, "inside one cell of five");
    // The points near 1e-301, 1 and 1e298: a box just around them, one a
    // fraction of their spacing wide at a point, and (large scale) 1e300.
    for (const int e : {-1000, 0, 990}) {
        const Points p = scaled(many, e);
        const double s = std::ldexp(1.0, e);
        const double around[4] = {-0.25 * s, -0.25 * s, 1.25 * s, 1.25 * s};
        expect_cells_tile(p, around, "just around, scale 2^" + std::to_string(e));
        const double at_point[4] = {p[0].x, p[0].y, p[0].x + 1e-9 * s, p[0].y + 1e-9 * s};
        expect_cells_tile(p, at_point, "inside the cell of point 0, scale 2^" + std::to_string(e));
    }
    const Points huge = scaled(many, 990);
    const double widest[4] = {-1e300, -1e300, 1e300, 1e300};
    expect_cells_tile(huge, widest, "1e300 around points near 1e298");
}

}  // namespace
