// The chain of cross edges grown upward from the lower common tangent.
#include <gtest/gtest.h>
#include <malloc.h>

#include <vector>

#include "delaunay2d.h"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Block;
using d2dtest::PointStore;

// The chain that find_lr_edge grows from the base edge alone (in a list
// with room for four).
std::vector<LREdge> chain_from(const Mesh2D* left, const Mesh2D* right, LREdge base) {
    LREdgeList* list = find_lr_edge(left, right, d2dtest::make_edge_list({base}, 4));
    std::vector<LREdge> chain(list->edges, list->edges + list->length);
    std::free(list);
    return chain;
}

void expect_chain(const std::vector<LREdge>& chain, const std::vector<LREdge>& expected) {
    ASSERT_EQ(chain.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(chain[i].left, expected[i].left) << "edge " << i;
        EXPECT_EQ(chain[i].right, expected[i].right) << "edge " << i;
    }
}

// Two two-point meshes: left (0, 0)-(1, 2), right (2, 0)-(3, 2).
struct TwoSegments {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(1, 2);
    Point3D* c = store.add(2, 0);
    Point3D* d = store.add(3, 2);
    Block<Mesh2D> left{d2dtest::make_mesh({{a, b, b}})};
    Block<Mesh2D> right{d2dtest::make_mesh({{c, d, d}})};
};

TEST(LrEdgeChain, TwoSegmentMeshesGiveThreeEdgesLeftWinningTheFirstStep) {
    TwoSegments m;
    Triangle candidate{};
    ASSERT_EQ(find_side_potential_point(m.left.get(), LREdge{m.a, m.c}, 0, &candidate), 1);
    EXPECT_EQ(candidate.points[2], m.b);
    EXPECT_DOUBLE_EQ(candidate.outer_center.x, 1.0);
    EXPECT_DOUBLE_EQ(candidate.outer_center.y, 0.75);
    EXPECT_DOUBLE_EQ(candidate.radius, 1.25);
    ASSERT_EQ(find_side_potential_point(m.right.get(), LREdge{m.a, m.c}, 1, &candidate), 1);
    EXPECT_EQ(candidate.points[2], m.d);

    expect_chain(chain_from(m.left.get(), m.right.get(), {m.a, m.c}), {{m.a, m.c}, {m.b, m.c}, {m.b, m.d}});
}

TEST(LrEdgeChain, FourCocircularPointsTakeTheDiagonalFromTheLeft) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(0, 1);
    Point3D* c = store.add(1, 0);
    Point3D* d = store.add(1, 1);
    for (bool reversed : {false, true}) {
        Block<Mesh2D> left(reversed ? d2dtest::make_mesh({{b, a, a}}) : d2dtest::make_mesh({{a, b, b}}));
        Block<Mesh2D> right(reversed ? d2dtest::make_mesh({{d, c, c}}) : d2dtest::make_mesh({{c, d, d}}));
        expect_chain(chain_from(left.get(), right.get(), {a, c}), {{a, c}, {b, c}, {b, d}});
    }
}

TEST(LrEdgeChain, FivePointExampleHasFiveEdges) {
    d2dtest::FivePoints five;
    Point3D *p0 = five.p0, *p1 = five.p1, *q0 = five.q0, *q1 = five.q1, *q2 = five.q2;
    Block<Mesh2D> left(d2dtest::make_mesh({{p0, p1, p1}}));
    Block<Mesh2D> right(d2dtest::make_mesh({{q0, q1, q2}}));
    expect_chain(chain_from(left.get(), right.get(), {p0, q0}), {{p0, q0}, {p1, q0}, {p1, q2}, {p1, q1}, {p0, q1}});
}

