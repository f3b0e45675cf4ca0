// PLY, the polygon format that MeshLab, CloudCompare and Blender read
// first: x, y, z per vertex as doubles, faces as lists of three indices.
// Binary little-endian by default (a tenth of the time of text, and exact),
// ASCII on request.
#include "formats/mesh_write/mesh_writers.hpp"
#include "formats/mesh_write/ply_records.hpp"

namespace d2dcli {

void write_ply(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, bool ascii,
               const Progress& progress) {
    const std::size_t triangle_count = mesh.triangle_count();
    ProgressSteps steps(progress, written.input_index.size() + triangle_count);
    put_ply_header(sink, ascii, written.input_index.size(), triangle_count);
    for (std::uint32_t i : written.input_index) {
        const double xyz[3] = {mesh.x(i), mesh.y(i), mesh.z(i)};
        put_ply_vertex(sink, ascii, xyz);
        steps.advance();
    }
    for (std::size_t t = 0; t < triangle_count; ++t) {
        const std::uint32_t* v = mesh.triangles.data() + 3 * t;
        put_ply_triangle(sink, ascii, written.number_of(v[0]), written.number_of(v[1]), written.number_of(v[2]));
        steps.advance();
    }
}

}  // namespace d2dcli
