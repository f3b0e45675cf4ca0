// The format module's one exported symbol: its table of writers.
#include "formats/module/format_module.hpp"
#include "formats/module/format_module_parts.hpp"

extern "C" __attribute__((visibility("default"))) const d2dcli::FormatModuleEntries* delaunay2d_format_module() {
    static const d2dcli::FormatModuleEntries entries = {
#ifdef DELAUNAY2D_HAVE_GDAL
        &d2dcli::gdal_write_geotiff,
#else
        nullptr,
#endif
#ifdef DELAUNAY2D_HAVE_RSVG
        &d2dcli::rsvg_write_png,
#else
        nullptr,
#endif
#ifdef DELAUNAY2D_HAVE_GDAL
        &d2dcli::ogr_read_vector,
#else
        nullptr,
#endif
    };
    return &entries;
}
