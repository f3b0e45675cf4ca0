// Which reader a point file needs: told by the user, by the file's extension
// (.node is Triangle's; .txt, .csv, .xyz and the like are text), or, for
// standard input and other names, by the first lines of the content.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

enum class InputFormat { automatic, text, node };

// "auto", "text" or "node"; nothing for another name.
std::optional<InputFormat> input_format_named(std::string_view name);

// The format that a path's extension stands for; automatic when it says none.
InputFormat input_format_of_path(std::string_view path);

// The format that the start of a file looks like: node when its first
// values line is a .node header (counts, dimension 2) and the next begins
// with vertex number 0 or 1; text otherwise.
InputFormat input_format_of_content(std::string_view start);

// Reads every point of source in the given format, finding it out from the
// source's name and content when it is automatic. Throws InputError.
// id_column as for read_text_points.
PointSet read_points(LineSource& source, InputFormat format, const std::string& id_column = {});

}  // namespace d2dcli
