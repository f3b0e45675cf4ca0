// GeoJSON for GIS tools: the triangles, or each point's Thiessen (Voronoi)
// polygon, as Polygon features of one FeatureCollection. Rings are closed
// and counter-clockwise, as RFC 7946 asks; the legacy "crs" member is
// written only for a coordinate system the user named, since without one
// GeoJSON means WGS 84 longitude and latitude and QGIS takes it so.
#include <delaunay2d.h>

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <string>

#include "formats/mesh_write/geojson_files.hpp"
#include "formats/mesh_write/json_text.hpp"
#include "formats/mesh_write/library_mesh.hpp"
#include "formats/output/output_error.hpp"
#include "formats/raster/raster_grid.hpp"

namespace d2dcli {

namespace {

void put_header(TextSink& sink, const std::string& name, const std::string& crs) {
    sink.put("{\"type\": \"FeatureCollection\",\n\"name\": ");
    put_json_string(sink, name);
    sink.put(",\n");
    if (std::optional<int> code = epsg_code(crs)) {
        sink.put("\"crs\": {\"type\": \"name\", \"properties\": {\"name\": \"urn:ogc:def:crs:EPSG::");
        sink.put_integer(*code);
        sink.put("\"}},\n");
    }
    sink.put("\"features\": [");
}

void put_position(TextSink& sink, double x, double y) {
    sink.put('[');
    sink.put_shortest(x);
    sink.put(", ");
    sink.put_shortest(y);
    sink.put(']');
}

// The properties every feature of a point carries: its input index, and
// its id and z when the input gave them.
void put_point_properties(TextSink& sink, const MeshView& mesh, std::uint32_t i) {
    sink.put("\"index\": ");
    sink.put_integer(i);
    if (mesh.has_ids()) {
        sink.put(", \"id\": ");
        put_json_string(sink, mesh.ids->at(i));
    }
    if (mesh.has_z()) {
        sink.put(", \"z\": ");
        sink.put_shortest(mesh.z(i));
    }
}

// The triangle's label under the attribute's name: the feature's value,
// as a number or a string as the input had it, or null outside every
// labelled polygon.
void put_label(TextSink& sink, const MeshView& mesh, std::size_t t) {
    const RegionLabels& labels = *mesh.labels;
    sink.put(", ");
    put_json_string(sink, labels.name);
    sink.put(": ");
    const double code = mesh.triangle_attributes[t];
    if (!(code >= 1.0 && code <= static_cast<double>(labels.values.size()))) {
        sink.put("null");
        return;
    }
    const auto k = static_cast<std::size_t>(code) - 1;
    if (labels.number[k]) {
        sink.put(labels.values[k]);
    } else {
        put_json_string(sink, labels.values[k]);
    }
}

}  // namespace

std::string layer_name(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

void write_geojson_triangles(TextSink& sink, const MeshView& mesh, const std::string& name, const std::string& crs,
                             const Progress& progress) {
    ProgressSteps steps(progress, mesh.triangle_count());
    put_header(sink, name, crs);
    const char* separator = "\n";
    for (std::size_t t = 0; t < mesh.triangle_count(); ++t) {
        const std::uint32_t* v = &mesh.triangles[3 * t];
        sink.put(separator);
        sink.put("{\"type\": \"Feature\", \"properties\": {\"index\": ");
        sink.put_integer(static_cast<std::int64_t>(t));
        // The corners as input indices (they match JSON and PLY written
        // with --keep-all-points), and the mean z of the corners.
        for (int k = 0; k < 3; ++k) {
            sink.put(k == 0 ? ", \"a\": " : k == 1 ? ", \"b\": " : ", \"c\": ");
            sink.put_integer(v[k]);
        }
        if (mesh.has_z()) {
            sink.put(", \"z_mean\": ");
            sink.put_shortest((mesh.z(v[0]) + mesh.z(v[1]) + mesh.z(v[2])) / 3.0);
        }
        if (mesh.has_labels()) {
            put_label(sink, mesh, t);
        }
        sink.put("}, \"geometry\": {\"type\": \"Polygon\", \"coordinates\": [[");
        for (int k = 0; k <= 3; ++k) {
            put_position(sink, mesh.x(v[k % 3]), mesh.y(v[k % 3]));
            sink.put(k < 3 ? ", " : "]]}}");
        }
        separator = ",\n";
        steps.advance();
    }
    sink.put("\n]}\n");
}

void write_geojson_cells(TextSink& sink, const MeshView& mesh, const ThiessenCells& cells, const std::string& name,
                         const std::string& crs, const Progress& progress) {
    ProgressSteps steps(progress, cells.point_count());
    put_header(sink, name, crs);
    const char* separator = "\n";
    auto put_ring = [&](std::size_t r) {
        const std::size_t begin = cells.ring_offsets[r];
        const std::size_t end = cells.ring_offsets[r + 1];
        sink.put('[');
        for (std::size_t k = begin; k <= end; ++k) {
            const std::size_t at = k < end ? k : begin;
            put_position(sink, cells.vertices[2 * at], cells.vertices[2 * at + 1]);
            sink.put(k < end ? ", " : "]");
        }
    };
    auto put_part = [&](std::size_t p) {
        sink.put('[');
        for (std::size_t r = cells.part_rings[p]; r < cells.part_rings[p + 1]; ++r) {
            sink.put(r > cells.part_rings[p] ? ", " : "");
            put_ring(r);
        }
        sink.put(']');
    };
    for (std::size_t i = 0; i < cells.point_count(); ++i) {
        const std::size_t first = cells.part_offsets[i];
        const std::size_t last = cells.part_offsets[i + 1];
        steps.advance();
        if (first == last) {
            continue;  // a repeated point, or one outside: no cell
        }
        sink.put(separator);
        sink.put("{\"type\": \"Feature\", \"properties\": {");
        put_point_properties(sink, mesh, static_cast<std::uint32_t>(i));
        if (last - first == 1) {
            sink.put("}, \"geometry\": {\"type\": \"Polygon\", \"coordinates\": ");
            put_part(first);
        } else {
            // A cell that a --clip polygon cuts in pieces.
            sink.put("}, \"geometry\": {\"type\": \"MultiPolygon\", \"coordinates\": [");
            for (std::size_t p = first; p < last; ++p) {
                sink.put(p > first ? ", " : "");
                put_part(p);
            }
            sink.put(']');
        }
        sink.put("}}");
        separator = ",\n";
    }
    sink.put("\n]}\n");
}

}  // namespace d2dcli
