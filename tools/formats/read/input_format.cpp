#include "formats/read/input_format.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string>

#include "formats/read/input_error.hpp"
#include "formats/read/las_points.hpp"
#include "formats/read/ply_points.hpp"
#include "formats/read/node_points.hpp"
#include "formats/read/text_points.hpp"
#include "formats/read/value_fields.hpp"
#include "formats/read/vector_file.hpp"

namespace d2dcli {

std::optional<InputFormat> input_format_named(std::string_view name) {
    if (name == "auto") {
        return InputFormat::automatic;
    }
    if (name == "text") {
        return InputFormat::text;
    }
    if (name == "node") {
        return InputFormat::node;
    }
    if (name == "geojson") {
        return InputFormat::geojson;
    }
    if (name == "ogr") {
        return InputFormat::ogr;
    }
    if (name == "las") {
        return InputFormat::las;
    }
    if (name == "ply") {
        return InputFormat::ply;
    }
    return std::nullopt;
}

InputFormat input_format_of_path(std::string_view path) {
    std::size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) {
        return InputFormat::automatic;
    }
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "node") {
        return InputFormat::node;
    }
    if (extension == "poly") {
        return InputFormat::poly;
    }
    if (extension == "geojson") {
        return InputFormat::geojson;
    }
    if (extension == "las" || extension == "laz") {
        return InputFormat::las;
    }
    if (extension == "ply") {
        return InputFormat::ply;
    }
    // Vector formats GDAL reads (a folder such as a File Geodatabase is
    // named by --input-format ogr).
    static const std::array<const char*, 12> ogr_extensions = {"shp", "gpkg", "gml", "kml", "kmz", "fgb",
                                                               "sqlite", "tab", "mif", "gpx", "dxf", "gdb"};
    for (const char* known : ogr_extensions) {
        if (extension == known) {
            return InputFormat::ogr;
        }
    }
    static const std::array<const char*, 8> text_extensions = {"txt", "csv", "tsv", "xy", "xyz", "dat", "pts", "asc"};
    for (const char* known : text_extensions) {
        if (extension == known) {
            return InputFormat::text;
        }
    }
    return InputFormat::automatic;
}

InputFormat input_format_of_content(std::string_view start) {
    if (looks_like_las(start.data(), start.size())) {
        return InputFormat::las;
    }
    if (looks_like_ply(start.data(), start.size())) {
        return InputFormat::ply;
    }
    const std::size_t first = without_byte_order_mark(start).find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && without_byte_order_mark(start)[first] == '{') {
        return InputFormat::geojson;
    }
    ValueFields fields;
    int content_lines = 0;
    while (!start.empty() && content_lines < 2) {
        std::size_t end = start.find('\n');
        if (end == std::string_view::npos) {
            // A cut last line says nothing reliable unless it is all there is.
            end = start.size();
        }
        std::string_view line = without_byte_order_mark(start.substr(0, end));
        start.remove_prefix(end == start.size() ? end : end + 1);
        if (split_fields(line, fields) != nullptr) {
            return InputFormat::text;
        }
        if (fields.count == 0) {
            continue;
        }
        std::int64_t value[4] = {0, 0, 0, 0};
        std::size_t checked = std::min<std::size_t>(fields.count, 4);
        for (std::size_t i = 0; i < checked; ++i) {
            if (!parse_integer(fields.field[i], value[i])) {
                if (content_lines == 1 && i > 0) {
                    break;  // a vertex line's coordinates need not be integers
                }
                return InputFormat::text;
            }
        }
        if (content_lines == 0) {
            // "<vertices> 2 <attributes> <markers>"; a plain "x y" line with
            // y = 2 would need all four to look like this to be mistaken.
            if (fields.count != 4 || value[0] < 0 || value[1] != 2 || value[2] < 0 || value[3] < 0 ||
                value[3] > 1) {
                return InputFormat::text;
            }
        } else if (fields.count < 3 || (value[0] != 0 && value[0] != 1)) {
            return InputFormat::text;
        }
        ++content_lines;
    }
    return content_lines == 2 ? InputFormat::node : InputFormat::text;
}

