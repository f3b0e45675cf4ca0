// The records cross the library boundary in place: their sizes and field
// offsets are part of the interface and must never drift.
#include <cstddef>

#include "delaunay2d.h"

static_assert(sizeof(double) == 8 && sizeof(void*) == 8 && sizeof(size_t) == 8, "64-bit platform expected");

static_assert(sizeof(Point3D) == 32);
static_assert(offsetof(Point3D, x) == 0 && offsetof(Point3D, y) == 8);
static_assert(offsetof(Point3D, z) == 16 && offsetof(Point3D, w) == 24);

static_assert(sizeof(Point3DList) == 8);
static_assert(offsetof(Point3DList, length) == 0 && offsetof(Point3DList, points) == 8);

static_assert(sizeof(Triangle) == 120);
static_assert(offsetof(Triangle, points) == 0);
static_assert(offsetof(Triangle, vor) == 24);
static_assert(offsetof(Triangle, inner_center) == 48);
static_assert(offsetof(Triangle, outer_center) == 80);
static_assert(offsetof(Triangle, radius) == 112);

static_assert(sizeof(Mesh2D) == 16);
static_assert(offsetof(Mesh2D, length) == 0 && offsetof(Mesh2D, inner_length) == 8);
static_assert(offsetof(Mesh2D, triangles) == 16);

static_assert(sizeof(PointRange) == 24);
static_assert(offsetof(PointRange, beg) == 0 && offsetof(PointRange, end) == 8);
static_assert(offsetof(PointRange, list) == 16);

static_assert(sizeof(LREdge) == 16);
static_assert(offsetof(LREdge, left) == 0 && offsetof(LREdge, right) == 8);

static_assert(sizeof(LREdgeList) == 8);
static_assert(offsetof(LREdgeList, length) == 0 && offsetof(LREdgeList, edges) == 8);

// The constrained call's records: hosts compiled against this first version
// pass these sizes in struct_size, so the layout never changes; later
// fields only ever go at the end.
static_assert(offsetof(delaunay2d_constraint_options, regions) == 48);
static_assert(offsetof(delaunay2d_constraint_options, segments) == 8);
static_assert(offsetof(delaunay2d_constraint_options, holes) == 24);
static_assert(offsetof(delaunay2d_constraint_options, region) == 40);
static_assert(offsetof(delaunay2d_constraint_options, threads) == 44);
static_assert(offsetof(delaunay2d_constrained_result, triangle_attributes) == 104);
static_assert(offsetof(delaunay2d_constrained_result, mesh) == 8);
static_assert(offsetof(delaunay2d_constrained_result, points) == 64);
static_assert(offsetof(delaunay2d_constrained_result, constrained) == 80);
static_assert(offsetof(delaunay2d_constrained_result, segments) == 96);

// Version 1.1 grew both records at their ends, and added the records of
// regions and refinement.
static_assert(sizeof(delaunay2d_constraint_options) == 72);
static_assert(offsetof(delaunay2d_constraint_options, region_count) == 56);
static_assert(offsetof(delaunay2d_constraint_options, quality) == 64);
static_assert(sizeof(delaunay2d_constrained_result) == 304);
static_assert(offsetof(delaunay2d_constrained_result, hole_on_segment_count) == 112);
static_assert(offsetof(delaunay2d_constrained_result, quality) == 120);
static_assert(sizeof(delaunay2d_region_point) == 32);
static_assert(offsetof(delaunay2d_region_point, attribute) == 16);
static_assert(offsetof(delaunay2d_region_point, max_area) == 24);
static_assert(sizeof(delaunay2d_quality_options) == 40);
static_assert(offsetof(delaunay2d_quality_options, min_angle) == 8);
static_assert(offsetof(delaunay2d_quality_options, max_area) == 16);
static_assert(offsetof(delaunay2d_quality_options, max_steiner) == 24);
static_assert(offsetof(delaunay2d_quality_options, conforming) == 32);
static_assert(sizeof(delaunay2d_mesh_quality) == 184);
static_assert(offsetof(delaunay2d_mesh_quality, angle_histogram) == 16);
static_assert(offsetof(delaunay2d_mesh_quality, added_by_refinement) == 160);
static_assert(offsetof(delaunay2d_mesh_quality, unrefined_count) == 168);
static_assert(offsetof(delaunay2d_mesh_quality, budget_reached) == 176);

// The tile record, added after version 1.1.
static_assert(sizeof(delaunay2d_tile) == 72);
static_assert(offsetof(delaunay2d_tile, seen) == 8);
static_assert(offsetof(delaunay2d_tile, bounds) == 40);
