// The lower common tangent of two meshes: duplicate-free collection of the
// edge-triangle vertices and the bottom sweeps.
#include <gtest/gtest.h>

#include "delaunay2d.h"
#include "support/exact_rational.hpp"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Block;
using d2dtest::PointStore;

// The lower common tangent that find_base_lr_edge finds from an edge
// without ends.
LREdge base_edge(const Mesh2D* left, const Mesh2D* right) {
    LREdge edge{nullptr, nullptr};
    find_base_lr_edge(left, right, &edge);
    return edge;
}

TEST(PointNoRepeat, PushAppendsOnceAndReturnsTheIndex) {
    PointStore store;
    Point3D* a = store.add(1, 1);
    Point3D* b = store.add(2, 2);
    Point3D* twin_of_a = store.add(1, 1);
    Block<Point3DList> list(d2dtest::make_point_list({}, 3));

    EXPECT_EQ(push_point_2d_no_repeat(a, list.get()), 0u);
    EXPECT_EQ(list->length, 1u);
    EXPECT_EQ(push_point_2d_no_repeat(b, list.get()), 1u);
    EXPECT_EQ(push_point_2d_no_repeat(a, list.get()), 0u);
    EXPECT_EQ(push_point_2d_no_repeat(b, list.get()), 1u);
    EXPECT_EQ(list->length, 2u);
    // Equal coordinates, different record: a point of its own.
    EXPECT_EQ(push_point_2d_no_repeat(twin_of_a, list.get()), 2u);
    EXPECT_EQ(list->length, 3u);
    EXPECT_EQ(list->points[0], a);
    EXPECT_EQ(list->points[2], twin_of_a);
}

TEST(PointNoRepeat, CollectsEdgeTriangleVerticesOnlyAndSortsTheWholeList) {
    PointStore store;
    Point3D* inner_only = store.add(1, -5);
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(2, 0);
    Point3D* c = store.add(1, 2);
    Point3D* d = store.add(3, 2);
    Point3D* already = store.add(9, -1);
    Block<Mesh2D> mesh(d2dtest::make_mesh({{inner_only, a, b}, {a, b, c}, {b, d, c}}, 1));
    Block<Point3DList> list(d2dtest::make_point_list({already}, 6));

    create_point_no_repeat(mesh.get(), list.get(), sort_point_y_lx);
    ASSERT_EQ(list->length, 5u);
    // Bottom first; on the common bottom the larger x first.
    EXPECT_EQ(list->points[0], already);
    EXPECT_EQ(list->points[1], b);
    EXPECT_EQ(list->points[2], a);
    EXPECT_EQ(list->points[3], d);
    EXPECT_EQ(list->points[4], c);
}

TEST(BaseLrEdge, LeftSweepMovesTheLeftEndBelow) {
    PointStore store;
    Point3D* l0 = store.add(0, 1);
    Point3D* l1 = store.add(2, 0);
    Point3D* l2 = store.add(1, 3);
    Point3D* r0 = store.add(3, 2);
    Point3D* r1 = store.add(5, -2);
    Point3D* r2 = store.add(4, 4);
    Block<Mesh2D> left(d2dtest::make_mesh({{l0, l1, l2}}));
    Block<Mesh2D> right(d2dtest::make_mesh({{r0, r1, r2}}));
    const LREdge edge = base_edge(left.get(), right.get());
    EXPECT_EQ(edge.left, l0);
    EXPECT_EQ(edge.right, r1);
}

TEST(BaseLrEdge, CollinearFlatBottomKeepsTheInnerPair) {
    PointStore store;
    Point3D* l0 = store.add(0, 0);
    Point3D* l1 = store.add(2, 0);
    Point3D* r0 = store.add(4, 0);
    Point3D* r1 = store.add(6, 0);
    Block<Mesh2D> left(d2dtest::make_mesh({{l0, l1, store.add(1, 2)}}));
    Block<Mesh2D> right(d2dtest::make_mesh({{r0, r1, store.add(5, 2)}}));
    const LREdge edge = base_edge(left.get(), right.get());
    EXPECT_EQ(edge.left, l1);
    EXPECT_EQ(edge.right, r0);
}

