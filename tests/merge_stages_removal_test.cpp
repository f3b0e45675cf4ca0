// Removal of the edge triangles that the chain of cross edges runs through.
#include <gtest/gtest.h>

#include "delaunay2d.h"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Block;
using d2dtest::PointStore;

TEST(CrossedRemoval, FivePointExampleRemovesBothHalves) {
    d2dtest::FivePoints five;
    Point3D *p0 = five.p0, *p1 = five.p1, *q0 = five.q0, *q1 = five.q1, *q2 = five.q2;
    Block<Mesh2D> left(d2dtest::make_mesh({{p0, p1, p1}}));
    Block<Mesh2D> right(d2dtest::make_mesh({{q0, q1, q2}}));
    Block<LREdgeList> chain(d2dtest::make_edge_list({{p0, q0}, {p1, q0}, {p1, q2}, {p1, q1}, {p0, q1}}, 8));
    // The first two edges leave the right triangle at q0 without meeting its far side.
    Block<LREdgeList> lower(d2dtest::make_edge_list({{p0, q0}, {p1, q0}}, 2));
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&right->triangles[0], lower.get(), 1), 0);

    EXPECT_EQ(merge_edge_triangle_filter(left.get(), chain.get(), 0), 0u);
    EXPECT_EQ(merge_edge_triangle_filter(right.get(), chain.get(), 1), 0u);
    EXPECT_EQ(right->triangles[0].radius, -1.0);
    EXPECT_EQ(left->length, 1u);
    EXPECT_EQ(right->length, 1u);
    EXPECT_EQ(right->inner_length, 0u);
}

TEST(CrossedRemoval, SegmentTriangleGoesWheneverTheChainHasAnEdge) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(1, 0);
    Point3D* far_left = store.add(-10, -10);
    Point3D* far_right = store.add(10, -10);
    Block<Mesh2D> segment(d2dtest::make_mesh({{a, b, b}}));
    Block<LREdgeList> unrelated(d2dtest::make_edge_list({{far_left, far_right}}, 1));
    Block<LREdgeList> empty(d2dtest::make_edge_list({}, 0));
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&segment->triangles[0], unrelated.get(), 0), 1);
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&segment->triangles[0], empty.get(), 0), 0);
    // An empty chain removes nothing, not even the segment triangle.
    EXPECT_EQ(merge_edge_triangle_filter(segment.get(), empty.get(), 0), 1u);
    EXPECT_EQ(merge_edge_triangle_filter(segment.get(), unrelated.get(), 0), 0u);
}

TEST(CrossedRemoval, InnerTriangleStaysButLosesItsLinkToARemovedNeighbour) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(2, 0);
    Point3D* c = store.add(1, 2);
    Point3D* d = store.add(3, 2);
    Point3D* crossed_far = store.add(0.5, 0.5);  // the edge from d meets b-c
    Point3D* f0 = store.add(5, 0);
    Point3D* f1 = store.add(6, 0);
    Point3D* f2 = store.add(5.5, 1);
    Point3D* passing_left = store.add(4, 0.2);  // passes through f, no vertex of it
    Point3D* passing_right = store.add(7, 0.2);
    Block<Mesh2D> mesh(d2dtest::make_mesh({{a, b, c}, {b, d, c}, {f0, f1, f2}}, 1));
    Triangle* inner = &mesh->triangles[0];
    Triangle* crossed = &mesh->triangles[1];
    d2dtest::link(inner, crossed);
    ASSERT_EQ(inner->vor[1], crossed);
    Block<LREdgeList> chain(d2dtest::make_edge_list({{d, crossed_far}, {passing_left, passing_right}}, 2));

    EXPECT_EQ(merge_edge_triangle_filter(mesh.get(), chain.get(), 0), 1u);
    EXPECT_EQ(crossed->radius, -1.0);
    EXPECT_EQ(crossed->vor[2], inner);  // its own links stay
    EXPECT_EQ(inner->vor[1], nullptr);
    EXPECT_EQ(inner->radius, 0.0);
    EXPECT_EQ(mesh->triangles[2].radius, 0.0);
    EXPECT_EQ(mesh->inner_length, 1u);
    // The inner triangle is never tested, even against a chain through its vertices.
    Block<LREdgeList> through_inner(d2dtest::make_edge_list({{a, d}}, 1));
    Block<Mesh2D> all_inner(d2dtest::make_mesh({{a, b, c}}, 1));
    EXPECT_EQ(merge_edge_triangle_filter(all_inner.get(), through_inner.get(), 0), 0u);
    EXPECT_EQ(all_inner->triangles[0].radius, 0.0);
}

TEST(CrossedRemoval, ClosedSegmentsAndTheSideOfTheSharedEnd) {
    PointStore store;
    Point3D* v = store.add(0, 0);
    Point3D* x = store.add(2, 2);
    Point3D* y = store.add(2, 0);
    Point3D* through_x = store.add(3, 3);
    Point3D* outside = store.add(-1, 3);
    Triangle t;
    create_triangle(&t, v, x, y);
    Block<LREdgeList> touching(d2dtest::make_edge_list({{v, through_x}}, 1));
    Block<LREdgeList> missing(d2dtest::make_edge_list({{v, outside}}, 1));
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, touching.get(), 0), 1);
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, missing.get(), 0), 0);
    // Side 1 looks at the right ends only; no side beyond 1 matches anything.
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, touching.get(), 1), 0);
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, touching.get(), 2), 0);
    Block<LREdgeList> right_end(d2dtest::make_edge_list({{through_x, v}}, 1));
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, right_end.get(), 1), 1);
    Block<LREdgeList> half_missing(d2dtest::make_edge_list({{v, nullptr}, {nullptr, v}}, 2));
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, half_missing.get(), 0), 0);
    EXPECT_EQ(find_edge_triangle_cross_lr_edge(&t, half_missing.get(), 1), 0);
}

TEST(CrossedRemoval, UnlinkClearsOnlyTheFirstSlotNamingTheTriangle) {
    PointStore store;
    Triangle t;
    Triangle n;
    Triangle other;
    create_triangle(&t, store.add(0, 0), store.add(1, 0), store.add(0, 1));
    create_triangle(&n, store.add(0, 0), store.add(1, 0), store.add(0, 1));
    t.vor[1] = &n;
    n.vor[0] = &other;
    n.vor[1] = &t;
    n.vor[2] = &t;
    merge_mesh_remove_voronoi(&t);
    EXPECT_EQ(n.vor[0], &other);
    EXPECT_EQ(n.vor[1], nullptr);
    EXPECT_EQ(n.vor[2], &t);
    EXPECT_EQ(t.vor[1], &n);
}

TEST(CrossedRemoval, MeshWithoutEdgeTrianglesKeepsNothingAndChangesNothing) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Block<Mesh2D> empty(d2dtest::make_empty_mesh(0));
    Block<LREdgeList> chain(d2dtest::make_edge_list({{a, store.add(1, 0)}}, 1));
    EXPECT_EQ(merge_edge_triangle_filter(empty.get(), chain.get(), 0), 0u);
    empty->inner_length = 5;  // more inner than records: still nothing to read
    EXPECT_EQ(merge_edge_triangle_filter(empty.get(), chain.get(), 0), 0u);
}

}  // namespace
