#include <cmath>

#include "formats/mesh_write/json_text.hpp"
#include "formats/mesh_write/mesh_writers.hpp"

namespace d2dcli {

namespace {

// JSON has no NaN or infinity.
void put_coordinate(TextSink& sink, double value) {
    if (std::isfinite(value)) {
        sink.put_shortest(value);
    } else {
        sink.put("null");
    }
}

}  // namespace

void write_json(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress) {
    const std::size_t triangle_count = mesh.triangle_count();
    ProgressSteps steps(progress, written.input_index.size() + 2 * triangle_count);
    // One entry a line: large files stay easy to look into with a pager.
    sink.put("{\"points\": [");
    const char* separator = "\n";
    for (std::uint32_t i : written.input_index) {
        sink.put(separator);
        sink.put('[');
        put_coordinate(sink, mesh.x(i));
        sink.put(", ");
        put_coordinate(sink, mesh.y(i));
        if (mesh.has_z()) {
            sink.put(", ");
            put_coordinate(sink, mesh.z(i));
        }
        sink.put(']');
        separator = ",\n";
        steps.advance();
    }
    sink.put("],\n\"triangles\": [");
    separator = "\n";
    for (std::size_t t = 0; t < triangle_count; ++t) {
        sink.put(separator);
        sink.put('[');
        for (int k = 0; k < 3; ++k) {
            sink.put_integer(written.number_of(mesh.triangles[3 * t + static_cast<std::size_t>(k)]));
            sink.put(k < 2 ? ", " : "]");
        }
        separator = ",\n";
        steps.advance();
    }
    sink.put("],\n\"neighbours\": [");
    separator = "\n";
    for (std::size_t t = 0; t < triangle_count; ++t) {
        sink.put(separator);
        sink.put('[');
        for (std::size_t k = 0; k < 3; ++k) {
            sink.put_integer(mesh.neighbours[3 * t + (k + 1) % 3]);
            sink.put(k < 2 ? ", " : "]");
        }
        separator = ",\n";
        steps.advance();
    }
    sink.put("],\n\"hull\": [");
    separator = "";
    for (std::uint32_t v : mesh.hull) {
        sink.put(separator);
        sink.put_integer(written.number_of(v));
        separator = ", ";
    }
    sink.put(']');
    if (mesh.has_ids()) {
        // Beside the points, in their order: the ids as the input wrote them.
        sink.put(",\n\"ids\": [");
        separator = "\n";
        for (std::uint32_t i : written.input_index) {
            sink.put(separator);
            put_json_string(sink, mesh.ids->at(i));
            separator = ",\n";
        }
        sink.put(']');
    }
    sink.put("}\n");
}

}  // namespace d2dcli
