# The command-line program runs end to end on a small sample of each kind;
# it exits non-zero when the links of the mesh are not symmetric or the
# triangle count does not fit the vertex and hull counts.
if(TARGET delaunay2d-triangulate)
  foreach(dist uniform clusters grid circle)
    add_test(NAME triangulate_tool_${dist}
             COMMAND delaunay2d-triangulate --n 2000 --dist ${dist} --seed 7)
  endforeach()
endif()
