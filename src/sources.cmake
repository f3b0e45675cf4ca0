# The library's sources, one floor at a time. Each floor uses only the
# floors listed before it:
#   engine/     the one exact engine: system support (threads, memory), the
#               radix sort both front ends order their points with, the
#               Morton key that orders points and queries along a curve,
#               the exact predicates, the records, their slots and the merge
#   blocks/     the exported building blocks, literal to their contracts
#   traced/     the traced entry points, their stages numbered in the order
#               a call runs them
#   index_arrays/  the index-array call: compact arrays, status codes, no output
#   operations/ what is done with a finished triangulation
# Namespaces follow the folders: the engine's shared vocabulary and the
# building blocks' helpers are d2d itself; the merge's records are
# d2d::merge, the traced entry points d2d::traced, the index-array call
# d2d::index_arrays, the operations d2d::operations (the constrained call
# d2d::operations::constrained, the quality refinement of its mesh
# d2d::operations::refine).
set(DELAUNAY2D_SOURCES
  # engine
  ${CMAKE_CURRENT_LIST_DIR}/engine/system/allocation_faults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/system/page_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/system/page_size.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/system/parallel_pair.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/system/reserved_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/system/thread_count.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/exact/adaptive_stages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/exact/exact_predicates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/exact/spread_coordinates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/exact/wide_integer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/merge/merge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine/merge/record_slots.cpp
  # blocks
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/check_realloc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/fatal_stop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/point_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/print_point_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/record_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/trace_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/common/trace_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/line/bottom_edge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/line/orientation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/line/segment_cross.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/mesh/base_lr_edge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/mesh/base_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/mesh/crossed_removal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/mesh/lr_edge_chain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/mesh/merge_assembly.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/mesh/merge_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/point/inner_center.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/point/outer_center.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/point/point_distance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/point/point_no_repeat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/point/point_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/triangle/circumcircle_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/triangle/triangle_create.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blocks/triangle/triangle_link.cpp
  # traced entry points, stage by stage
  ${CMAKE_CURRENT_LIST_DIR}/traced/entry_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/traced_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/1_sort/distinct_split_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/1_sort/split_order_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/2_trace/call_trace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/2_trace/range_trace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/3_prepare/prepared_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/4_triangulate/handover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/4_triangulate/layout_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/4_triangulate/merge_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/4_triangulate/triangulate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/traced/5_write/write_mesh.cpp
  # the index-array call
  ${CMAKE_CURRENT_LIST_DIR}/index_arrays/alternating_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/index_arrays/cocircular_diagonals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/index_arrays/distinct_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/index_arrays/neighbour_conventions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/index_arrays/triangulate_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/index_arrays/tree_order.cpp
  # operations on a finished triangulation
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/cavity_retriangulation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/constrained_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/crossing_point.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/crossing_point_fixed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/edge_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/hot_pixels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/kept_region.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/mesh_flips.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/point_insertion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/segment_crossings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/segment_insertion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/constrained/snap_rounding.cpp
  # quality refinement of the constrained mesh, and its figures
  ${CMAKE_CURRENT_LIST_DIR}/operations/refine/encroachment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/refine/new_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/refine/quality_figures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/refine/refine_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/common/coherent_copy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/common/mesh_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/common/vertex_fans.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/locate/boundary_shape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/locate/triangle_grid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/locate/point_locator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/locate/query_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/locate/locate_all.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/locate/locate_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/interpolate/distance_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/interpolate/linear_interpolation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/interpolate/nearest_vertex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/interpolate/nearest_point_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/interpolate/natural_neighbours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/interpolate/interpolate_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/voronoi/voronoi_diagram.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/voronoi/clipped_cells.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/voronoi/voronoi_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/tile/tile_certainty.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations/tile/tile_call.cpp
)
