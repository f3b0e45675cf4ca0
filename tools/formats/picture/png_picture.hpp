// The picture as PNG: the SVG rendered by librsvg, inside the format module
// (formats/module/format_module.hpp), so that the program loads librsvg only
// when it writes a PNG.
#pragma once

#include <string>
#include <string_view>

namespace d2dcli {

// Renders svg at its own size and writes the PNG to fd. Throws OutputError
// (naming name), also when the program was built without librsvg.
void write_png(const std::string& name, int fd, std::string_view svg);

}  // namespace d2dcli