TEST(LrEdgeChain, ListGrowsByFourWhenAStepStartsAtAMultipleOfFour) {
    TwoSegments m;
    const LREdge top{m.b, m.d};
    const LREdge base{m.a, m.c};

    // Starts with 4 edges in room for 4: grows to 8 though nothing is appended.
    LREdgeList* list = d2dtest::make_edge_list({top, top, top, top}, 4);
    list = find_lr_edge(m.left.get(), m.right.get(), list);
    EXPECT_EQ(list->length, 4u);
    EXPECT_GE(malloc_usable_size(list), sizeof(LREdgeList) + 8 * sizeof(LREdge));
    std::free(list);

    // Starts with 8 in room for 8 and appends two: grows to 12 in its first step.
    list = d2dtest::make_edge_list({top, top, top, top, top, top, top, base}, 8);
    list = find_lr_edge(m.left.get(), m.right.get(), list);
    ASSERT_EQ(list->length, 10u);
    EXPECT_EQ(list->edges[9].left, m.b);
    EXPECT_EQ(list->edges[9].right, m.d);
    EXPECT_GE(malloc_usable_size(list), sizeof(LREdgeList) + 12 * sizeof(LREdge));
    std::free(list);

    // From 5 to 7 no step starts at a multiple of four: no growth.
    list = d2dtest::make_edge_list({top, top, top, top, base}, 8);
    list = find_lr_edge(m.left.get(), m.right.get(), list);
    EXPECT_EQ(list->length, 7u);
    EXPECT_LT(malloc_usable_size(list), sizeof(LREdgeList) + 12 * sizeof(LREdge));
    std::free(list);
}

TEST(LrEdgeChain, RightCandidateTakesOverWhenTheLeftCircleHoldsARightPoint) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(0.5, 3);   // left candidate: its circle holds e
    Point3D* c = store.add(2, 0);
    Point3D* e = store.add(2.2, 1);   // right candidate
    Block<Mesh2D> left(d2dtest::make_mesh({{a, b, b}}));
    Block<Mesh2D> right(d2dtest::make_mesh({{c, e, e}}));
    Triangle candidate{};
    ASSERT_EQ(find_side_potential_point(left.get(), LREdge{a, c}, 0, &candidate), 1);
    ASSERT_TRUE(point_inner_triangle_list_circular(candidate, right.get()));
    const std::vector<LREdge> chain = chain_from(left.get(), right.get(), {a, c});
    ASSERT_GE(chain.size(), 2u);
    EXPECT_EQ(chain[1].left, a);
    EXPECT_EQ(chain[1].right, e);
}

TEST(LrEdgeChain, SideSearchNeedsAnEdgeTriangleAtTheEndAndBothEnds) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* c = store.add(2, 0);
    Point3D* x = store.add(2.5, 2);
    Point3D* y = store.add(3, 0.5);
    Block<Mesh2D> only_inner(d2dtest::make_mesh({{c, x, y}}, 1));
    Block<Mesh2D> empty(d2dtest::make_empty_mesh(0));
    Block<Mesh2D> right(d2dtest::make_mesh({{c, x, y}}));
    Triangle candidate{};
    EXPECT_EQ(find_side_potential_point(only_inner.get(), LREdge{a, c}, 1, &candidate), 0);
    EXPECT_EQ(find_side_potential_point(empty.get(), LREdge{a, c}, 1, &candidate), 0);
    EXPECT_EQ(find_side_potential_point(right.get(), LREdge{nullptr, c}, 1, &candidate), 0);
    EXPECT_EQ(find_side_potential_point(right.get(), LREdge{a, c}, 2, &candidate), 0);
    EXPECT_EQ(find_side_potential_point(right.get(), LREdge{a, c}, 1, &candidate), 1);

    // A list without edges, or whose edge misses an end, comes back as it was.
    LREdgeList* list = d2dtest::make_edge_list({}, 4);
    list = find_lr_edge(empty.get(), right.get(), list);
    EXPECT_EQ(list->length, 0u);
    list->edges[0] = LREdge{nullptr, c};
    list->length = 1;
    list = find_lr_edge(empty.get(), right.get(), list);
    ASSERT_EQ(list->length, 1u);
    EXPECT_EQ(list->edges[0].left, nullptr);
    EXPECT_EQ(list->edges[0].right, c);
    std::free(list);
}

}  // namespace
