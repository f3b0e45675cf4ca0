// VTK's XML unstructured grid (.vtu), which ParaView, VisIt and meshio
// read: the written points (z = 0, the plane of the mesh), the triangles
// as VTK_TRIANGLE cells, z as point data when the input gave it and the
// region attribute as cell data when the input had regions.
//
// The arrays are ASCII in the shortest form that reads back as the same
// double: every VTK reader takes it, a file can be checked by eye, and
// nothing is rounded. (Binary "appended raw" data would be smaller, but
// readers find its end by searching for the closing tag, which the bytes
// of a double may spell.)
#include "formats/mesh_write/mesh_writers.hpp"

namespace d2dcli {

namespace {

constexpr int vtk_triangle = 5;  // VTK's cell type number

// Values per line in the arrays: short lines for editors and diff.
constexpr std::size_t per_line = 9;

void open_array(TextSink& sink, const char* type, const char* name, int components = 1) {
    sink.put("        <DataArray type=\"");
    sink.put(type);
    sink.put('"');
    if (name != nullptr) {
        sink.put(" Name=\"");
        sink.put(name);
        sink.put('"');
    }
    if (components > 1) {
        sink.put(" NumberOfComponents=\"");
        sink.put_integer(components);
        sink.put('"');
    }
    sink.put(" format=\"ascii\">\n");
}

void close_array(TextSink& sink) { sink.put("\n        </DataArray>\n"); }

// The separator before the k-th value of an array.
void separate(TextSink& sink, std::size_t k) {
    if (k > 0) {
        sink.put(k % per_line == 0 ? '\n' : ' ');
    }
}

}  // namespace

void write_vtu(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress) {
    const std::size_t point_count = written.input_index.size();
    const std::size_t triangle_count = mesh.triangle_count();
    ProgressSteps steps(progress, point_count + 2 * triangle_count);
    sink.put("<?xml version=\"1.0\"?>\n"
             "<VTKFile type=\"UnstructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\" "
             "header_type=\"UInt64\">\n  <UnstructuredGrid>\n    <Piece NumberOfPoints=\"");
    sink.put_integer(static_cast<std::int64_t>(point_count));
    sink.put("\" NumberOfCells=\"");
    sink.put_integer(static_cast<std::int64_t>(triangle_count));
    sink.put("\">\n");
    if (mesh.has_z()) {
        sink.put("      <PointData Scalars=\"z\">\n");
        open_array(sink, "Float64", "z");
        for (std::size_t k = 0; k < point_count; ++k) {
            separate(sink, k);
            sink.put_shortest(mesh.z(written.input_index[k]));
        }
        close_array(sink);
        sink.put("      </PointData>\n");
    }
    if (mesh.has_regions()) {
        sink.put("      <CellData Scalars=\"region\">\n");
        open_array(sink, "Float64", "region");
        for (std::size_t t = 0; t < triangle_count; ++t) {
            separate(sink, t);
            sink.put_shortest(mesh.triangle_attributes[t]);
        }
        close_array(sink);
        sink.put("      </CellData>\n");
    }
    sink.put("      <Points>\n");
    open_array(sink, "Float64", "Points", 3);
    for (std::size_t k = 0; k < point_count; ++k) {
        const std::uint32_t i = written.input_index[k];
        if (k > 0) {
            sink.put(k % 3 == 0 ? '\n' : ' ');
        }
        sink.put_shortest(mesh.x(i));
        sink.put(' ');
        sink.put_shortest(mesh.y(i));
        sink.put(" 0");
        steps.advance();
    }
    close_array(sink);
    sink.put("      </Points>\n      <Cells>\n");
    open_array(sink, "Int64", "connectivity");
    for (std::size_t t = 0; t < triangle_count; ++t) {
        if (t > 0) {
            sink.put(t % 3 == 0 ? '\n' : ' ');
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (k > 0) {
                sink.put(' ');
            }
            sink.put_integer(written.number_of(mesh.triangles[3 * t + k]));
        }
        steps.advance();
    }
    close_array(sink);
    open_array(sink, "Int64", "offsets");
    for (std::size_t t = 0; t < triangle_count; ++t) {
        separate(sink, t);
        sink.put_integer(3 * static_cast<std::int64_t>(t) + 3);
    }
    close_array(sink);
    open_array(sink, "UInt8", "types");
    for (std::size_t t = 0; t < triangle_count; ++t) {
        separate(sink, t);
        sink.put_integer(vtk_triangle);
        steps.advance();
    }
    close_array(sink);
    sink.put("      </Cells>\n    </Piece>\n  </UnstructuredGrid>\n</VTKFile>\n");
}

}  // namespace d2dcli
