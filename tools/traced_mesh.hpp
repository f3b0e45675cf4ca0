// The triangulation through the library's traced entry point,
// create_mesh_2d, which prints a line per point, per base mesh and per
// merge on standard output: those lines go to a file of the user's choice.
#pragma once

#include <string>

#include "formats/output/atomic_file.hpp"
#include "formats/mesh_write/indexed_mesh.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

// Triangulates points with create_mesh_2d, its standard output sent to
// trace (a file not yet in place: the caller puts it there once the whole
// run has succeeded), and returns the mesh as indices. The entry point ends
// the process when given fewer than three points, so such input is not
// handed to it: the mesh is then empty and the trace file too. When it ends
// the process for want of memory, the reason is said on standard error and
// no file is left behind. Throws OutputError when the trace cannot be
// written whole.
IndexedMesh triangulate_traced(const PointSet& points, AtomicFile& trace);

}  // namespace d2dcli
