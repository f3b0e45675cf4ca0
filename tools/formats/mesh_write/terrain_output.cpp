// The terrain formats, one switch: PLY and GeoJSON through the sink, the
// rasters over a grid fitted to the mesh, PNG through the picture.
#include <unistd.h>

#include <chrono>

#include "formats/controls/kept_triangles.hpp"
#include "formats/controls/masked_rows.hpp"
#include "formats/controls/thiessen_cells.hpp"
#include "formats/mesh_write/geojson_files.hpp"
#include "formats/mesh_write/mesh_output.hpp"
#include "formats/mesh_write/mesh_writers.hpp"
#include "formats/output/output_error.hpp"
#include "formats/picture/png_picture.hpp"
#include "formats/picture/svg_in_memory.hpp"
#include "formats/raster/raster_files.hpp"

namespace d2dcli {

namespace {

void require_z(const TextSink& sink, const MeshView& mesh) {
    if (!mesh.has_z()) {
        throw OutputError(sink.name() +
                          ": a surface raster needs z: give points as x y z, or name a z column in a header");
    }
}

}  // namespace

MeshView shown_mesh(const MeshView& mesh, const TerrainOptions& terrain, KeptTriangles& kept) {
    if (terrain.max_edge <= 0.0 && !terrain.clip) {
        return mesh;
    }
    kept = keep_triangles(mesh, terrain.max_edge, terrain.clip.get());
    return kept.view(mesh);
}

namespace {

// What a picture draws: the shown triangles, and with --voronoi the cells.
struct Picture {
    KeptTriangles kept;
    ThiessenCells cells;
    SvgLimits limits;
    MeshView shown;

    Picture(const std::string& name, const MeshView& mesh, const OutputOptions& options) : limits(options.svg) {
        shown = shown_mesh(mesh, options.terrain, kept);
        if (options.terrain.voronoi) {
            cells = thiessen_cells(name, mesh, options.terrain);
            limits.cells = &cells;
        }
    }
};

}  // namespace

SvgPicture write_picture(TextSink& sink, const MeshView& mesh, const WrittenPoints& written,
                         const OutputOptions& options, const Progress& progress) {
    Picture picture(sink.name(), mesh, options);
    return write_svg(sink, picture.shown, written, picture.limits, progress);
}

void write_terrain_file(TextSink& sink, int fd, const MeshView& mesh, const WrittenPoints& written,
                        const OutputOptions& options, const Progress& progress, WrittenFiles& result) {
    const TerrainOptions& terrain = options.terrain;
    switch (options.format) {
        case OutputFormat::ply:
        {
            KeptTriangles kept;
            write_ply(sink, shown_mesh(mesh, terrain, kept), written, terrain.ascii, progress);
            break;
        }
        case OutputFormat::geojson: {
            // The layer's name in a GIS: the file's, or what it holds.
            const std::string name = fd == STDOUT_FILENO && sink.name() == "standard output"
                                         ? (terrain.voronoi ? "thiessen_polygons" : "triangles")
                                         : layer_name(sink.name());
            if (terrain.voronoi) {
                write_geojson_cells(sink, mesh, thiessen_cells(sink.name(), mesh, terrain), name, terrain.crs,
                                    progress);
            } else {
                KeptTriangles kept;
                write_geojson_triangles(sink, shown_mesh(mesh, terrain, kept), name, terrain.crs, progress);
            }
            break;
        }
        case OutputFormat::asc:
        case OutputFormat::tif: {
            require_z(sink, mesh);
            RasterGrid grid = fit_grid(sink.name(), mesh, terrain.cell, terrain.bounds, terrain.align);
            grid.nodata = terrain.nodata;
            // The surface is that of the whole mesh; --max-edge and --clip
            // only take cells away from it.
            KeptTriangles kept;
            const bool some_left_out = terrain.max_edge > 0.0;
            if (some_left_out) {
                kept = keep_triangles(mesh, terrain.max_edge, nullptr);
            }
            const MeshView kept_view = kept.view(mesh);
            const GridRows masked =
                masked_rows(surface_rows(mesh, grid, terrain.method, terrain.threads), grid,
                            some_left_out ? &kept_view : nullptr, terrain.clip.get(), terrain.threads);
            // The summary names interpolation apart from writing: on a
            // large grid it is most of the time.
            const GridRows rows = [&masked, &result](std::size_t first, std::size_t count, double* out) {
                const auto start = std::chrono::steady_clock::now();
                masked(first, count, out);
                result.interpolate_seconds +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            };
            if (options.format == OutputFormat::asc) {
                write_ascii_grid(sink, grid, rows, progress);
            } else {
                write_geotiff(sink.name(), fd, grid, rows, terrain.crs, progress);
            }
            break;
        }
        case OutputFormat::png: {
            Picture picture(sink.name(), mesh, options);
            const std::string svg =
                draw_svg_in_memory(sink.name(), picture.shown, written, picture.limits, result.picture);
            write_png(sink.name(), fd, svg);
            break;
        }
        default:
            throw OutputError(sink.name() + ": not a terrain format");
    }
}

}  // namespace d2dcli
