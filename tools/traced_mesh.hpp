// The triangulation through the library's traced entry point,
// create_mesh_2d, which prints a line per point, per base mesh and per
// merge on standard output: those lines go to a file of the user's choice.
#pragma once

#include <string>

#include "mesh_files/indexed_mesh.hpp"
#include "mesh_files/point_set.hpp"

namespace d2dcli {

// Triangulates points with create_mesh_2d, its standard output sent to
// trace_path, and returns the mesh as indices. The entry point ends the
// process when given fewer than three points, so such input is not handed
// to it: the mesh is then empty and the trace file too. Throws OutputError
// when the trace file cannot be opened.
IndexedMesh triangulate_traced(const PointSet& points, const std::string& trace_path);

}  // namespace d2dcli
