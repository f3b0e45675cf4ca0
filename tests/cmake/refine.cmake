# Quality refinement of the constrained call, in a program of its own so
# that a refinement that never ends fails by this shorter timeout.
file(GLOB DELAUNAY2D_REFINE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/refine/*_test.cpp)
add_executable(delaunay2d_refine_tests ${DELAUNAY2D_REFINE_TEST_SOURCES} ${DELAUNAY2D_TEST_SUPPORT})
target_include_directories(delaunay2d_refine_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(delaunay2d_refine_tests PRIVATE delaunay2d_static delaunay2d_common GTest::gtest_main ${GMP_LIBRARY} ${CMAKE_DL_LIBS})
target_compile_options(delaunay2d_refine_tests PRIVATE ${DELAUNAY2D_WARNINGS})
target_compile_definitions(delaunay2d_refine_tests PRIVATE
  DELAUNAY2D_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  DELAUNAY2D_FIXTURES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
gtest_discover_tests(delaunay2d_refine_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 120)

# The C example of doc/constraints.md's quality section, as strict C11.
add_executable(delaunay2d_quality_host ${CMAKE_CURRENT_SOURCE_DIR}/hosts/quality_host.c)
set_target_properties(delaunay2d_quality_host PROPERTIES C_STANDARD 11 C_STANDARD_REQUIRED ON C_EXTENSIONS OFF)
target_compile_options(delaunay2d_quality_host PRIVATE -Wall -Wextra -Wpedantic -Werror)
target_link_libraries(delaunay2d_quality_host PRIVATE delaunay2d)
add_dependencies(delaunay2d_refine_tests delaunay2d_quality_host)
add_test(NAME quality_host_doc_example COMMAND delaunay2d_quality_host)
set_tests_properties(quality_host_doc_example PROPERTIES TIMEOUT 60
  PASS_REGULAR_EXPRESSION "region 1: [0-9]+, smallest angle >= 30, unrefined 0")
