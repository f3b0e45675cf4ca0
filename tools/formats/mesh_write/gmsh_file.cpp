// gmsh's mesh format 4.1, ASCII (.msh), which gmsh, meshio and through them
// FEniCS, scikit-fem and most finite-element codes read.
//
//   $MeshFormat      4.1, ASCII, 8-byte sizes
//   $PhysicalNames   one physical surface per region (or "domain")
//   $Entities        one surface per region, carrying its physical tag
//   $Nodes           one block of every written point, tags from 1, z = 0
//   $Elements        one block of triangles per surface, tags from 1
//   $ElementData     "region": each triangle's attribute, exactly (with regions)
//   $NodeData        "z" (when the input gave z)
//
// A region's physical tag is its attribute when every attribute is a whole
// number from 1 up (materials numbered 1, 2, ... in the .poly stay 1, 2,
// ...); otherwise the regions are numbered 1, 2, ... in increasing order
// of attribute, and the physical names and the "region" data say which is
// which. Triangles are listed region by region, in mesh order within each,
// which is what lets readers that take $ElementData in file order (meshio)
// line it up with the blocks.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "formats/mesh_write/mesh_writers.hpp"

namespace d2dcli {

namespace {

constexpr int gmsh_triangle = 2;  // gmsh's element type number

struct Regions {
    std::vector<double> values;              // distinct attributes, increasing
    std::vector<std::int64_t> physical_tag;  // per value
    std::vector<std::uint32_t> of_triangle;  // per triangle: index into values
};

Regions group_regions(const MeshView& mesh) {
    Regions regions;
    const std::size_t count = mesh.triangle_count();
    if (!mesh.has_regions()) {
        regions.values = {0.0};
        regions.physical_tag = {1};
        regions.of_triangle.assign(count, 0);
        return regions;
    }
    regions.values.assign(mesh.triangle_attributes.begin(), mesh.triangle_attributes.end());
    std::sort(regions.values.begin(), regions.values.end());
    regions.values.erase(std::unique(regions.values.begin(), regions.values.end()), regions.values.end());
    bool whole = true;
    for (double value : regions.values) {
        whole = whole && value >= 1.0 && value <= std::numeric_limits<std::int32_t>::max() && value == std::floor(value);
    }
    for (std::size_t k = 0; k < regions.values.size(); ++k) {
        regions.physical_tag.push_back(whole ? static_cast<std::int64_t>(regions.values[k])
                                             : static_cast<std::int64_t>(k) + 1);
    }
    regions.of_triangle.resize(count);
    for (std::size_t t = 0; t < count; ++t) {
        regions.of_triangle[t] = static_cast<std::uint32_t>(
            std::lower_bound(regions.values.begin(), regions.values.end(), mesh.triangle_attributes[t]) -
            regions.values.begin());
    }
    return regions;
}

void put_line(TextSink& sink, std::int64_t a) {
    sink.put_integer(a);
    sink.put('\n');
}

// The header of a $NodeData or $ElementData section of one value per item.
void open_data(TextSink& sink, const char* section, const char* name, std::size_t count) {
    sink.put(section);
    sink.put("\n1\n\"");
    sink.put(name);
    sink.put("\"\n1\n0\n3\n0\n1\n");
    put_line(sink, static_cast<std::int64_t>(count));
}

}  // namespace

void write_msh(TextSink& sink, const MeshView& mesh, const WrittenPoints& written, const Progress& progress) {
    const std::size_t point_count = written.input_index.size();
    const std::size_t triangle_count = mesh.triangle_count();
    ProgressSteps steps(progress, point_count + 2 * triangle_count);
    const Regions regions = group_regions(mesh);
    const std::size_t surfaces = regions.values.size();

    // Triangles in file order: by region, then as in the mesh.
    std::vector<std::size_t> start(surfaces + 1, 0);
    for (std::uint32_t r : regions.of_triangle) {
        ++start[r + 1];
    }
    for (std::size_t r = 0; r < surfaces; ++r) {
        start[r + 1] += start[r];
    }
    std::vector<std::uint32_t> order(triangle_count);
    {
        std::vector<std::size_t> next(start.begin(), start.end() - 1);
        for (std::size_t t = 0; t < triangle_count; ++t) {
            order[next[regions.of_triangle[t]]++] = static_cast<std::uint32_t>(t);
        }
    }

    sink.put("$MeshFormat\n4.1 0 8\n$EndMeshFormat\n$PhysicalNames\n");
    put_line(sink, static_cast<std::int64_t>(surfaces));
    for (std::size_t r = 0; r < surfaces; ++r) {
        sink.put("2 ");
        sink.put_integer(regions.physical_tag[r]);
        if (mesh.has_regions()) {
            sink.put(" \"region ");
            sink.put_shortest(regions.values[r]);
            sink.put("\"\n");
        } else {
            sink.put(" \"domain\"\n");
        }
    }
    sink.put("$EndPhysicalNames\n");

    // Bounding boxes of the surfaces, from the points of their triangles.
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::vector<double> box(4 * surfaces);
    for (std::size_t r = 0; r < surfaces; ++r) {
        box[4 * r] = box[4 * r + 1] = inf;
        box[4 * r + 2] = box[4 * r + 3] = -inf;
    }
    for (std::size_t t = 0; t < triangle_count; ++t) {
        double* b = &box[4 * regions.of_triangle[t]];
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint32_t v = mesh.triangles[3 * t + k];
            b[0] = std::min(b[0], mesh.x(v));
            b[1] = std::min(b[1], mesh.y(v));
            b[2] = std::max(b[2], mesh.x(v));
            b[3] = std::max(b[3], mesh.y(v));
        }
    }
    sink.put("$Entities\n0 0 ");
    sink.put_integer(static_cast<std::int64_t>(surfaces));
    sink.put(" 0\n");
    for (std::size_t r = 0; r < surfaces; ++r) {
        const double* b = &box[4 * r];
        const bool empty = !(b[0] <= b[2]);
        sink.put_integer(static_cast<std::int64_t>(r) + 1);
        for (int k = 0; k < 4; ++k) {
            sink.put(' ');
            sink.put_shortest(empty ? 0.0 : b[k]);
            if (k == 1 || k == 3) {
                sink.put(" 0");
            }
        }
        sink.put(" 1 ");
        sink.put_integer(regions.physical_tag[r]);
        sink.put(" 0\n");
    }
    sink.put("$EndEntities\n$Nodes\n1 ");
    sink.put_integer(static_cast<std::int64_t>(point_count));
    sink.put(point_count > 0 ? " 1 " : " 0 ");
    put_line(sink, static_cast<std::int64_t>(point_count));
    sink.put("2 1 0 ");
    put_line(sink, static_cast<std::int64_t>(point_count));
    for (std::size_t k = 0; k < point_count; ++k) {
        put_line(sink, static_cast<std::int64_t>(k) + 1);
    }
    for (std::size_t k = 0; k < point_count; ++k) {
        const std::uint32_t i = written.input_index[k];
        sink.put_shortest(mesh.x(i));
        sink.put(' ');
        sink.put_shortest(mesh.y(i));
        sink.put(" 0\n");
        steps.advance();
    }
    sink.put("$EndNodes\n$Elements\n");
    sink.put_integer(static_cast<std::int64_t>(surfaces));
    sink.put(' ');
    sink.put_integer(static_cast<std::int64_t>(triangle_count));
    sink.put(triangle_count > 0 ? " 1 " : " 0 ");
    put_line(sink, static_cast<std::int64_t>(triangle_count));
    for (std::size_t r = 0; r < surfaces; ++r) {
        sink.put("2 ");
        sink.put_integer(static_cast<std::int64_t>(r) + 1);
        sink.put(' ');
        sink.put_integer(gmsh_triangle);
        sink.put(' ');
        put_line(sink, static_cast<std::int64_t>(start[r + 1] - start[r]));
        for (std::size_t k = start[r]; k < start[r + 1]; ++k) {
            sink.put_integer(static_cast<std::int64_t>(k) + 1);
            for (std::size_t c = 0; c < 3; ++c) {
                sink.put(' ');
                sink.put_integer(static_cast<std::int64_t>(written.number_of(mesh.triangles[3 * std::size_t{order[k]} + c])) + 1);
            }
            sink.put('\n');
            steps.advance();
        }
    }
    sink.put("$EndElements\n");
    if (mesh.has_regions()) {
        open_data(sink, "$ElementData", "region", triangle_count);
        for (std::size_t k = 0; k < triangle_count; ++k) {
            sink.put_integer(static_cast<std::int64_t>(k) + 1);
            sink.put(' ');
            sink.put_shortest(mesh.triangle_attributes[order[k]]);
            sink.put('\n');
            steps.advance();
        }
        sink.put("$EndElementData\n");
    }
    if (mesh.has_z()) {
        open_data(sink, "$NodeData", "z", point_count);
        for (std::size_t k = 0; k < point_count; ++k) {
            sink.put_integer(static_cast<std::int64_t>(k) + 1);
            sink.put(' ');
            sink.put_shortest(mesh.z(written.input_index[k]));
            sink.put('\n');
        }
        sink.put("$EndNodeData\n");
    }
}

}  // namespace d2dcli
