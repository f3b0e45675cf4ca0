// GeoJSON outputs: the mesh's triangles, and the points' Thiessen polygons.
#pragma once

#include <string>

#include "formats/controls/thiessen_cells.hpp"
#include "formats/mesh_write/mesh_view.hpp"
#include "formats/mesh_write/terrain_options.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"

namespace d2dcli {

// A FeatureCollection named name, with one Polygon per triangle; its
// properties: "index" (the triangle's), "a", "b", "c" (its corners' input
// indices) and, with z, "z_mean".
void write_geojson_triangles(TextSink& sink, const MeshView& mesh, const std::string& name, const std::string& crs,
                             const Progress& progress);

// One Polygon per input point that has a cell (thiessen_cells.hpp), a
// MultiPolygon for a cell that --clip cuts in pieces; properties "index"
// (the point's input index), "id" and "z" when the input gave them.
void write_geojson_cells(TextSink& sink, const MeshView& mesh, const ThiessenCells& cells, const std::string& name,
                         const std::string& crs, const Progress& progress);

// The file's name without folder and extension: the layer's name in QGIS.
std::string layer_name(const std::string& path);

}  // namespace d2dcli
