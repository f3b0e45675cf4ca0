# The command-line program's outputs read back by independent readers.
# (The program's other behaviour is tested by delaunay2d_cli_tests.)
if(NOT TARGET delaunay2d_cli)
  return()
endif()

# Under AddressSanitizer: the font caches fontconfig keeps for the life of
# the process, which every --png reaches through librsvg.
set(font_cache_leaks "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/cli/font_caches.supp")

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
  ENVIRONMENT "${font_cache_leaks}")

# PLY, GeoTIFF, ASCII grid, GeoJSON (triangles and Thiessen polygons), z
# and ids in the other formats, standard output.
if(DELAUNAY2D_GDAL_PYTHON)
  add_test(NAME cli_terrain_outputs
           COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/terrain_outputs.py
                   $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_terrain)
  set_tests_properties(cli_terrain_outputs PROPERTIES TIMEOUT 300 ENVIRONMENT "${font_cache_leaks}")
  # The DEM and TIN made tile by tile (--memory) equal to the one-pass
  # run's: GDAL, meshio and a parser of Triangle's files read them back.
  execute_process(COMMAND ${DELAUNAY2D_GDAL_PYTHON} -c "import meshio"
                  RESULT_VARIABLE tiled_meshio_missing OUTPUT_QUIET ERROR_QUIET)
  if(tiled_meshio_missing EQUAL 0)
    add_test(NAME cli_tiled_outputs
             COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/tiled_outputs.py
                     $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_tiled)
    set_tests_properties(cli_tiled_outputs PROPERTIES TIMEOUT 600 ENVIRONMENT "${font_cache_leaks}")
  else()
    message(WARNING "no meshio beside GDAL's python: the tiled outputs test is not registered")
  endif()
  # Vector inputs made by ogr2ogr (GeoJSON, Shapefile, GeoPackage, CSV),
  # attributes, layers and a breakline DEM, read back by GDAL.
  find_program(DELAUNAY2D_OGR2OGR ogr2ogr)
  if(DELAUNAY2D_OGR2OGR AND TARGET delaunay2d_formats)
    add_test(NAME cli_vector_inputs
             COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/vector_inputs.py
                     $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_vector)
    set_tests_properties(cli_vector_inputs PROPERTIES TIMEOUT 300 ENVIRONMENT "${font_cache_leaks}")
  endif()
  # LAS files packed by struct and PLY files by meshio, read by the
  # program; a ground DTM (--classes 2) read back by GDAL.
  if(TARGET delaunay2d_formats)
    add_test(NAME cli_point_cloud_inputs
             COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/point_cloud_inputs.py
                     $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_point_clouds)
    set_tests_properties(cli_point_cloud_inputs PROPERTIES TIMEOUT 300)
  endif()
  # --align, --nodata, --clip, --max-edge, Thiessen cells cut to the hull
  # or a polygon, the picture options, the summary's stages.
  add_test(NAME cli_gis_controls
           COMMAND ${DELAUNAY2D_GDAL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/cli/gis_controls.py
                   $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_gis_controls)
  set_tests_properties(cli_gis_controls PROPERTIES TIMEOUT 300 ENVIRONMENT "${font_cache_leaks}")
else()
  message(WARNING "no python3 with GDAL's bindings: the terrain output test is not registered "
                  "(Debian: apt-get install -y python3-gdal)")
endif()

# Refined meshes (angles, areas, regions) from Triangle's files, .vtu and
# .msh read back with meshio, and the commands of doc/quality.md.
execute_process(COMMAND /usr/bin/python3 -c "import meshio, numpy"
                RESULT_VARIABLE meshio_missing OUTPUT_QUIET ERROR_QUIET)
if(meshio_missing EQUAL 0)
  add_test(NAME cli_quality_outputs
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/cli/quality_outputs.py
                   $<TARGET_FILE:delaunay2d_cli> ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/cli_quality)
  set_tests_properties(cli_quality_outputs PROPERTIES TIMEOUT 300 ENVIRONMENT "${font_cache_leaks}")
else()
  message(WARNING "no /usr/bin/python3 with meshio: the .vtu and .msh test is not registered "
                  "(Debian: apt-get install -y python3-meshio)")
endif()
