// OFF and OBJ: the two plain polygon formats, alike but for a header and
// where numbering starts.
#include "formats/mesh_write/mesh_writers.hpp"

namespace d2dcli {

namespace {

void put_points(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, std::string_view prefix,
                ProgressSteps& steps) {
    for (std::uint32_t i : written.input_index) {
        sink.put(prefix);
        sink.put_shortest(mesh.x(i));
        sink.put(' ');
        sink.put_shortest(mesh.y(i));
        sink.put(' ');
        sink.put_shortest(mesh.z(i));  // 0 when the input had no z
        sink.put('\n');
        steps.advance();
    }
}

void put_faces(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, std::string_view prefix,
               std::int64_t first_number, ProgressSteps& steps) {
    for (std::size_t t = 0; t < mesh.triangle_count(); ++t) {
        sink.put(prefix);
        for (int k = 0; k < 3; ++k) {
            sink.put_integer(written.number_of(mesh.triangles[3 * t + static_cast<std::size_t>(k)]) + first_number);
            sink.put(k < 2 ? ' ' : '\n');
        }
        steps.advance();
    }
}

}  // namespace

void write_off(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress) {
    ProgressSteps steps(progress, written.input_index.size() + mesh.triangle_count());
    sink.put("OFF\n");
    sink.put_integer(static_cast<std::int64_t>(written.input_index.size()));
    sink.put(' ');
    sink.put_integer(static_cast<std::int64_t>(mesh.triangle_count()));
    sink.put(" 0\n");
    put_points(sink, mesh, written, "", steps);
    put_faces(sink, mesh, written, "3 ", 0, steps);
}

void write_obj(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress) {
    ProgressSteps steps(progress, written.input_index.size() + mesh.triangle_count());
    sink.put("# delaunay2d: ");
    sink.put_integer(static_cast<std::int64_t>(written.input_index.size()));
    sink.put(" points, ");
    sink.put_integer(static_cast<std::int64_t>(mesh.triangle_count()));
    sink.put(" triangles\n");
    put_points(sink, mesh, written, "v ", steps);
    put_faces(sink, mesh, written, "f ", 1, steps);
}

}  // namespace d2dcli
