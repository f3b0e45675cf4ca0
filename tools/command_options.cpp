#include "command_options.hpp"

#include <CLI/CLI.hpp>
#include <delaunay2d.h>

#include <algorithm>
#include <cstdio>
#include <array>
#include <cmath>
#include <limits>
#include <iostream>
#include <vector>

#include "formats/output/printable_text.hpp"
#include "tiles/memory_size.hpp"
#include "tiles/tiled_run.hpp"

namespace d2dcli {

namespace {

const char* const description =
    "Triangulates points (Delaunay) and writes the mesh.\n"
    "\n"
    "Reads INPUT (or standard input when INPUT is '-' or missing): text with\n"
    "'x y', 'x y z' or 'x y z w' per line, separated by spaces, tabs, semicolons or commas\n"
    "(CSV), with '#' comments and one optional header line; Triangle's .node\n"
    "and .poly files; GeoJSON; LAS point clouds (.las, 1.0 to 1.4) and PLY\n"
    "vertices (.ply); or what GDAL reads (.shp, .gpkg, ...). Without -o it prints a summary; with -o PATH it writes the mesh in\n"
    "the format of PATH's extension: .off, .obj, .json, .ele (with .node and\n"
    ".neigh beside it), .ply, .vtu (VTK, for ParaView), .msh (gmsh 4.1),\n"
    ".geojson (triangles, or with --voronoi Thiessen polygons), .svg or .png\n"
    "(a picture, also of the Thiessen polygons), or a surface raster of z:\n"
    ".tif (GeoTIFF) or .asc (ESRI ASCII grid) with --cell. '-o -' with\n"
    "--format writes to standard output. z is kept wherever the format has\n"
    "room for it.\n"
    "\n"
    "Examples:\n"
    "  delaunay2d points.csv\n"
    "  delaunay2d points.txt -o mesh.ele\n"
    "  cat points.xyz | delaunay2d -o mesh.json\n"
    "  delaunay2d --generate clusters --n 100000 -o clusters.svg\n"
    "  delaunay2d survey.csv -o dem.tif --cell 1 --crs EPSG:32633\n"
    "  delaunay2d survey.csv -o cells.geojson --voronoi\n"
    "  delaunay2d countries.gpkg --attribute name -o triangles.geojson\n"
    "  delaunay2d contours.shp --z-column elev -o dem.tif --cell 10\n"
    "  delaunay2d lidar.las --classes 2 -o dtm.tif --cell 1\n"
    "  delaunay2d survey.csv -o dem.tif --cell 1 --align --clip area.geojson --max-edge 50\n"
    "  delaunay2d plate.poly --min-angle 30 --max-area 0.5 -o plate.msh\n"
    "  delaunay2d survey.csv -o - --format geojson | ogr2ogr mesh.gpkg /vsistdin/\n";

// The most points the library triangulates: a larger sample is refused
// before gigabytes of it are generated.
constexpr std::size_t most_points = DELAUNAY2D_MAX_POINTS;

// One line: what is wrong, and where to look. CLI11's messages may run
// over lines; an argument they echo is shown printable.
int usage_error(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    std::fprintf(stderr, "delaunay2d: %s (see delaunay2d --help)\n", printable(message).c_str());
    return 2;
}

}  // namespace

std::variant<CommandOptions, int> parse_command_line(int argc, char** argv) {
    CommandOptions options;
    CLI::App app(description, "delaunay2d");
    app.set_version_flag("--version", std::string("delaunay2d ") + delaunay2d_version());
    app.get_formatter()->column_width(28);

    std::string input_format = "auto";
    std::string format;
    app.add_option("INPUT", options.input, "Point file; '-' or nothing reads standard input")->type_name("FILE");
    app.add_option("-o,--output", options.output, "Write the mesh to PATH; '-' with --format: to standard output")
        ->type_name("PATH");
    app.add_option("-f,--format", format, "Output format, when PATH's extension does not say")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"off", "obj", "json", "ele", "svg", "ply", "geojson", "asc", "tif", "png", "vtu", "msh"}));
    app.add_option("--input-format", input_format, "Input format (default: from the extension or the content)")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"auto", "text", "node", "geojson", "ogr", "las", "ply"}));
    app.add_flag("--keep-all-points", options.keep_all_points,
                 "Write every input point, in input order, not only the vertices");
    app.add_flag("--zero-based", options.zero_based, "Number Triangle's .node/.ele/.neigh files from 0, not 1");
    app.add_option("-j,--threads", options.threads, "Threads to use; 0 (the default) uses as many as help")
        ->type_name("N");
    app.add_option("--trace", options.trace,
                   "Run create_mesh_2d instead, with its trace lines written to FILE")
        ->type_name("FILE");
    app.add_option("--region", options.region,
                   "inside: keep what the segments enclose (default when the segments of a .poly or "
                   ".geojson input close a ring); hull: the whole convex hull (default otherwise)")
        ->check(CLI::IsMember({"inside", "hull"}));
    app.add_option("--min-angle", options.min_angle,
                   "Refine (.poly, .geojson) until no angle is below DEG degrees (up to about 33)")
        ->type_name("DEG");
    app.add_option("--max-area", options.max_area, "Refine (.poly, .geojson) until no triangle's area exceeds A")
        ->type_name("A");
    // Signed, so that a negative count is refused rather than wrapped round.
    std::int64_t max_steiner = 0;
    app.add_option("--max-steiner", max_steiner, "Refinement adds at most N points")->type_name("N");
    app.add_flag("--conforming", options.conforming,
                 "Refine (.poly, .geojson) until every edge is Delaunay, splitting segments");
    app.add_flag("-v,--verbose", options.verbose, "With -o, print the summary on standard error");
    app.add_flag("--strict", options.strict,
                 "Fail (exit 1) when a point is left out (repeated or not finite) or the mesh is empty");
    auto* generate = app.add_option("--generate", options.generate,
                                    "Triangulate a generated sample instead of reading points")
                         ->check(CLI::IsMember({"uniform", "clusters", "grid", "circle"}))
                         ->type_name("KIND");
    app.add_option("--n", options.sample_size, "Points in the generated sample (default 100000)")
        ->needs(generate)
        ->type_name("N");
    app.add_option("--seed", options.seed, "Seed of the generated sample (default 1)")
        ->needs(generate)
        ->type_name("S");

    std::vector<double> bounds;
    std::string method = "linear";
    app.add_option("--id-column", options.id_column, "Carry the header's column NAME as each point's id")
        ->type_name("NAME");
    app.add_option("--z-column", options.vector.z_column,
                   "z from the column (text) or feature attribute (GeoJSON, OGR) NAME")
        ->type_name("NAME");
    app.add_option("--attribute", options.vector.attribute,
                   "Label each polygon's triangles with its feature attribute NAME (GeoJSON output)")
        ->type_name("NAME");
    // One word, split here: "--classes 2 in.las" must not read in.las as a class.
    std::string classes;
    app.add_option("--classes", classes, "LAS: keep only the points of these classifications (2 ground, 9 water)")
        ->type_name("C,C,...");
    app.add_option("--layer", options.vector.layer, "The layer of a vector file to read (default: the first)")
        ->type_name("NAME");
    app.add_flag("--ascii", options.terrain.ascii, "PLY: write text instead of binary");
    app.add_option("--cell", options.terrain.cell, "Raster (.tif, .asc): the cell size in map units")
        ->type_name("SIZE");
    app.add_option("--bounds", bounds, "Raster or Thiessen polygons: the extent (default: the points')")
        ->expected(4)
        ->type_name("XMIN YMIN XMAX YMAX");
    app.add_option("--method", method, "Raster: interpolation, linear (default) or natural (neighbour)")
        ->check(CLI::IsMember({"linear", "natural"}))
        ->type_name("METHOD");
    app.add_option("--crs", options.terrain.crs, "Record this coordinate system (EPSG:code) in .tif and .geojson")
        ->type_name("EPSG:CODE");
    app.add_flag("--voronoi", options.terrain.voronoi,
                 "GeoJSON, SVG, PNG: each point's Thiessen (Voronoi) polygon, cut to the hull (or --bounds, --clip)");
    app.add_flag("--align", options.terrain.align,
                 "Raster: start the grid on whole multiples of --cell (as gdal_grid -tap)");
    app.add_option("--nodata", options.terrain.nodata, "Raster: the value of cells with no data (default -9999)")
        ->type_name("V");
    app.add_option("--clip", options.clip,
                   "Leave out what lies outside the polygons of FILE (.geojson, .poly): raster cells by their "
                   "centres, triangles by their centroids; Thiessen polygons are cut to it")
        ->type_name("FILE");
    app.add_option("--max-edge", options.terrain.max_edge,
                   "Leave out triangles with an edge longer than L (mesh files, rasters, pictures)")
        ->type_name("L");
    app.add_flag("--no-points", options.no_points, "Picture: do not draw the points");
    app.add_flag("--no-edges", options.no_edges, "Picture: do not draw the edges (or the Thiessen cells' outlines)");
    app.add_flag("--png", options.also_png, "With an .svg output, also render it to a .png beside it");
    app.add_option("--title", options.svg_title, "The picture's title")->type_name("TEXT");
    std::string memory;
    app.add_option("--memory", memory,
                   "Make the .tif, .asc, .ply or .ele output tile by tile within SIZE of memory (512M, 2G, 1.5G)")
        ->type_name("SIZE");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usage_error(e.what());
    }

    // Inputs with segments (.poly, GeoJSON) and --region run the constrained
    // call: the options of the other runs would be left unused without a word.
    options.input_format = *input_format_named(input_format);
    const bool segments_input = !options.generate && (carries_segments(input_format_of_path(options.input)) ||
                                                      carries_segments(options.input_format));
    // Standard input may hold GeoJSON, which only its content tells.
    const bool vector_input = !options.generate && (options.input == "-" ||
                                                    options.input_format == InputFormat::geojson ||
                                                    options.input_format == InputFormat::ogr ||
                                                    input_format_of_path(options.input) == InputFormat::geojson ||
                                                    input_format_of_path(options.input) == InputFormat::ogr);
    if (!options.vector.attribute.empty() && !vector_input) {
        return usage_error("--attribute reads a feature attribute: give a GeoJSON or another vector file (.shp, .gpkg)");
    }
    if (!options.vector.layer.empty() && options.input_format != InputFormat::ogr &&
        input_format_of_path(options.input) != InputFormat::ogr) {
        return usage_error("--layer picks a layer of a file GDAL reads (.gpkg, .shp, ...); GeoJSON has one");
    }
    // Only LAS records classes; standard input and other names may hold
    // LAS, which its reader tells from the content.
    const InputFormat named = options.input_format != InputFormat::automatic ? options.input_format
                                                                             : input_format_of_path(options.input);
    if (app.count("--classes") > 0 &&
        (options.generate || (named != InputFormat::automatic && named != InputFormat::las))) {
        return usage_error("--classes keeps LAS points by their classification: give a .las input");
    }
    for (std::size_t begin = 0; app.count("--classes") > 0 && begin <= classes.size();) {
        const std::size_t end = std::min(classes.find(',', begin), classes.size());
        const std::string value = classes.substr(begin, end - begin);
        if (value.empty() || value.size() > 3 || value.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(value) > 255) {
            return usage_error("--classes takes classification values from 0 to 255, as 2,9 (not '" + value + "')");
        }
        options.classes.push_back(static_cast<unsigned>(std::stoi(value)));
        begin = end + 1;
    }
    if (options.generate && !options.vector.z_column.empty()) {
        return usage_error("--z-column reads a column of the input; a generated sample has none");
    }
    if (options.trace && (segments_input || options.region)) {
        return usage_error("--trace runs create_mesh_2d, which keeps no segments: leave out --trace or --region");
    }
    if (!options.id_column.empty() && segments_input) {
        return usage_error("--id-column reads a column of a text file; .poly, GeoJSON and other vector inputs "
                           "have none (--attribute labels the triangles of polygons)");
    }
    if (options.region && *options.region == "inside" && !segments_input && options.input != "-") {
        return usage_error("--region inside keeps what rings of segments enclose; only .poly and GeoJSON "
                           "inputs have segments");
    }
    const bool refining = app.count("--min-angle") + app.count("--max-area") + app.count("--max-steiner") > 0 ||
                          options.conforming;
    if (refining && !segments_input) {
        return usage_error("--min-angle, --max-area, --max-steiner and --conforming refine a mesh with segments: "
                           "give a .poly or .geojson input");
    }
    if (app.count("--min-angle") > 0 && !(options.min_angle > 0.0 && options.min_angle < 60.0)) {
        return usage_error("--min-angle takes degrees above 0 and below 60 (up to about 33 is reached in practice)");
    }
    if (app.count("--max-area") > 0 && !(options.max_area > 0.0 && std::isfinite(options.max_area))) {
        return usage_error("--max-area takes a finite area above 0");
    }
    if (app.count("--max-steiner") > 0 && max_steiner < 1) {
        return usage_error("--max-steiner takes a count of at least 1 (leave it out for no limit)");
    }
    options.max_steiner = static_cast<std::uint64_t>(max_steiner);
    if (options.generate && app.count("INPUT") > 0) {
        return usage_error("give either INPUT or --generate, not both");
    }
    if (options.generate && (options.sample_size < 3 || options.sample_size > most_points)) {
        return usage_error("--n must be at least 3 and at most " + std::to_string(most_points) +
                           " (the most points the library triangulates)");
    }
    if (!format.empty()) {
        if (!options.output) {
            return usage_error("--format needs -o PATH");
        }
        options.format = *output_format_named(format);
    } else if (options.output) {
        std::optional<OutputFormat> from_path = output_format_of_path(*options.output);
        if (!from_path) {
            return usage_error("cannot tell the format of '" + *options.output +
                               "' from its extension (.off, .obj, .json, .ele, .svg, .png, .ply, .geojson, .asc, .tif); give --format");
        }
        options.format = *from_path;
    }
    if (options.output && *options.output == "-" && format.empty()) {
        return usage_error("-o - (standard output) needs --format");
    }
    if (options.output && *options.output == "-" && options.format == OutputFormat::ele) {
        return usage_error("-o - writes one file; Triangle's format is three (give a file name)");
    }
    if (!bounds.empty()) {
        if (!(bounds[0] < bounds[2] && bounds[1] < bounds[3])) {
            return usage_error("--bounds needs XMIN < XMAX and YMIN < YMAX");
        }
        options.terrain.bounds = std::array<double, 4>{bounds[0], bounds[1], bounds[2], bounds[3]};
    }
    options.terrain.method = method == "natural" ? SurfaceMethod::natural : SurfaceMethod::linear;
    options.terrain.threads = options.threads;
    if (!options.terrain.crs.empty() && !epsg_code(options.terrain.crs)) {
        return usage_error("--crs takes EPSG:code, e.g. EPSG:32633");
    }
    if (!options.terrain.crs.empty() &&
        (!options.output || (options.format != OutputFormat::tif && options.format != OutputFormat::geojson))) {
        return usage_error("--crs is recorded in .tif and .geojson outputs only (an ESRI ASCII grid has no "
                           "place for it: write .tif)");
    }
    const bool raster = options.output && (options.format == OutputFormat::tif || options.format == OutputFormat::asc);
    if (raster && !(options.terrain.cell > 0.0)) {
        return usage_error("a raster (.tif, .asc) needs --cell SIZE, the cell's side in map units");
    }
    // Options that only some outputs read: a run that writes none of those
    // would drop them without a word, so they are refused, as --crs,
    // --voronoi and --png are.
    const bool picture = options.output && (options.format == OutputFormat::svg || options.format == OutputFormat::png);
    const bool cells = options.output && options.terrain.voronoi &&
                       (options.format == OutputFormat::geojson || picture);
    const struct {
        const char* option;
        bool read;
        const char* message;
    } read_by_some_outputs[] = {
        {"--cell", raster, "--cell sizes a raster's cells: give -o PATH.tif or PATH.asc"},
        {"--method", raster, "--method interpolates a raster: give -o PATH.tif or PATH.asc"},
        {"--bounds", raster || cells,
         "--bounds is the extent of a raster or of Thiessen polygons: give -o PATH.tif or PATH.asc, or "
         "-o PATH.geojson with --voronoi"},
        {"--ascii", options.output && options.format == OutputFormat::ply, "--ascii writes a text PLY: give -o PATH.ply"},
        {"--title", picture, "--title names a picture: give -o PATH.svg or PATH.png"},
        {"--align", raster, "--align places a raster's cells: give -o PATH.tif or PATH.asc"},
        {"--nodata", raster, "--nodata is a raster's empty value: give -o PATH.tif or PATH.asc"},
        {"--no-points", picture, "--no-points is for pictures: give -o PATH.svg or PATH.png"},
        {"--no-edges", picture, "--no-edges is for pictures: give -o PATH.svg or PATH.png"},
        {"--clip", options.output.has_value(), "--clip cuts what is written: give -o PATH"},
        {"--max-edge", options.output.has_value() && !options.terrain.voronoi,
         "--max-edge leaves out triangles of what is written: give -o PATH (Thiessen polygons have no triangles)"},
    };
    for (const auto& option : read_by_some_outputs) {
        if (app.count(option.option) > 0 && !option.read) {
            return usage_error(option.message);
        }
    }
    if (options.terrain.voronoi && !cells && !picture) {
        return usage_error("--voronoi writes GeoJSON or draws a picture: give -o PATH.geojson, PATH.svg or PATH.png");
    }
    if (app.count("--max-edge") > 0 && !(options.terrain.max_edge > 0.0 && std::isfinite(options.terrain.max_edge))) {
        return usage_error("--max-edge needs a positive length");
    }
    // Rasters hold 32-bit floats: the value recorded as NODATA is the one
    // the cells hold, so it is rounded to a float here, and must fit one.
    if (!(std::fabs(options.terrain.nodata) <= std::numeric_limits<float>::max())) {
        return usage_error("--nodata needs a finite value that a 32-bit float holds");
    }
    options.terrain.nodata = static_cast<double>(static_cast<float>(options.terrain.nodata));
    if (options.also_png && (!options.output || options.format != OutputFormat::svg || *options.output == "-")) {
        return usage_error("--png renders an SVG: give -o PATH.svg");
    }
    if (app.count("--memory") > 0) {
        options.memory = parse_memory_size(memory);
        if (!options.memory) {
            return usage_error("--memory takes a size such as 512M, 2G or 1.5G");
        }
        if (*options.memory < least_tiled_memory()) {
            return usage_error("--memory " + memory + " is too small: a tile needs at least " +
                               memory_size_text(least_tiled_memory()));
        }
        if (const std::string why = why_not_tiled(options); !why.empty()) {
            return usage_error("--memory " + why);
        }
    }
    return options;
}

