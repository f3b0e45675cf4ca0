// The raster's rows with the cells that --max-edge and --clip leave out set
// to NODATA: a cell goes when its centre lies in no kept triangle (found
// by the library's exact point location on the kept triangles, so a centre
// on an edge between a kept and a left-out triangle stays) or outside the
// --clip polygon (clip_polygon.hpp). The values of the cells that stay are
// those of the unclipped surface.
#pragma once

#include "formats/controls/clip_polygon.hpp"
#include "formats/mesh_write/mesh_view.hpp"
#include "formats/raster/raster_grid.hpp"

namespace d2dcli {

// kept null: every triangle stays; clip null: no polygon. Both must outlive
// the rows returned.
GridRows masked_rows(GridRows rows, const RasterGrid& grid, const MeshView* kept, const ClipPolygon* clip,
                     unsigned threads);

}  // namespace d2dcli