// Disjoint edge triangles: k of them hold 3k distinct vertices, more than
// 2k + 2 once k is 3. Every vertex must still be collected (the address
// sanitizer catches a push past the list's room).
TEST(BaseLrEdge, EveryVertexOfDisjointEdgeTrianglesTakesPart) {
    PointStore store;
    Point3D* lowest_left = store.add(4, -3);
    Block<Mesh2D> left(d2dtest::make_mesh({{store.add(0, 0), store.add(1, 5), store.add(2, 1)},
                                           {store.add(3, 4), lowest_left, store.add(5, 2)},
                                           {store.add(6, 0), store.add(7, 3), store.add(8, -2)},
                                           {store.add(0, 9), store.add(1, 8), store.add(2, 9)}}));
    Block<Mesh2D> right(d2dtest::make_mesh({{store.add(10, 0), store.add(11, 3), store.add(12, -0.5)}}));
    const LREdge edge = base_edge(left.get(), right.get());
    ASSERT_NE(edge.left, nullptr);
    ASSERT_NE(edge.right, nullptr);
    for (const Mesh2D* mesh : {left.get(), right.get()}) {
        for (size_t k = 0; k < mesh->length; ++k) {
            for (const Point3D* p : mesh->triangles[k].points) {
                EXPECT_GE(d2dtest::orient_sign_rational(edge.left->x, edge.left->y, edge.right->x, edge.right->y,
                                                        p->x, p->y),
                          0)
                    << "(" << p->x << ", " << p->y << ") lies below the tangent";
            }
        }
    }
}

TEST(BaseLrEdge, MeshWithoutEdgeTrianglesLeavesItsEndAsGiven) {
    PointStore store;
    Point3D* r0 = store.add(3, 2);
    Point3D* r1 = store.add(5, -2);
    Block<Mesh2D> empty(d2dtest::make_empty_mesh(0));
    Block<Mesh2D> all_inner(d2dtest::make_mesh({{store.add(0, 0), store.add(1, 0), store.add(0, 1)}}, 1));
    Block<Mesh2D> right(d2dtest::make_mesh({{r0, r1, store.add(4, 4)}}));

    const LREdge one_sided = base_edge(empty.get(), right.get());
    EXPECT_EQ(one_sided.left, nullptr);
    EXPECT_EQ(one_sided.right, r1);

    const LREdge none = base_edge(all_inner.get(), empty.get());
    EXPECT_EQ(none.left, nullptr);
    EXPECT_EQ(none.right, nullptr);
}

TEST(BottomEdgeSweep, EmptyListsAndPointsOnOrAboveTheLineMoveNothing) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(4, 0);
    Block<Point3DList> none(d2dtest::make_point_list({}, 0));
    Block<Point3DList> above(d2dtest::make_point_list({a, store.add(2, 1), store.add(8, 0), store.add(1, 5e-9)}, 4));

    LREdge edge{a, b};
    update_line_bottom_edge(none.get(), none.get(), &edge);
    EXPECT_EQ(edge.left, a);
    EXPECT_EQ(edge.right, b);
    EXPECT_EQ(update_line_bottom_edge_point(none.get(), &edge, 0), 0);
    EXPECT_EQ(update_line_bottom_edge_point(above.get(), &edge, 0), 0);
    EXPECT_EQ(update_line_bottom_edge_point(above.get(), &edge, 1), 0);
    EXPECT_EQ(edge.left, a);
    EXPECT_EQ(edge.right, b);
}

TEST(BottomEdgeSweep, OneSweepMovesTheSelectedEndAgainstTheMovedLine) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(4, 0);
    Point3D* first = store.add(5, -1);
    Point3D* further = store.add(7, -1.5);  // below the line a-first
    Point3D* above = store.add(6, -1);      // below a-b, but above a-further
    Block<Point3DList> list(d2dtest::make_point_list({first, further, above}, 3));
    LREdge edge{a, b};
    EXPECT_EQ(update_line_bottom_edge_point(list.get(), &edge, 1), 1);
    EXPECT_EQ(edge.left, a);
    EXPECT_EQ(edge.right, further);
    EXPECT_EQ(update_line_bottom_edge_point(list.get(), &edge, 2), 0);
}

// Lists that overlap in x can make the sweeps chase each other round a cycle
// of edges; the search must still end, on ends taken from the lists.
TEST(BottomEdgeSweep, CyclingSweepsStop) {
    PointStore store;
    Point3D* l = store.add(-2, 4);
    Point3D* r0 = store.add(1, 4);
    Point3D* r1 = store.add(-2, 2);
    Point3D* r2 = store.add(-4, 5);
    Block<Point3DList> left(d2dtest::make_point_list({l}, 1));
    Block<Point3DList> right(d2dtest::make_point_list({r0, r1, r2}, 3));
    LREdge edge{l, r0};
    update_line_bottom_edge(left.get(), right.get(), &edge);
    EXPECT_EQ(edge.left, l);
    EXPECT_TRUE(edge.right == r0 || edge.right == r1 || edge.right == r2);
}

}  // namespace
