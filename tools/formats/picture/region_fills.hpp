// Triangles coloured by their region's attribute, and the legend that
// names each colour: the picture of a mesh whose input had regions (the
// materials of a finite-element model).
#pragma once

#include <vector>

#include "formats/mesh_write/mesh_view.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"
#include "formats/picture/svg_page.hpp"

namespace d2dcli::svg {

// The distinct attributes of the mesh's triangles, increasing.
std::vector<double> region_values(const MeshView& mesh);

// Fills every triangle with its region's colour, one group of paths per
// region.
void put_region_fills(TextSink& sink, const Page& page, const MeshView& mesh, const std::vector<double>& values,
                      ProgressSteps& steps);

// A swatch and the attribute of each region (the first 20; a line says how
// many more there are).
void put_region_legend(TextSink& sink, const Page& page, const std::vector<double>& values);

}  // namespace d2dcli::svg
