# The command-line program's picture, drawn for 10^5 points and rendered by
# rsvg-convert: proves the SVG well formed and not empty. (The program's
# other behaviour is tested by delaunay2d_cli_tests.)
if(TARGET delaunay2d_cli)
  add_test(NAME cli_picture_renders
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/cli/render_picture.sh
                   $<TARGET_FILE:delaunay2d_cli> ${CMAKE_CURRENT_BINARY_DIR}/cli_picture)
  set_tests_properties(cli_picture_renders PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
