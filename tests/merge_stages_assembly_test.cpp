// Assembly of a merged mesh: copies with re-pointed links, new triangles
// across the chain, the inner/edge partition, and merge_mesh end to end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/stage_meshes.hpp"

namespace {

using d2dtest::Block;
using d2dtest::link_fault;
using d2dtest::link_index;
using d2dtest::PointStore;

// The base mesh of list[beg .. end), built without a word on stdout.
Mesh2D* base_mesh(Point3DList* list, size_t beg, size_t end) {
    Mesh2D* mesh = d2dtest::make_empty_mesh(1);
    PointRange range{beg, end, list};
    d2dcommon::discarding_stdout([&] { return create_mesh_by_2_3_point(&range, mesh); });
    return mesh;
}

// merge_mesh into a fresh block; *trace receives what it printed.
Mesh2D* merge_traced(size_t beg, size_t pivot, size_t end, Mesh2D* left, Mesh2D* right, std::string* trace) {
    Mesh2D* merged = nullptr;
    *trace = d2dcommon::captured_stdout(
        [&] { merged = merge_mesh(beg, pivot, end, left, right, d2dtest::make_empty_mesh(1)); });
    return merged;
}

TEST(MergeAssembly, FivePointMergeRecordForRecord) {
    d2dtest::FivePoints five;
    Point3D *p0 = five.p0, *p1 = five.p1, *q0 = five.q0, *q1 = five.q1, *q2 = five.q2;
    Block<Point3DList> list(d2dtest::make_point_list({p0, p1, q0, q1, q2}, 5));
    std::string trace;
    Block<Mesh2D> merged(merge_traced(0, 2, 5, base_mesh(list.get(), 0, 2), base_mesh(list.get(), 2, 5), &trace));
    EXPECT_EQ(trace, "merge mesh, [beg: 0, pivot: 1] <=> [beg: 2, pivot: 4]\n");
    ASSERT_EQ(merged->length, 4u);
    EXPECT_EQ(merged->inner_length, 0u);
    const std::vector<std::vector<Point3D*>> points = {{p0, q0, p1}, {p1, q0, q2}, {p1, q2, q1}, {p1, q1, p0}};
    const std::vector<std::vector<long>> links = {{-1, 1, -1}, {0, -1, 2}, {1, -1, 3}, {2, -1, -1}};
    for (size_t i = 0; i < 4; ++i) {
        const Triangle& t = merged->triangles[i];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(t.points[k], points[i][static_cast<size_t>(k)]) << "triangle " << i << " point " << k;
            EXPECT_EQ(link_index(merged.get(), t.vor[k]), links[i][static_cast<size_t>(k)])
                << "triangle " << i << " slot " << k;
        }
        EXPECT_EQ(t.radius, 0.0);
    }
    EXPECT_EQ(link_fault(merged.get()), "");
}

// Source: inner (a, b, c) linked to edge (b, d, c), linked to edge (d, e, c),
// and a segment triangle, which is never copied as an edge triangle.
struct LinkedSource {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(2, 0);
    Point3D* c = store.add(1, 2);
    Point3D* d = store.add(3, 2);
    Point3D* e = store.add(2, 4);
    Block<Mesh2D> mesh{d2dtest::make_mesh({{a, b, c}, {b, d, c}, {d, e, c}, {a, e, e}}, 1)};
    LinkedSource() {
        d2dtest::link(&mesh->triangles[0], &mesh->triangles[1]);
        d2dtest::link(&mesh->triangles[1], &mesh->triangles[2]);
    }
};

