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
