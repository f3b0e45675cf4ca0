// GeoTIFF, PNG and the vector files OGR reads come from large libraries of the field (GDAL, librsvg
// with cairo and pango), which a program linked against them would load on
// every run: some 40 MB and 50 ms before reading a single point, for every
// summary and every OFF file, and enough to fail under a tight limit on
// address space. They live in a module of their own instead,
// libdelaunay2d_formats.so beside the program (or in LIBDIR/delaunay2d once
// installed), opened the first time a GeoTIFF or a PNG is written.
#pragma once

#include <string>
#include <string_view>

#include "formats/raster/raster_grid.hpp"
#include "formats/output/write_progress.hpp"
#include "formats/read/vector_features.hpp"

namespace d2dcli {

// The module's table, as delaunay2d_format_module() returns it. An entry
// is null when the module was built without its library. Both sides are
// built from this one header by one build, so they agree on the layout.
struct FormatModuleEntries {
    void (*write_geotiff)(const std::string& name, int fd, const RasterGrid& grid, const GridRows& rows,
                          const std::string& crs, const Progress& progress);
    void (*write_png)(const std::string& name, int fd, std::string_view svg);
    void (*read_vector)(const std::string& path, const VectorRequest& request, FeatureSink& sink);
};

// The loaded module's table, or null (why then says what went wrong).
const FormatModuleEntries* format_module(std::string& why);

}  // namespace d2dcli

extern "C" const d2dcli::FormatModuleEntries* delaunay2d_format_module();
