// The one-triangle base mesh of a range of two or three sorted points.
#include <gtest/gtest.h>

#include <string>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Block;
using d2dtest::PointStore;

// Builds the base mesh of the range into mesh; returns what was printed.
std::string build_base_mesh(PointRange range, Mesh2D* mesh) {
    return d2dcommon::captured_stdout([&] { create_mesh_by_2_3_point(&range, mesh); });
}

TEST(BaseMesh, TakesEntriesBegBegPlusOneAndEndMinusOne) {
    PointStore store;
    Point3D* p[6];
    for (int i = 0; i < 6; ++i) p[i] = store.add(i, (i * 7) % 5, 1.0, 2.0);
    Block<Point3DList> list(d2dtest::make_point_list({p[0], p[1], p[2], p[3], p[4], p[5]}, 6));
    Block<Mesh2D> mesh(d2dtest::make_empty_mesh(1));
    mesh->length = 7;  // stale header content has no effect
    mesh->inner_length = 3;

    EXPECT_EQ(build_base_mesh(PointRange{3, 6, list.get()}, mesh.get()),
              "create mesh, Mesh2D.length: 1, beg: 3, end: 6\n");
    ASSERT_EQ(mesh->length, 1u);
    EXPECT_EQ(mesh->inner_length, 0u);
    const Triangle& t = mesh->triangles[0];
    EXPECT_EQ(t.points[0], p[3]);
    EXPECT_EQ(t.points[1], p[4]);
    EXPECT_EQ(t.points[2], p[5]);
    EXPECT_EQ(t.radius, 0.0);
    EXPECT_EQ(t.vor[0], nullptr);
    EXPECT_EQ(t.vor[1], nullptr);
    EXPECT_EQ(t.vor[2], nullptr);
    EXPECT_DOUBLE_EQ(t.inner_center.x, 4.0);
    EXPECT_DOUBLE_EQ(t.inner_center.w, 2.0);

    EXPECT_EQ(build_base_mesh(PointRange{1, 3, list.get()}, mesh.get()),
              "create mesh, Mesh2D.length: 1, beg: 1, end: 3\n");
    EXPECT_EQ(mesh->triangles[0].points[0], p[1]);
    EXPECT_EQ(mesh->triangles[0].points[1], p[2]);
    EXPECT_EQ(mesh->triangles[0].points[2], p[2]);
    EXPECT_EQ(mesh->triangles[0].radius, -1.0);
}

TEST(BaseMesh, ThreeExactlyCollinearPointsAreNoTriangle) {
    PointStore store;
    // On one line, though far from the origin and at no round slope.
    Point3D* a = store.add(1e6, 3.0);
    Point3D* b = store.add(1e6 + 0.5, 3.25);
    Point3D* c = store.add(1e6 + 2.0, 4.0);
    // Off the line by far less than the library's tolerance: still a triangle.
    Point3D* d = store.add(0.0, 0.0);
    Point3D* e = store.add(1.0, 1e-12);
    Point3D* f = store.add(2.0, 0.0);
    Block<Point3DList> list(d2dtest::make_point_list({a, b, c, d, e, f}, 6));
    Block<Mesh2D> mesh(d2dtest::make_empty_mesh(1));

    build_base_mesh(PointRange{0, 3, list.get()}, mesh.get());
    ASSERT_EQ(mesh->length, 1u);
    EXPECT_EQ(mesh->triangles[0].radius, -1.0);
    EXPECT_EQ(mesh->triangles[0].points[2], c);

    build_base_mesh(PointRange{3, 6, list.get()}, mesh.get());
    EXPECT_EQ(mesh->triangles[0].radius, 0.0);
}

TEST(BaseMesh, RangeOutsideTheListBuildsNothing) {
    PointStore store;
    Block<Point3DList> list(d2dtest::make_point_list({store.add(0, 0), store.add(1, 0), store.add(0, 1)}, 3));
    Block<Mesh2D> mesh(d2dtest::make_empty_mesh(1));
    EXPECT_EQ(build_base_mesh(PointRange{2, 5, list.get()}, mesh.get()),
              "create mesh, Mesh2D.length: 0, beg: 2, end: 5\n");
    EXPECT_EQ(mesh->length, 0u);
    EXPECT_EQ(mesh->inner_length, 0u);
    build_base_mesh(PointRange{1, 2, list.get()}, mesh.get());
    EXPECT_EQ(mesh->length, 0u);
}

}  // namespace
