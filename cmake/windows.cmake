# Windows-only targets: the host program that loads delaunay2d.dll at run
# time, as a Windows application does. tests/windows/run_windows_tests.sh
# builds it (cross-compiled with cmake/mingw-w64-x86_64.cmake) and runs it
# under wine.
add_executable(windows_host ${PROJECT_SOURCE_DIR}/tests/windows/windows_host.c)
target_include_directories(windows_host PRIVATE ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/tests)
set_target_properties(windows_host PROPERTIES
  C_STANDARD 11
  C_STANDARD_REQUIRED ON
  C_EXTENSIONS OFF)
target_compile_options(windows_host PRIVATE ${DELAUNAY2D_WARNINGS})
# Nothing but system DLLs, like the library; the library itself is loaded by
# name, never linked, so it is only a build-order dependency.
target_link_options(windows_host PRIVATE -static-libgcc -static)
add_dependencies(windows_host delaunay2d)
