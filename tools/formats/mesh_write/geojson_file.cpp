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
    const double code = mesh.triangle_labels[t];
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

struct CellsOwner {
    delaunay2d_cells cells{};
    ~CellsOwner() { delaunay2d_cells_free(&cells); }
};

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

void write_geojson_cells(TextSink& sink, const MeshView& mesh, const std::string& name, const TerrainOptions& options,
                         const Progress& progress) {
    double box[4] = {0.0, 0.0, 0.0, 0.0};
    if (options.bounds) {
        std::copy(options.bounds->begin(), options.bounds->end(), box);
    } else {
        // The extent of the points: their cells then tile it exactly.
        box[0] = box[1] = std::numeric_limits<double>::infinity();
        box[2] = box[3] = -box[0];
        for (std::uint32_t v : mesh.hull) {
            box[0] = std::min(box[0], mesh.x(v));
            box[1] = std::min(box[1], mesh.y(v));
            box[2] = std::max(box[2], mesh.x(v));
            box[3] = std::max(box[3], mesh.y(v));
        }
    }
    if (!(box[0] < box[2] && box[1] < box[3])) {
        throw OutputError(sink.name() + ": the box of the Thiessen polygons is empty (give --bounds)");
    }
    const delaunay2d_result result = library_mesh(mesh);
    CellsOwner owner;
    owner.cells.struct_size = sizeof(delaunay2d_cells);
    delaunay2d_status status =
        delaunay2d_voronoi_cells(mesh.xy.data(), 2, &result, box, options.threads, &owner.cells);
    if (status == DELAUNAY2D_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (status != DELAUNAY2D_OK) {
        throw OutputError(sink.name() + ": cannot build the Thiessen polygons: " +
                          delaunay2d_status_message(status));
    }
    const delaunay2d_cells& cells = owner.cells;
    ProgressSteps steps(progress, cells.point_count);
    put_header(sink, name, options.crs);
    const char* separator = "\n";
    for (std::size_t i = 0; i < cells.point_count; ++i) {
        const std::size_t begin = cells.offsets[i];
        const std::size_t end = cells.offsets[i + 1];
        steps.advance();
        if (end - begin < 3) {
            continue;  // a repeated point, or one outside the box: no cell
        }
        sink.put(separator);
        sink.put("{\"type\": \"Feature\", \"properties\": {");
        put_point_properties(sink, mesh, static_cast<std::uint32_t>(i));
        sink.put("}, \"geometry\": {\"type\": \"Polygon\", \"coordinates\": [[");
        for (std::size_t k = begin; k <= end; ++k) {
            const std::size_t at = k < end ? k : begin;
            put_position(sink, cells.vertices[2 * at], cells.vertices[2 * at + 1]);
            sink.put(k < end ? ", " : "]]}}");
        }
        separator = ",\n";
    }
    sink.put("\n]}\n");
}

}  // namespace d2dcli