TEST(MergeAssembly, CopiesRepointLinksInEitherOrder) {
    {
        LinkedSource source;
        Block<Mesh2D> dest(d2dtest::make_empty_mesh(3));
        merge_inner_triangle_mesh(dest.get(), source.mesh.get());
        merge_edge_triangle_mesh(dest.get(), source.mesh.get());
        ASSERT_EQ(dest->length, 3u);
        EXPECT_EQ(dest->inner_length, 1u);
        EXPECT_EQ(dest->triangles[0].points[0], source.a);
        EXPECT_EQ(dest->triangles[2].points[1], source.e);
        EXPECT_EQ(link_fault(dest.get()), "");
        EXPECT_EQ(dest->triangles[0].vor[1], &dest->triangles[1]);
        EXPECT_EQ(dest->triangles[1].vor[1], &dest->triangles[2]);
    }
    {
        LinkedSource source;
        Block<Mesh2D> dest(d2dtest::make_empty_mesh(3));
        merge_edge_triangle_mesh(dest.get(), source.mesh.get());
        merge_inner_triangle_mesh(dest.get(), source.mesh.get());
        ASSERT_EQ(dest->length, 3u);
        EXPECT_EQ(dest->inner_length, 1u);
        EXPECT_EQ(dest->triangles[2].points[0], source.a);
        EXPECT_EQ(link_fault(dest.get()), "");
        EXPECT_EQ(dest->triangles[2].vor[1], &dest->triangles[0]);
    }
}

TEST(MergeAssembly, InnerCopiesCountUpFromTheDestinationsInnerLength) {
    LinkedSource source;
    LinkedSource other;
    Block<Mesh2D> dest(d2dtest::make_empty_mesh(4));
    merge_inner_triangle_mesh(dest.get(), source.mesh.get());
    merge_inner_triangle_mesh(dest.get(), other.mesh.get());
    EXPECT_EQ(dest->length, 2u);
    EXPECT_EQ(dest->inner_length, 2u);
    other.mesh->inner_length = 0;
    merge_inner_triangle_mesh(dest.get(), other.mesh.get());
    EXPECT_EQ(dest->length, 2u);
    EXPECT_EQ(dest->inner_length, 2u);
}

TEST(MergeAssembly, PartitionKeepsLinksTrueAcrossASwapOfTwoNeighbours) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(2, 0);
    Point3D* c = store.add(1, 2);
    Point3D* below = store.add(1, -1);
    Point3D* right_of = store.add(3, 2);
    Point3D* left_of = store.add(-1, 2);
    // [1] has three links, one of them to [0], with which it is exchanged.
    Block<Mesh2D> mesh(d2dtest::make_mesh({{a, below, b}, {a, b, c}, {b, right_of, c}, {c, left_of, a}}));
    for (size_t i : {0u, 2u, 3u}) d2dtest::link(&mesh->triangles[1], &mesh->triangles[i]);
    ASSERT_EQ(link_fault(mesh.get()), "");

    update_edge_triangle(mesh.get());
    EXPECT_EQ(mesh->inner_length, 1u);
    EXPECT_EQ(mesh->triangles[0].points[2], c);
    EXPECT_EQ(mesh->triangles[1].points[1], below);
    EXPECT_EQ(mesh->triangles[2].points[1], right_of);
    EXPECT_EQ(mesh->triangles[3].points[1], left_of);
    EXPECT_EQ(link_fault(mesh.get()), "");
    EXPECT_EQ(mesh->triangles[0].vor[0], &mesh->triangles[1]);
    EXPECT_EQ(mesh->triangles[0].vor[1], &mesh->triangles[2]);
    EXPECT_EQ(mesh->triangles[0].vor[2], &mesh->triangles[3]);
    EXPECT_EQ(mesh->triangles[1].vor[2], &mesh->triangles[0]);
}

