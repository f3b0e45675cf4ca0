// Triangle's .node, .ele and .neigh files, which its own tools and many
// others read, and the .poly of a mesh with segments.
#include <algorithm>
#include <string>
#include <vector>

#include "formats/mesh_write/mesh_writers.hpp"
#include "formats/output/output_error.hpp"
#include "formats/read/value_fields.hpp"

namespace d2dcli {

namespace {

// Points on the boundary of the mesh: the ends of every edge without a
// neighbour, and the hull (which is all there is of an empty mesh).
std::vector<bool> boundary_points(const MeshView& mesh) {
    std::vector<bool> on_boundary(mesh.point_count(), false);
    for (std::size_t e = 0; e < mesh.neighbours.size(); ++e) {
        if (mesh.neighbours[e] < 0) {
            std::size_t t = e / 3;
            on_boundary[mesh.triangles[e]] = true;
            on_boundary[mesh.triangles[3 * t + (e + 1) % 3]] = true;
        }
    }
    for (std::uint32_t v : mesh.hull) {
        on_boundary[v] = true;
    }
    return on_boundary;
}

}  // namespace

void write_node(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
                const Progress& progress) {
    ProgressSteps steps(progress, written.input_index.size());
    const std::vector<bool> on_boundary = boundary_points(mesh);
    // Attributes, in this order: z and w as far as the input gave them,
    // then the id (Triangle carries attributes through as numbers).
    const int extra = mesh.has_z() ? std::max(mesh.extra_columns, 1) : 0;
    sink.put_integer(static_cast<std::int64_t>(written.input_index.size()));
    sink.put(" 2 ");
    sink.put_integer(extra + (mesh.has_ids() ? 1 : 0));
    sink.put(" 1\n");
    std::int64_t number = first_number;
    for (std::uint32_t i : written.input_index) {
        sink.put_integer(number++);
        sink.put(' ');
        sink.put_shortest(mesh.x(i));
        sink.put(' ');
        sink.put_shortest(mesh.y(i));
        for (int k = 0; k < extra; ++k) {
            sink.put(' ');
            sink.put_shortest(k == 0 ? mesh.z(i) : mesh.w(i));
        }
        if (mesh.has_ids()) {
            std::string_view id = mesh.ids->at(i);
            double value = 0.0;
            if (!parse_double(id, value)) {
                throw OutputError(sink.name() + ": the id " + quoted(id) + " of point " + std::to_string(i + 1) +
                                  " is not a number, and .node attributes are numbers");
            }
            sink.put(' ');
            sink.put(id);
        }
        sink.put(on_boundary[i] ? " 1\n" : " 0\n");
        steps.advance();
    }
}

void write_ele(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number,
               const Progress& progress) {
    ProgressSteps steps(progress, mesh.triangle_count());
    sink.put_integer(static_cast<std::int64_t>(mesh.triangle_count()));
    // The region attribute is Triangle's one triangle attribute (its -A).
    sink.put(mesh.has_regions() ? " 3 1\n" : " 3 0\n");
    for (std::size_t t = 0; t < mesh.triangle_count(); ++t) {
        sink.put_integer(static_cast<std::int64_t>(t) + first_number);
        for (std::size_t k = 0; k < 3; ++k) {
            sink.put(' ');
            sink.put_integer(written.number_of(mesh.triangles[3 * t + k]) + static_cast<std::int64_t>(first_number));
        }
        if (mesh.has_regions()) {
            sink.put(' ');
            sink.put_shortest(mesh.triangle_attributes[t]);
        }
        sink.put('\n');
        steps.advance();
    }
}

void write_neigh(TextSink& sink, const MeshView& mesh, int first_number, const Progress& progress) {
    ProgressSteps steps(progress, mesh.triangle_count());
    sink.put_integer(static_cast<std::int64_t>(mesh.triangle_count()));
    sink.put(" 3\n");
    for (std::size_t t = 0; t < mesh.triangle_count(); ++t) {
        sink.put_integer(static_cast<std::int64_t>(t) + first_number);
        for (std::size_t k = 0; k < 3; ++k) {
            // Opposite vertex k lies the edge from vertex k+1 to vertex k+2.
            std::int32_t across = mesh.neighbours[3 * t + (k + 1) % 3];
            sink.put(' ');
            sink.put_integer(across < 0 ? -1 : across + first_number);
        }
        sink.put('\n');
        steps.advance();
    }
}

void write_poly(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, int first_number) {
    sink.put_integer(static_cast<std::int64_t>(written.input_index.size()));
    sink.put(" 2 0 0\n");
    std::int64_t number = first_number;
    for (std::uint32_t i : written.input_index) {
        sink.put_integer(number++);
        sink.put(' ');
        sink.put_shortest(mesh.x(i));
        sink.put(' ');
        sink.put_shortest(mesh.y(i));
        sink.put('\n');
    }
    const std::size_t count = mesh.segments.size() / 2;
    sink.put_integer(static_cast<std::int64_t>(count));
    sink.put(" 0\n");
    for (std::size_t s = 0; s < count; ++s) {
        sink.put_integer(static_cast<std::int64_t>(s) + first_number);
        for (std::size_t k = 0; k < 2; ++k) {
            sink.put(' ');
            sink.put_integer(written.number_of(mesh.segments[2 * s + k]) + static_cast<std::int64_t>(first_number));
        }
        sink.put('\n');
    }
    sink.put("0\n");
}

}  // namespace d2dcli
