# The library's sources, listed by folder. The exported building blocks
# come first; then the stages of an entry-point call in the order it runs
# them (sort, trace, prepare, triangulate, lay out, write) and what they
# share (the exact predicates, the system support); last the quiet
# companion call, which runs the same merge over a tree of its own.
set(DELAUNAY2D_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/library/entry_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/library/triangulate_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/check_realloc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/point_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/print_point_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/common/record_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh/base_lr_edge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh/base_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh/crossed_removal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh/lr_edge_chain.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh/merge_assembly.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh/merge_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line/bottom_edge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line/orientation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line/segment_cross.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point/inner_center.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point/outer_center.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point/point_distance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point/point_no_repeat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point/point_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangle/circumcircle_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangle/triangle_create.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangle/triangle_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sort/distinct_split_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sort/split_order_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trace/call_trace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trace/range_trace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trace/trace_format.cpp
  ${CMAKE_CURRENT_LIST_DIR}/trace/trace_output.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prepare/prepared_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exact/adaptive_stages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exact/exact_predicates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exact/spread_coordinates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exact/wide_integer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangulate/handover.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangulate/merge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangulate/merge_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangulate/record_slots.cpp
  ${CMAKE_CURRENT_LIST_DIR}/triangulate/triangulate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/layout/layout_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/write/write_mesh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/allocation_faults.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/page_buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/page_size.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/parallel_pair.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/reserved_block.cpp
  ${CMAKE_CURRENT_LIST_DIR}/companion/alternating_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/companion/distinct_points.cpp
  ${CMAKE_CURRENT_LIST_DIR}/companion/quiet_call.cpp
  ${CMAKE_CURRENT_LIST_DIR}/companion/tree_order.cpp
)
