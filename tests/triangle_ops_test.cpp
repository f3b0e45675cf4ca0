// Triangle construction, centroid, circumcentre, edge lookup, links and the
// circumcircle tests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

#include "delaunay2d.h"

namespace {

Point3D at(double x, double y) {
    return Point3D{x, y, 0.0, 0.0};
}

// A triangle whose every byte is garbage, as a fresh heap block would be.
Triangle dirty_triangle() {
    Triangle t;
    std::memset(&t, 0x5a, sizeof t);
    return t;
}

TEST(CreateTriangle, FillsVerticesLinksCentroidAndRadius) {
    Point3D p0{0, 0, 0, 0}, p1{3, 0, 3, 6}, p2{0, 3, 0, 3};
    Triangle t = dirty_triangle();
    create_triangle(&t, &p0, &p1, &p2);
    EXPECT_EQ(t.points[0], &p0);
    EXPECT_EQ(t.points[1], &p1);
    EXPECT_EQ(t.points[2], &p2);
    for (Triangle* link : t.vor) EXPECT_EQ(link, nullptr);
    EXPECT_EQ(t.radius, 0.0);
    EXPECT_EQ(t.inner_center.x, 1.0);
    EXPECT_EQ(t.inner_center.y, 1.0);
    EXPECT_EQ(t.inner_center.z, 1.0);
    EXPECT_EQ(t.inner_center.w, 3.0);
    const Point3D zero{0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&t.outer_center, &zero, sizeof zero), 0);
}

TEST(CreateTriangle, TwoPointTriangleIsRecognisedByAddress) {
    Point3D p{0, 0, 0, 3}, q{3, 6, 3, 0}, q_copy = q;
    Triangle segment = dirty_triangle();
    create_triangle(&segment, &p, &q, &q);
    EXPECT_EQ(segment.radius, -1.0);
    // The repeated end counts twice: (p + 2q) / 3.
    EXPECT_EQ(segment.inner_center.x, 2.0);
    EXPECT_EQ(segment.inner_center.y, 4.0);
    EXPECT_EQ(segment.inner_center.z, 2.0);
    EXPECT_EQ(segment.inner_center.w, 1.0);

    Triangle equal_coordinates = dirty_triangle();
    create_triangle(&equal_coordinates, &p, &q, &q_copy);
    EXPECT_EQ(equal_coordinates.radius, 0.0);

    Triangle first_pair_same = dirty_triangle();
    create_triangle(&first_pair_same, &p, &p, &q);
    EXPECT_EQ(first_pair_same.radius, 0.0);
}

TEST(OuterCenter, WorkedExamples) {
    Point3D a = at(0, 0), b = at(2, 0), c = at(0, 2);
    Triangle t = dirty_triangle();
    create_triangle(&t, &a, &b, &c);
    create_outer_center_2d(&t);
    EXPECT_EQ(t.outer_center.x, 1.0);
    EXPECT_EQ(t.outer_center.y, 1.0);
    EXPECT_EQ(t.outer_center.z, 0.0);
    EXPECT_EQ(t.outer_center.w, 0.0);
    EXPECT_EQ(t.radius, 1.4142135623730951);

    Point3D d{1, 1, 7, 7}, e{5, 1, 7, 7}, f{3, 4, 7, 7};
    create_triangle(&t, &d, &e, &f);
    create_outer_center_2d(&t);
    EXPECT_EQ(t.outer_center.x, 3.0);
    EXPECT_EQ(t.outer_center.y, 1.8333333333333333);
    EXPECT_EQ(t.outer_center.z, 0.0);
    EXPECT_EQ(t.radius, 2.1666666666666665);
}

