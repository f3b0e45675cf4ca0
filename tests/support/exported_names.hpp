/*
 * The complete list of operations that the delaunay2d shared library exports,
 * and nothing else. Tests that inspect a built library (the run-time loading
 * test, the export-table checks) take their expectations from here, so the
 * list is written down exactly once. Plain C, usable from C and C++.
 */
#ifndef DELAUNAY2D_TESTS_EXPORTED_NAMES_HPP
#define DELAUNAY2D_TESTS_EXPORTED_NAMES_HPP

#define DELAUNAY2D_EXPORTED_COUNT 57

#if defined(__GNUC__)
#define DELAUNAY2D_MAYBE_UNUSED __attribute__((unused))
#else
#define DELAUNAY2D_MAYBE_UNUSED
#endif

static const char* const delaunay2d_exported_names[DELAUNAY2D_EXPORTED_COUNT] DELAUNAY2D_MAYBE_UNUSED = {
    /* entry points */
    "create_mesh_2d",
    "create_triangle_mesh_2d",
    "partition_point_arr",
    "create_mesh_by_2_3_point",
    "free_mesh",
    /* triangle construction */
    "create_triangle",
    "create_inner_center_2d",
    /* ordering and output */
    "sort_point",
    "random_quick_sort",
    "random_partition",
    "partition",
    "swap_point_3d",
    "sort_point_x_maxY",
    "sort_point_y_lx",
    "sort_point_y_rx",
    "print_point_3d_list",
    "check_realloc",
    /* predicates */
    "is_bottom_on_line_point_2d",
    "line_is_cross_2d",
    "point_2d_distance",
    /* triangle operations */
    "create_outer_center_2d",
    "triangle_overlay_line_2d",
    "create_triangle_vor",
    "point_inner_triangle_circular",
    "point_inner_triangle_list_circular",
    /* base LR edge */
    "push_point_2d_no_repeat",
    "create_point_no_repeat",
    "find_base_lr_edge",
    "update_line_bottom_edge",
    "update_line_bottom_edge_point",
    /* LR-edge chain */
    "find_side_potential_point",
    "find_lr_edge",
    /* removal of crossed triangles */
    "find_edge_triangle_cross_lr_edge",
    "merge_mesh_remove_voronoi",
    "merge_edge_triangle_filter",
    /* merge */
    "merge_mesh",
    "merge_inner_triangle_mesh",
    "merge_edge_triangle_mesh",
    "merge_mesh_update_voronoi",
    "merge_lr_line_triangle_mesh",
    "mesh_create_last_triangle_voronoi",
    "mesh_find_triangle_create_vor",
    "update_edge_triangle",
    /* the index-array call */
    "delaunay2d_triangulate",
    "delaunay2d_result_free",
    "delaunay2d_neighbours_opposite_vertex",
    "delaunay2d_status_message",
    "delaunay2d_version",
    /* constrained triangulation */
    "delaunay2d_triangulate_constrained",
    "delaunay2d_constrained_result_free",
    /* point location and interpolation */
    "delaunay2d_locate",
    "delaunay2d_interpolate",
    /* Voronoi diagram */
    "delaunay2d_voronoi_build",
    "delaunay2d_voronoi_free",
    "delaunay2d_voronoi_cells",
    "delaunay2d_cells_free",
    /* tiles of a larger set */
    "delaunay2d_tile_certain",
};

#endif /* DELAUNAY2D_TESTS_EXPORTED_NAMES_HPP */
