// The writers of the mesh formats. Each writes one file to a sink: the
// written points (see written_points.hpp) in file order, then what the
// format holds of the triangles. Triangles keep the order of the mesh and
// list their vertices counter-clockwise; "neighbour k" is always the
// triangle across the edge opposite vertex k, -1 on the hull, as in
// Triangle's .neigh files.
#pragma once

#include "formats/mesh_write/mesh_view.hpp"
#include "formats/mesh_write/written_points.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"

namespace d2dcli {

// OFF: "OFF", counts, "x y z" per point (z 0 without z), "3 a b c" per triangle (0-based).
void write_off(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// Wavefront OBJ: "v x y z" per point, "f a b c" per triangle (1-based).
void write_obj(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// JSON: {"points": [[x, y], ...] ([x, y, z] with z), "triangles": [[a, b, c], ...],
// "neighbours": [[n0, n1, n2], ...], "hull": [...]} and with ids "ids":
// ["...", ...] in the points' order, all 0-based; a
// coordinate that is not finite (only with every point kept) is null.
void write_json(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// Triangle's files, numbered from first_number (1 as Triangle writes them,
// or 0): .node "<number> x y [z [w]] [id] <marker>" with marker 1 for a
// point on the hull, z and w (as far as the input gave them) and the id as
// attributes; .ele "<number> a b c", with the region attribute as a fourth
// column (header "n 3 1") when the mesh has regions; .neigh "<number> n0 n1 n2"; and for a
// mesh with segments .poly: the points (numbered as in the .node file) and
// the segments as split, with no holes (the removed parts are gone from
// the .ele already).
void write_node(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
                const Progress& progress);
void write_ele(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
               const Progress& progress);
void write_neigh(TextSink& sink, const MeshView& mesh, int first_number, const Progress& progress);
void write_poly(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number);

// PLY with x, y, z (0 without z) per point as doubles and the triangles as
// faces: binary little-endian, or ASCII.
void write_ply(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, bool ascii,
               const Progress& progress);

// VTK's XML unstructured grid (vtu_file.cpp), ASCII: points, triangles,
// point data "z" with z, cell data "region" with regions.
void write_vtu(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

// gmsh 4.1 ASCII (gmsh_file.cpp): a physical surface per region, the
// region attribute as element data "region", z as node data "z".
void write_msh(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress);

}  // namespace d2dcli
