// PLY, the polygon format that MeshLab, CloudCompare and Blender read
// first: x, y, z per vertex as doubles, faces as lists of three indices.
// Binary little-endian by default (a tenth of the time of text, and exact),
// ASCII on request.
#include <bit>
#include <cstring>

#include "formats/output/little_endian.hpp"
#include "formats/mesh_write/mesh_writers.hpp"

namespace d2dcli {

namespace {

}  // namespace

void write_ply(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, bool ascii,
               const Progress& progress) {
    const std::size_t triangle_count = mesh.triangle_count();
    ProgressSteps steps(progress, written.input_index.size() + triangle_count);
    sink.put(ascii ? "ply\nformat ascii 1.0\n" : "ply\nformat binary_little_endian 1.0\n");
    sink.put("comment delaunay2d\nelement vertex ");
    sink.put_integer(static_cast<std::int64_t>(written.input_index.size()));
    sink.put("\nproperty double x\nproperty double y\nproperty double z\nelement face ");
    sink.put_integer(static_cast<std::int64_t>(triangle_count));
    sink.put("\nproperty list uchar int vertex_indices\nend_header\n");
    for (std::uint32_t i : written.input_index) {
        const double xyz[3] = {mesh.x(i), mesh.y(i), mesh.z(i)};
        for (int k = 0; k < 3; ++k) {
            if (ascii) {
                sink.put_shortest(xyz[k]);
                sink.put(k < 2 ? ' ' : '\n');
            } else {
                put_little_endian(sink, xyz[k]);
            }
        }
        steps.advance();
    }
    for (std::size_t t = 0; t < triangle_count; ++t) {
        if (ascii) {
            sink.put('3');
        } else {
            sink.put('\3');
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint32_t number = written.number_of(mesh.triangles[3 * t + k]);
            if (ascii) {
                sink.put(' ');
                sink.put_integer(number);
            } else {
                put_little_endian(sink, static_cast<std::int32_t>(number));
            }
        }
        if (ascii) {
            sink.put('\n');
        }
        steps.advance();
    }
}

}  // namespace d2dcli
