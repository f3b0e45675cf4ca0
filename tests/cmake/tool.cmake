# The command-line program's outputs read back by independent readers.
# (The program's other behaviour is tested by delaunay2d_cli_tests.)
if(NOT TARGET delaunay2d_cli)
  return()
endif()

# A python3 with GDAL's bindings (Debian: python3-gdal), and numpy which
# they read rasters into: CMake's first, else the system's.
find_package(Python3 COMPONENTS Interpreter)
set(DELAUNAY2D_GDAL_PYTHON "")
foreach(candidate ${Python3_EXECUTABLE} /usr/bin/python3)
  if(EXISTS ${candidate})
    execute_process(COMMAND ${candidate} -c "from osgeo import gdal, ogr, osr; import numpy"
                    RESULT_VARIABLE missing OUTPUT_QUIET ERROR_QUIET)
    if(missing EQUAL 0)
      set(DELAUNAY2D_GDAL_PYTHON ${candidate})
      break()
    endif()
  endif()
endforeach()

# The pictures at 10^5 and 10^6 points, rendered by rsvg-convert: proves
# them well formed, under the size renderers accept, and not empty.
set(picture_python ${DELAUNAY2D_GDAL_PYTHON})
if(NOT picture_python)
  set(picture_python python3)
endif()
add_test(NAME cli_picture_renders
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/render_picture.sh
                 $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_picture ${picture_python})
set_tests_properties(cli_picture_renders PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/cli/font_caches.supp")

# PLY, GeoTIFF, ASCII grid, GeoJSON (triangles and Thiessen polygons), z
# and ids in the other formats, standard output.
if(DELAUNAY2D_GDAL_PYTHON)
  add_test(NAME cli_terrain_outputs
           COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/terrain_outputs.py
                   $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_terrain)
  set_tests_properties(cli_terrain_outputs PROPERTIES TIMEOUT 300)
  # Vector inputs made by ogr2ogr (GeoJSON, Shapefile, GeoPackage, CSV),
  # attributes, layers and a breakline DEM, read back by GDAL.
  find_program(DELAUNAY2D_OGR2OGR ogr2ogr)
  if(DELAUNAY2D_OGR2OGR AND TARGET delaunay2d_formats)
    add_test(NAME cli_vector_inputs
             COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/vector_inputs.py
                     $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_vector)
    set_tests_properties(cli_vector_inputs PROPERTIES TIMEOUT 300)
  endif()
else()
  message(WARNING "no python3 with GDAL's bindings: the terrain output test is not registered "
                  "(Debian: apt-get install -y python3-gdal)")
endif()