PointSet read_points(LineSource& source, InputFormat format, const std::string& id_column) {
    ReadRequest request;
    request.id_column = id_column;
    return read_points(source, format, request);
}

PointSet read_points(LineSource& source, InputFormat format, const ReadRequest& request) {
    if (format == InputFormat::automatic) {
        format = input_format_of_path(source.name());
    }
    if (format == InputFormat::automatic) {
        format = input_format_of_content(source.peek());
    }
    if (carries_segments(format)) {
        return read_input(source, format, request).content.points;
    }
    if (format != InputFormat::las && !request.classes.empty()) {
        throw InputError(source.name() + ": --classes keeps LAS points by their classification; this input has no "
                                         "classes");
    }
    if ((format == InputFormat::las || format == InputFormat::ply) &&
        (!request.id_column.empty() || !request.vector.z_column.empty())) {
        throw InputError(source.name() + ": --id-column and --z-column read a text file's columns; a " +
                         (format == InputFormat::las ? "LAS" : "PLY") + " file has none (z is its own)");
    }
    if (format == InputFormat::las) {
        std::string crs;
        return read_las_points(source, PointClasses(request.classes), crs);
    }
    if (format == InputFormat::ply) {
        return read_ply_points(source);
    }
    if (format == InputFormat::node && !request.id_column.empty()) {
        throw InputError(source.name() + ": --id-column reads a text file with a header; a .node file has none");
    }
    if (format == InputFormat::node && !request.vector.z_column.empty()) {
        throw InputError(source.name() + ": --z-column reads a text file with a header; a .node file has none "
                                         "(its first attribute is z)");
    }
    return format == InputFormat::node ? read_node_points(source)
                                       : read_text_points(source, request.id_column, request.vector.z_column);
}

InputRead read_input(LineSource& source, InputFormat format, const std::string& id_column) {
    ReadRequest request;
    request.id_column = id_column;
    return read_input(source, format, request);
}

InputRead read_input(LineSource& source, InputFormat format, const ReadRequest& request) {
    InputRead input;
    // The extension of an input with segments outranks --input-format:
    // those files are read whole by their own readers.
    InputFormat by_name = input_format_of_path(source.name());
    if (format == InputFormat::ogr || (format == InputFormat::geojson && !carries_segments(by_name))) {
        by_name = format;
    }
    if (!carries_segments(by_name) && format == InputFormat::automatic &&
        input_format_of_content(source.peek()) == InputFormat::geojson) {
        by_name = InputFormat::geojson;  // standard input, or a name that says nothing
    }
    if (carries_segments(by_name)) {
        if (!request.classes.empty()) {
            throw InputError(source.name() + ": --classes keeps LAS points by their classification; this input has "
                                             "no classes");
        }
        if (by_name == InputFormat::poly && !request.vector.z_column.empty()) {
            throw InputError(source.name() + ": --z-column names a column or a field; a .poly file has none "
                                             "(its first attribute is z)");
        }
        input.format = by_name;
        input.content = by_name == InputFormat::poly      ? read_poly(source)
                        : by_name == InputFormat::geojson ? read_geojson(source, request.vector)
                                                          : read_vector_file(source.name(), request.vector);
        return input;
    }
    if (format == InputFormat::automatic) {
        format = by_name;
    }
    if (format == InputFormat::automatic) {
        format = input_format_of_content(source.peek());
    }
    input.format = format;
    if (format == InputFormat::las && request.id_column.empty() && request.vector.z_column.empty()) {
        // LAS alone among point files records its coordinate system.
        input.content.points = read_las_points(source, PointClasses(request.classes), input.content.crs);
        return input;
    }
    input.content.points = read_points(source, format, request);
    return input;
}

}  // namespace d2dcli