TEST(OuterCenter, CollinearTripleIsMarkedAndKeepsTheOldCentre) {
    Point3D a = at(0, 0), b = at(1, 1), c = at(2, 2);
    Triangle t = dirty_triangle();
    create_triangle(&t, &a, &b, &c);
    t.outer_center = Point3D{9, 8, 7, 6};
    create_outer_center_2d(&t);
    EXPECT_EQ(t.radius, -1.0);
    EXPECT_EQ(t.outer_center.x, 9.0);
    EXPECT_EQ(t.outer_center.y, 8.0);
    EXPECT_EQ(t.outer_center.z, 7.0);
    EXPECT_EQ(t.outer_center.w, 6.0);
}

TEST(OuterCenter, CentreIsEquidistantFromTheThreeVertices) {
    std::mt19937 random(4);
    std::uniform_real_distribution<double> coordinate(-100.0, 100.0);
    for (int i = 0; i < 2000; ++i) {
        Point3D a = at(coordinate(random), coordinate(random));
        Point3D b = at(coordinate(random), coordinate(random));
        Point3D c = at(coordinate(random), coordinate(random));
        const double area2 = std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
        if (area2 < 1.0) continue;
        Triangle t;
        create_triangle(&t, &a, &b, &c);
        create_outer_center_2d(&t);
        ASSERT_GT(t.radius, 0.0);
        // Rounding error of the centre grows with the radius squared over the area.
        const double tolerance = 1e-7 * (t.radius + 100.0) * (t.radius + 100.0) / area2;
        EXPECT_NEAR(point_2d_distance(b, t.outer_center), t.radius, tolerance);
        EXPECT_NEAR(point_2d_distance(c, t.outer_center), t.radius, tolerance);
        EXPECT_EQ(point_2d_distance(a, t.outer_center), t.radius);  // measured from points[0]
    }
}

TEST(TriangleEdges, LookupIsSymmetricAndByAddress) {
    Point3D p0 = at(0, 0), p1 = at(1, 0), p2 = at(0, 1), other = at(0, 0);
    Triangle t;
    create_triangle(&t, &p0, &p1, &p2);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p0, &p1), 0);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p1, &p0), 0);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p1, &p2), 1);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p2, &p1), 1);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p2, &p0), 2);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p0, &p2), 2);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &p0, &p0), -1);
    EXPECT_EQ(triangle_overlay_line_2d(&t, &other, &p1), -1);  // same coordinates as p0, other point

    Triangle segment;
    create_triangle(&segment, &p0, &p1, &p1);
    EXPECT_EQ(triangle_overlay_line_2d(&segment, &p1, &p0), 0);
    EXPECT_EQ(triangle_overlay_line_2d(&segment, &p1, &p1), 1);
}

TEST(TriangleLinks, LinkBothWaysOrNotAtAll) {
    Point3D p0 = at(0, 0), p1 = at(1, 0), p2 = at(0, 1), p3 = at(1, 1);
    Triangle t, n;
    create_triangle(&t, &p0, &p1, &p2);
    create_triangle(&n, &p3, &p2, &p1);
    create_triangle_vor(&t, triangle_overlay_line_2d(&t, &p0, &p3), &n, 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(t.vor[k], nullptr);
        EXPECT_EQ(n.vor[k], nullptr);
    }
    create_triangle_vor(&t, triangle_overlay_line_2d(&t, &p1, &p2), &n, triangle_overlay_line_2d(&n, &p1, &p2));
    EXPECT_EQ(t.vor[1], &n);
    EXPECT_EQ(n.vor[1], &t);
    EXPECT_EQ(t.vor[0], nullptr);
    EXPECT_EQ(n.vor[2], nullptr);
}