std::string why_not_tiled(const CommandOptions& options) {
    if (!options.output || !tiled_format(options.format)) {
        return "makes a DEM or a TIN tile by tile: give -o PATH.tif, PATH.asc, PATH.ply or PATH.ele";
    }
    if (*options.output == "-") {
        return "writes a file: give -o PATH, not standard output";
    }
    const bool segments_input = !options.generate && (carries_segments(input_format_of_path(options.input)) ||
                                                      carries_segments(options.input_format));
    const struct {
        bool asked;
        const char* why;
    } refused[] = {
        {segments_input || options.region.has_value(), "triangulates points: segments (.poly, GeoJSON, --region) need the whole input at once"},
        {options.trace.has_value(), "does not run create_mesh_2d (--trace)"},
        {options.keep_all_points, "writes the vertices only (leave out --keep-all-points)"},
        {!options.id_column.empty(), "carries no ids (leave out --id-column)"},
        {options.strict, "counts the points it leaves out only as it writes (leave out --strict)"},
        {options.terrain.max_edge > 0.0 || options.clip.has_value(), "does not leave triangles out (--max-edge, --clip)"},
        {options.terrain.method == SurfaceMethod::natural,
         "interpolates linearly: natural-neighbour values depend on more than a tile's certain triangles"},
    };
    for (const auto& option : refused) {
        if (option.asked) {
            return option.why;
        }
    }
    return {};
}

}  // namespace d2dcli
