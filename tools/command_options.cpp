#include "command_options.hpp"

#include <CLI/CLI.hpp>
#include <delaunay2d.h>

#include <cstdio>
#include <iostream>

namespace d2dcli {

namespace {

const char* const description =
    "Triangulates points (Delaunay) and writes the mesh.\n"
    "\n"
    "Reads INPUT (or standard input when INPUT is '-' or missing): text with\n"
    "'x y', 'x y z' or 'x y z w' per line, separated by spaces, tabs or commas\n"
    "(CSV), with '#' comments and one optional header line; or Triangle's .node\n"
    "files. Without -o it prints a summary; with -o PATH it writes the mesh in\n"
    "the format of PATH's extension: .off, .obj, .json, .ele (with .node and\n"
    ".neigh beside it) or .svg (a picture).\n"
    "\n"
    "Examples:\n"
    "  delaunay2d points.csv\n"
    "  delaunay2d points.txt -o mesh.ele\n"
    "  cat points.xyz | delaunay2d -o mesh.json\n"
    "  delaunay2d --generate clusters --n 100000 -o clusters.svg\n";

int usage_error(const std::string& message) {
    std::fprintf(stderr, "delaunay2d: %s\nRun with --help for more information.\n", message.c_str());
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
    app.add_option("-o,--output", options.output, "Write the mesh to PATH (standard output stays empty)")
        ->type_name("PATH");
    app.add_option("-f,--format", format, "Output format, when PATH's extension does not say")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"off", "obj", "json", "ele", "svg"}));
    app.add_option("--input-format", input_format, "Input format (default: from the extension or the content)")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"auto", "text", "node"}));
    app.add_flag("--keep-all-points", options.keep_all_points,
                 "Write every input point, in input order, not only the vertices");
    app.add_flag("--zero-based", options.zero_based, "Number Triangle's .node/.ele/.neigh files from 0, not 1");
    app.add_option("-j,--threads", options.threads, "Threads to use; 0 (the default) uses as many as help")
        ->type_name("N");
    app.add_option("--trace", options.trace,
                   "Run create_mesh_2d instead, with its trace lines written to FILE")
        ->type_name("FILE");
    app.add_option("--region", options.region,
                   "inside: keep what the segments enclose (default for .poly and .geojson input); "
                   "hull: the whole convex hull (default for point files)")
        ->check(CLI::IsMember({"inside", "hull"}));
    app.add_flag("-v,--verbose", options.verbose, "With -o, print the summary on standard error");
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

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usage_error(e.what());
    }

    if (options.generate && app.count("INPUT") > 0) {
        return usage_error("give either INPUT or --generate, not both");
    }
    if (options.generate && (options.sample_size < 3 || options.sample_size > (std::size_t{1} << 31))) {
        return usage_error("--n must be at least 3 (and at most 2^31)");
    }
    options.input_format = *input_format_named(input_format);
    if (!format.empty()) {
        if (!options.output) {
            return usage_error("--format needs -o PATH");
        }
        options.format = *output_format_named(format);
    } else if (options.output) {
        std::optional<OutputFormat> from_path = output_format_of_path(*options.output);
        if (!from_path) {
            return usage_error("cannot tell the format of '" + *options.output +
                               "' from its extension (.off, .obj, .json, .ele, .svg); give --format");
        }
        options.format = *from_path;
    }
    if (options.output && *options.output == "-") {
        return usage_error("-o needs a file name (a mesh is written to a file, never to standard output)");
    }
    return options;
}

}  // namespace d2dcli
