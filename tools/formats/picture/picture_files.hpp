// The picture as PNG: the SVG drawn in memory, then rendered by librsvg.
#pragma once

#include <string>
#include <string_view>

#include "formats/mesh_write/mesh_writers.hpp"

namespace d2dcli {

// The SVG that write_svg draws, as text.
std::string draw_svg_in_memory(const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                               SvgPicture& picture);

// Renders svg at its own size and writes the PNG to fd. Throws OutputError
// (naming name), also when the program was built without librsvg.
void write_png(const std::string& name, int fd, std::string_view svg);

}  // namespace d2dcli
