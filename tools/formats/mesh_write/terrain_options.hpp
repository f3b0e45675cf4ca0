// What the terrain outputs (rasters, Thiessen polygons, PLY, the shaded
// picture) need beside the mesh: the grid's cell and extent, the way the
// surface is interpolated, the coordinate system to record, and the caller's
// thread budget.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace d2dcli {

class ClipPolygon;

enum class SurfaceMethod { linear, natural };

struct TerrainOptions {
    double cell = 0.0;                              // raster cell size in map units; 0: not given
    std::optional<std::array<double, 4>> bounds;    // xmin ymin xmax ymax; default: the mesh's extent
    SurfaceMethod method = SurfaceMethod::linear;
    std::string crs;                                // "EPSG:code", or empty
    bool voronoi = false;                           // GeoJSON: Thiessen polygons instead of triangles
    bool ascii = false;                             // PLY: text instead of binary
    bool align = false;                             // raster origin on whole multiples of the cell
    double nodata = -9999.0;                        // raster value of cells with no data
    double max_edge = 0.0;                          // leave out triangles with a longer edge; 0: none
    std::shared_ptr<const ClipPolygon> clip;        // leave out what lies outside it; null: none
    unsigned threads = 0;
};

// The numeric code of "EPSG:code" (any case), or nothing for another text.
std::optional<int> epsg_code(const std::string& crs);

}  // namespace d2dcli