TEST(MergeAssembly, NewTrianglesLinkToPredecessorAndToSurvivorsOnly) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(0, 2);
    Point3D* c = store.add(2, -1);
    Point3D* d = store.add(2, 1);
    Point3D* e = store.add(3, 0);
    // One right survivor (c, d, e); chain (a, c), (a, d), (b, d).
    Block<Mesh2D> mesh(d2dtest::make_empty_mesh(3));
    create_triangle(&mesh->triangles[0], c, d, e);
    mesh->length = 1;
    Block<LREdgeList> chain(d2dtest::make_edge_list({{a, c}, {a, d}, {b, d}}, 3));
    merge_lr_line_triangle_mesh(mesh.get(), chain.get(), 0, 0, 1);
    ASSERT_EQ(mesh->length, 3u);
    EXPECT_EQ(mesh->inner_length, 0u);
    const Triangle& first = mesh->triangles[1];
    const Triangle& second = mesh->triangles[2];
    EXPECT_EQ(first.points[0], a);
    EXPECT_EQ(first.points[1], c);
    EXPECT_EQ(first.points[2], d);
    EXPECT_EQ(second.points[0], a);
    EXPECT_EQ(second.points[1], d);
    EXPECT_EQ(second.points[2], b);
    EXPECT_EQ(first.vor[0], nullptr);
    EXPECT_EQ(first.vor[1], &mesh->triangles[0]);
    EXPECT_EQ(first.vor[2], &mesh->triangles[2]);
    EXPECT_EQ(second.vor[0], &mesh->triangles[1]);
    EXPECT_EQ(second.vor[1], nullptr);
    EXPECT_EQ(second.vor[2], nullptr);
    EXPECT_EQ(link_fault(mesh.get()), "");

    // The side-edge test alone: slot 1 for a right third point, slot 2 for a left one.
    Triangle last;
    Triangle candidate;
    create_triangle(&last, a, d, b);
    create_triangle(&candidate, b, a, store.add(-1, 1));
    EXPECT_EQ(mesh_find_triangle_create_vor(&candidate, true, &last), 0);
    EXPECT_EQ(mesh_find_triangle_create_vor(&candidate, false, &last), 1);
    EXPECT_EQ(last.vor[2], &candidate);
    EXPECT_EQ(candidate.vor[0], &last);
}

TEST(MergeAssembly, StepsReadNothingOutsideTheRecordsTheyAreGiven) {
    PointStore store;
    Point3D* a = store.add(0, 0);
    Point3D* b = store.add(1, 0);
    Point3D* c = store.add(0, 1);
    Block<Mesh2D> empty(d2dtest::make_empty_mesh(0));
    mesh_create_last_triangle_voronoi(empty.get(), 4, 9, 100, true);
    update_edge_triangle(empty.get());
    Block<LREdgeList> no_edges(d2dtest::make_edge_list({}, 0));
    merge_lr_line_triangle_mesh(empty.get(), no_edges.get(), 0, 0, 0);
    EXPECT_EQ(empty->length, 0u);

    // Ranges far beyond the two records: only the record before the last is looked at.
    Block<Mesh2D> two(d2dtest::make_mesh({{a, b, c}, {c, b, store.add(1, 1)}}));
    two->inner_length = 7;
    mesh_create_last_triangle_voronoi(two.get(), 0, 0, 100, true);
    mesh_create_last_triangle_voronoi(two.get(), 50, 60, 0, false);
    EXPECT_EQ(two->triangles[1].vor[0], &two->triangles[0]);
    EXPECT_EQ(link_fault(two.get()), "");
}

TEST(MergeAssembly, FourCollinearPointsMergeIntoAnEmptyMesh) {
    PointStore store;
    Block<Point3DList> list(
        d2dtest::make_point_list({store.add(0, 0), store.add(1, 0), store.add(2, 0), store.add(3, 0)}, 4));
    std::string trace;
    Block<Mesh2D> merged(merge_traced(0, 2, 4, base_mesh(list.get(), 0, 2), base_mesh(list.get(), 2, 4), &trace));
    EXPECT_EQ(trace, "merge mesh, [beg: 0, pivot: 1] <=> [beg: 2, pivot: 3]\n");
    EXPECT_EQ(merged->length, 0u);
    EXPECT_EQ(merged->inner_length, 0u);
}

TEST(MergeAssembly, MergeWithAnEmptyHalfKeepsTheOtherHalf) {
    PointStore store;
    Block<Point3DList> list(d2dtest::make_point_list({store.add(2, 0), store.add(3, 1), store.add(4, 0)}, 3));
    std::string trace;
    Block<Mesh2D> merged(merge_traced(0, 0, 3, d2dtest::make_empty_mesh(0), base_mesh(list.get(), 0, 3), &trace));
    ASSERT_EQ(merged->length, 1u);
    EXPECT_EQ(merged->inner_length, 0u);
    EXPECT_EQ(merged->triangles[0].points[1], list->points[1]);
}

}  // namespace
