// The writers inside the format module (see format_module.hpp), each built
// only when its library was found.
#pragma once

#include <string>
#include <string_view>

#include "formats/raster/raster_grid.hpp"
#include "formats/output/write_progress.hpp"
#include "formats/read/vector_features.hpp"

namespace d2dcli {

void gdal_write_geotiff(const std::string& name, int fd, const RasterGrid& grid, const GridRows& rows,
                        const std::string& crs, const Progress& progress);
void rsvg_write_png(const std::string& name, int fd, std::string_view svg);
void ogr_read_vector(const std::string& path, const VectorRequest& request, FeatureSink& sink);

}  // namespace d2dcli
