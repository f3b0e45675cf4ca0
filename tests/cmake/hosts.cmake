# A small C host program of the shared library. It is built as strict C11
# from the public header alone, which also proves that the header is plain C,
# and the process-level tests run it to observe fatal exits and trace bytes.
add_executable(delaunay2d_fatal_host ${CMAKE_CURRENT_SOURCE_DIR}/hosts/fatal_host.c)
set_target_properties(delaunay2d_fatal_host PROPERTIES
  C_STANDARD 11
  C_STANDARD_REQUIRED ON
  C_EXTENSIONS OFF)
target_compile_options(delaunay2d_fatal_host PRIVATE -Wall -Wextra -Wpedantic -Werror)
target_link_libraries(delaunay2d_fatal_host PRIVATE delaunay2d)

add_dependencies(delaunay2d_tests delaunay2d_fatal_host)
target_compile_definitions(delaunay2d_tests PRIVATE
  DELAUNAY2D_FATAL_HOST="$<TARGET_FILE:delaunay2d_fatal_host>")

# The README's first example, built as strict C11 and run: it must find both
# triangles and say which point stands for the repeated one.
add_executable(delaunay2d_index_array_host ${CMAKE_CURRENT_SOURCE_DIR}/hosts/index_array_host.c)
set_target_properties(delaunay2d_index_array_host PROPERTIES
  C_STANDARD 11
  C_STANDARD_REQUIRED ON
  C_EXTENSIONS OFF)
target_compile_options(delaunay2d_index_array_host PRIVATE -Wall -Wextra -Wpedantic -Werror)
target_link_libraries(delaunay2d_index_array_host PRIVATE delaunay2d)
add_test(NAME index_array_host_readme_example COMMAND delaunay2d_index_array_host)
set_tests_properties(index_array_host_readme_example PROPERTIES
  PASS_REGULAR_EXPRESSION "triangle 1: points [0-3] [0-3] [0-3].*hull: [0-3] [0-3] [0-3] [0-3]\npoint 4 is point 3")

# Both front ends on a host thread with a 16 KiB stack, from the smallest
# input to one deep enough for every stage of the recursion and of the exact
# predicates. A stack overflow ends the host by SIGSEGV, which fails the test.
add_executable(delaunay2d_small_stack_host ${CMAKE_CURRENT_SOURCE_DIR}/hosts/small_stack_host.c)
set_target_properties(delaunay2d_small_stack_host PROPERTIES
  C_STANDARD 11
  C_STANDARD_REQUIRED ON
  C_EXTENSIONS OFF)
target_compile_options(delaunay2d_small_stack_host PRIVATE -Wall -Wextra -Wpedantic -Werror)
target_link_libraries(delaunay2d_small_stack_host PRIVATE delaunay2d Threads::Threads)
# The bound holds for optimised builds; sanitizers and -O0 make every frame
# several times larger.
if(NOT DELAUNAY2D_SANITIZE AND NOT DELAUNAY2D_SANITIZE_THREAD AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
  foreach(points 3 100 20000)
    add_test(NAME small_stack_host_${points}_points COMMAND delaunay2d_small_stack_host 16384 ${points})
    set_tests_properties(small_stack_host_${points}_points PROPERTIES PASS_REGULAR_EXPRESSION "^ok\n$")
  endforeach()
endif()
