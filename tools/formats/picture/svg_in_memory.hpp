// The picture's SVG as text in memory, for the PNG renderer.
#pragma once

#include <string>

#include "formats/picture/svg_picture.hpp"

namespace d2dcli {

// The SVG that write_svg draws, as text. name is the file the picture is
// for, named by messages (the memory it is drawn in counts against a
// file-size limit like a file).
std::string draw_svg_in_memory(const std::string& name, const MeshView& mesh, const WrittenPoints& written, const SvgLimits& limits,
                               SvgPicture& picture);

}  // namespace d2dcli
