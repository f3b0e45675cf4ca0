# Quality refinement: the independent checker on the classic shapes at
# several bounds, and the counts beside Triangle's program where it is
# installed, in a program of its own so that a refinement that never ends
# fails by this timeout.
add_executable(delaunay2d_quality_tests
  ${CMAKE_CURRENT_SOURCE_DIR}/quality/refinement_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/quality/triangle_program.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/quality_checker.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/constrained_checker.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/exact_rational.cpp)
target_include_directories(delaunay2d_quality_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(delaunay2d_quality_tests PRIVATE delaunay2d_static delaunay2d_common GTest::gtest_main ${GMP_LIBRARY})
target_compile_options(delaunay2d_quality_tests PRIVATE ${DELAUNAY2D_WARNINGS})
gtest_discover_tests(delaunay2d_quality_tests DISCOVERY_TIMEOUT 120 PROPERTIES TIMEOUT 300)