// An edge index other than 0, 1 or 2 names no slot: the record right after
// vor[2] is inner_center, which a link there would overwrite.
TEST(TriangleLinks, IndicesOutsideTheTriangleLinkNothing) {
    Point3D p0 = at(0, 0), p1 = at(1, 0), p2 = at(0, 1);
    Triangle t, n;
    create_triangle(&t, &p0, &p1, &p2);
    create_triangle(&n, &p2, &p1, &p0);
    const Triangle t_before = t, n_before = n;
    const std::pair<int, int64_t> outside[] = {{3, 0}, {0, 3}, {3, 3}, {-1, 1}, {1, -1}, {4, 2},
                                               {2147483647, 0}, {0, 9223372036854775807}};
    for (const auto& [i, j] : outside) {
        create_triangle_vor(&t, i, &n, j);
        EXPECT_EQ(std::memcmp(&t, &t_before, sizeof t), 0) << i << ", " << j;
        EXPECT_EQ(std::memcmp(&n, &n_before, sizeof n), 0) << i << ", " << j;
    }
    create_triangle_vor(&t, 2, &n, 2);
    EXPECT_EQ(t.vor[2], &n);
    EXPECT_EQ(n.vor[2], &t);
}

Triangle circle_of_right_triangle(Point3D& a, Point3D& b, Point3D& c) {
    Triangle t;
    create_triangle(&t, &a, &b, &c);
    create_outer_center_2d(&t);
    return t;
}

TEST(Circumcircle, StrictlyInsideByTheTolerance) {
    Point3D a = at(0, 0), b = at(2, 0), c = at(0, 2);
    const Triangle t = circle_of_right_triangle(a, b, c);
    EXPECT_EQ(point_inner_triangle_circular(at(1, 1), t), 1);
    EXPECT_EQ(point_inner_triangle_circular(at(2, 2), t), 0);  // on the circle
    EXPECT_EQ(point_inner_triangle_circular(at(3, 3), t), 0);
    EXPECT_EQ(point_inner_triangle_circular(a, t), 0);          // its own points[0]
    EXPECT_EQ(point_inner_triangle_circular(at(1 + std::sqrt(2.0) - 5e-9, 1), t), 0);  // within EPSILON
    EXPECT_EQ(point_inner_triangle_circular(at(1 + std::sqrt(2.0) - 1e-7, 1), t), 1);
    EXPECT_EQ(point_inner_triangle_circular(at(NAN, 1), t), 0);

    Triangle marked = t;
    marked.radius = -1.0;
    EXPECT_EQ(point_inner_triangle_circular(at(1, 1), marked), 0);
    marked.radius = 0.0;
    EXPECT_EQ(point_inner_triangle_circular(at(1, 1), marked), 0);
}

// A heap mesh of the given triangles.
struct MeshBlock {
    Mesh2D* mesh;
    MeshBlock(std::size_t length, std::size_t inner_length)
        : mesh(static_cast<Mesh2D*>(std::calloc(1, sizeof(Mesh2D) + length * sizeof(Triangle)))) {
        mesh->length = length;
        mesh->inner_length = inner_length;
    }
    ~MeshBlock() { std::free(mesh); }
    MeshBlock(const MeshBlock&) = delete;
    MeshBlock& operator=(const MeshBlock&) = delete;
};

TEST(Circumcircle, ListTestScansOnlyTheEdgeTriangles) {
    Point3D a = at(0, 0), b = at(2, 0), c = at(0, 2);
    const Triangle circle = circle_of_right_triangle(a, b, c);
    Point3D inside = at(1, 1), far1 = at(10, 10), far2 = at(-10, 10), far3 = at(10, -10);

    MeshBlock mesh(3, 1);
    create_triangle(&mesh.mesh->triangles[0], &inside, &far1, &far2);  // inner: never scanned
    create_triangle(&mesh.mesh->triangles[1], &far1, &far2, &far3);
    create_triangle(&mesh.mesh->triangles[2], &far3, &a, &b);          // on the circle only
    EXPECT_FALSE(point_inner_triangle_list_circular(circle, mesh.mesh));

    create_triangle(&mesh.mesh->triangles[2], &far3, &far2, &inside);  // last vertex of the last
    EXPECT_TRUE(point_inner_triangle_list_circular(circle, mesh.mesh));

    // No edge triangles: nothing is read (null vertices would crash).
    MeshBlock all_inner(1, 1);
    EXPECT_FALSE(point_inner_triangle_list_circular(circle, all_inner.mesh));
}

}  // namespace
