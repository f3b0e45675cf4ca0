# Hosts written in Python load the shared library with ctypes: the records
# and entry points (test_ctypes.py), and the package's triangulate()
# against scipy and on every input of tests/fixtures (test_triangulate.py,
# with pytest), its queries, interpolators and Voronoi diagram
# (test_queries.py), its constrained call (test_constrained.py), its
# refinement and regions (test_refine.py), its tiled DEMs on a Dask cluster
# against the program's GeoTIFF (test_dask.py, when dask, distributed,
# xarray, rioxarray and GDAL's Python bindings are there), its module in the triangle
# package's terms beside Triangle's program (test_triangle_module.py), the scipy
# behaviours it copies (test_scipy_compat.py) and its import layers
# (test_package.py).
# Not under the sanitizers: an instrumented library cannot be loaded into an
# uninstrumented interpreter without preloading the sanitizer runtime.
if(DELAUNAY2D_SANITIZE OR DELAUNAY2D_SANITIZE_THREAD)
  return()
endif()

# The first python3 that has numpy, scipy and pytest: the one CMake finds
# first, else the system's (a python3 of its own on PATH, from pyenv or a
# virtual environment, often lacks Debian's python3-numpy and friends).
find_package(Python3 COMPONENTS Interpreter)
set(DELAUNAY2D_TEST_PYTHON "")
foreach(candidate ${Python3_EXECUTABLE} /usr/bin/python3)
  if(EXISTS ${candidate})
    execute_process(COMMAND ${candidate} -c "import numpy, scipy, pytest"
                    RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
    if(missing EQUAL 0)
      set(DELAUNAY2D_TEST_PYTHON ${candidate})
      break()
    endif()
  endif()
endforeach()
if(NOT DELAUNAY2D_TEST_PYTHON)
  message(WARNING "no python3 with numpy, scipy and pytest: the Python tests are not registered "
                  "(Debian: apt-get install -y python3-numpy python3-scipy python3-pytest)")
  return()
endif()

add_test(NAME python_ctypes_host
         COMMAND ${DELAUNAY2D_TEST_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/python/test_ctypes.py $<TARGET_FILE:delaunay2d>)
# The package from the source tree, with the library of this build.
add_test(NAME python_package
         COMMAND ${DELAUNAY2D_TEST_PYTHON} -m pytest -q -p no:cacheprovider
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_triangulate.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_queries.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_constrained.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_refine.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_triangle_module.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_scipy_compat.py
                 ${CMAKE_CURRENT_SOURCE_DIR}/python/test_package.py)
set_tests_properties(python_package PROPERTIES ENVIRONMENT
  "PYTHONPATH=${PROJECT_SOURCE_DIR}/bindings/python;DELAUNAY2D_LIBRARY=$<TARGET_FILE:delaunay2d>;DELAUNAY2D_FIXTURES=${CMAKE_CURRENT_SOURCE_DIR}/fixtures")

# delaunay2d.dask on a two-process LocalCluster, compared with the program's
# GeoTIFF: registered where its modules are installed.
execute_process(COMMAND ${DELAUNAY2D_TEST_PYTHON} -c "import dask, distributed, xarray, rioxarray, osgeo.gdal"
                RESULT_VARIABLE dask_missing OUTPUT_QUIET ERROR_QUIET)
if(dask_missing EQUAL 0 AND TARGET delaunay2d_cli)
  add_test(NAME python_dask
           COMMAND ${DELAUNAY2D_TEST_PYTHON} -m pytest -q -p no:cacheprovider ${CMAKE_CURRENT_SOURCE_DIR}/python/test_dask.py)
  set_tests_properties(python_dask PROPERTIES TIMEOUT 600 ENVIRONMENT
    "PYTHONPATH=${PROJECT_SOURCE_DIR}/bindings/python;DELAUNAY2D_LIBRARY=$<TARGET_FILE:delaunay2d>;DELAUNAY2D_PROGRAM=$<TARGET_FILE:delaunay2d_cli>")
else()
  message(STATUS "delaunay2d.dask's test is not registered: it needs python3-dask, python3-distributed, "
                 "python3-xarray, python3-rioxarray, python3-gdal and the program")
endif()
