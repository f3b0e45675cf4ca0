// The picture's page: where the drawing, its header, legend and footer lie,
// how map coordinates become page coordinates, and the captions drawn
// around the mesh (title, legend, scale bar, coordinate range). Shared by
// the layers of the drawing (svg_picture.cpp) and the captions
// (svg_captions.cpp); the page is fitted in svg_page.cpp.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "formats/picture/colour_ramp.hpp"
#include "formats/mesh_write/mesh_view.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/mesh_write/written_points.hpp"

namespace d2dcli::svg {

//   +--------------------------------------------+
//   | title, what is shown                       |   header
//   +----------------------------------+---------+
//   |                                  | legend  |
//   |   drawing: 1000 px on its long   | (with z)|
//   |   side, y up                     |         |
//   +----------------------------------+---------+
//   | scale bar   coordinate range   sampling    |   footer
//   +--------------------------------------------+
constexpr double drawing_side = 1000.0;
constexpr double margin = 16.0;
constexpr double header_height = 52.0;
constexpr double footer_height = 64.0;
constexpr double legend_width = 110.0;
constexpr int bands = 24;            // colour bands of the shading
constexpr double grid_pixels = 4.0;  // the side of a square of grid shading

// Page coordinates are taken from halves of the differences, (x/2 -
// min_x/2) * (2 scale): the difference of two doubles may exceed the
// largest double (1e308 and -1e308), half of it never does.
struct Page {
    double min_x = 0.0, max_x = 0.0, min_y = 0.0, max_y = 0.0;
    double double_scale = 2.0;  // twice the scale from coordinates to pixels
    double shift_x = 0.0;       // pixels that centre a flat set on its drawing
    double shift_y = 0.0;
    double width = drawing_side, height = drawing_side;  // of the drawing
    double left = margin, top = header_height;

    double x(double map_x) const { return left + shift_x + (0.5 * map_x - 0.5 * min_x) * double_scale; }
    // y grows upward on a map
    double y(double map_y) const { return top + shift_y + (0.5 * max_y - 0.5 * map_y) * double_scale; }
    double scale() const { return 0.5 * double_scale; }
};

// The drawing fitted to the extent of the written points' finite coordinates.
Page fit_page(const MeshView& mesh, const WrittenPoints& written);

// z cut into the colour bands of the shading.
struct ZRange {
    double low = 0.0, high = 0.0;
    int band(double z) const {
        if (!(high > low)) {
            return bands / 2;
        }
        return std::clamp(static_cast<int>((z - low) / (high - low) * bands), 0, bands - 1);
    }
};

// The range of z over the written points.
ZRange z_range(const MeshView& mesh, const WrittenPoints& written);

inline std::string band_colour(int band) { return ramp_colour((band + 0.5) / bands); }

// Text as XML character data.
void put_xml_text(TextSink& sink, std::string_view text);

// Opens a <text> element at (x, y); the caller writes the text and closes it.
void put_text(TextSink& sink, double x, double y, int size, const char* anchor, std::string_view weight = "normal");

// The colour bar of the shading, headed by label, right of the drawing.
void put_legend(TextSink& sink, const Page& page, const ZRange& range, const std::string& label);

// A scale bar of a round length and the coordinate range, under the drawing.
void put_scale_and_range(TextSink& sink, const Page& page);

}  // namespace d2dcli::svg
