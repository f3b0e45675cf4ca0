// The program as a user meets it, run as a child process: what it prints,
// what it writes, its exit status for good input, bad input and bad usage,
// and that the traced entry point and the index-array call give the same mesh.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "support/process_runner.hpp"

namespace {

using d2dtest::ProcessResult;
using d2dtest::read_text;
using d2dtest::ScratchFolder;
using d2dtest::write_text;

ProcessResult run(const std::vector<std::string>& args) { return d2dtest::run_process(DELAUNAY2D_CLI, args); }

// Runs the program with standard input read from a file.
ProcessResult run_with_input(const std::string& input_path, const std::vector<std::string>& args) {
    std::vector<std::string> shell = {"-c", "exec \"$0\" \"$@\" < \"$D2D_INPUT\"", DELAUNAY2D_CLI};
    shell.insert(shell.end(), args.begin(), args.end());
    return d2dtest::run_process("sh", shell, {{"D2D_INPUT", input_path}});
}

std::string random_points(std::size_t n, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(-50.0, 50.0);
    std::string text;
    char line[64];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(line, sizeof line, "%.17g %.17g\n", unit(random), unit(random));
        text += line;
    }
    return text;
}

// The triangles of an .ele file (any numbering), each rotated to start at
// its smallest vertex, so that two meshes compare as sets.
std::set<std::array<long, 3>> triangle_set(const std::string& ele) {
    std::istringstream in(ele);
    long count = 0, per = 0, attributes = 0;
    in >> count >> per >> attributes;
    std::set<std::array<long, 3>> triangles;
    for (long t = 0; t < count; ++t) {
        long number = 0;
        std::array<long, 3> v{};
        in >> number >> v[0] >> v[1] >> v[2];
        std::rotate(v.begin(), std::min_element(v.begin(), v.end()), v.end());
        triangles.insert(v);
    }
    return triangles;
}

TEST(Program, PrintsASummaryOfAFileOrOfStandardInput) {
    ScratchFolder folder;
    const std::string input = folder.file("square.csv");
    write_text(input, "x,y\n0,0\n1,0\n1,1\n0,1\n0.5,0.5\n1,0\nnan,3\n");
    ProcessResult result = run({input});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, result.out.find("time")),
              "points read       7 (" + input + ")\n"
              "distinct points   5 (left out: 1 repeated, 1 not finite)\n"
              "triangles         4\n"
              "hull size         4\n");

    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"-"}}) {
        ProcessResult piped = run_with_input(input, args);
        EXPECT_EQ(piped.exit_status, 0) << piped.err;
        EXPECT_EQ(piped.out.substr(0, piped.out.find('\n')), "points read       7 (standard input)");
    }
}

TEST(Program, WritesTheMeshQuietlyOrWithTheSummaryOnStandardError) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, random_points(500, 1));
    ProcessResult quiet = run({input, "-o", folder.file("mesh.ele")});
    EXPECT_EQ(quiet.exit_status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"mesh.ele", "mesh.neigh", "mesh.node", "points.txt"}));

    ProcessResult verbose = run({input, "-o", folder.file("mesh.json"), "--verbose"});
    EXPECT_EQ(verbose.exit_status, 0);
    EXPECT_EQ(verbose.out, "");
    EXPECT_EQ(verbose.err.rfind("points read       500 (", 0), 0u) << verbose.err;
    EXPECT_NE(verbose.err.find("written           " + folder.file("mesh.json")), std::string::npos);
}

// The files of one run, read back: every triangle turns counter-clockwise,
// the links are true both ways, and the counts fit a triangulation of the
// hull (triangles = 2 vertices - hull vertices - 2 for points in general
// position).
TEST(Program, TriangleFilesDescribeATrueTriangulation) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    const std::size_t n = 3000;
    write_text(input, random_points(n, 2));
    ProcessResult result = run({input, "-o", folder.file("mesh.ele"), "--zero-based"});
    ASSERT_EQ(result.exit_status, 0) << result.err;

    std::istringstream node(read_text(folder.file("mesh.node")));
    std::size_t vertices = 0, dimension = 0, attributes = 0, markers = 0;
    node >> vertices >> dimension >> attributes >> markers;
    ASSERT_EQ(vertices, n);
    std::vector<double> x(n), y(n);
    std::size_t hull_markers = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t number = 0;
        int marker = 0;
        node >> number >> x[i] >> y[i] >> marker;
        ASSERT_EQ(number, i);
        hull_markers += static_cast<std::size_t>(marker);
    }
    std::istringstream ele(read_text(folder.file("mesh.ele")));
    std::istringstream neigh(read_text(folder.file("mesh.neigh")));
    std::size_t count = 0, per = 0, neigh_count = 0;
    ele >> count >> per >> attributes;
    neigh >> neigh_count >> per;
    ASSERT_EQ(neigh_count, count);
    EXPECT_EQ(count, 2 * n - hull_markers - 2);
    std::vector<std::array<long, 3>> v(count), across(count);
    for (std::size_t t = 0; t < count; ++t) {
        long number = 0;
        ele >> number >> v[t][0] >> v[t][1] >> v[t][2];
        neigh >> number >> across[t][0] >> across[t][1] >> across[t][2];
        auto a = static_cast<std::size_t>(v[t][0]), b = static_cast<std::size_t>(v[t][1]),
             c = static_cast<std::size_t>(v[t][2]);
        EXPECT_GT((x[b] - x[a]) * (y[c] - y[a]) - (y[b] - y[a]) * (x[c] - x[a]), 0.0) << "triangle " << t;
    }
    std::size_t hull_edges = 0;
    for (std::size_t t = 0; t < count; ++t) {
        for (std::size_t k = 0; k < 3; ++k) {
            long u = across[t][k];
            if (u < 0) {
                ++hull_edges;
                continue;
            }
            // The edge opposite vertex k is shared, and u links back to t.
            std::set<long> edge = {v[t][(k + 1) % 3], v[t][(k + 2) % 3]};
            const auto& w = v[static_cast<std::size_t>(u)];
            int back = 0;
            for (std::size_t j = 0; j < 3; ++j) {
                if (across[static_cast<std::size_t>(u)][j] == static_cast<long>(t)) {
                    ++back;
                    EXPECT_EQ(edge, (std::set<long>{w[(j + 1) % 3], w[(j + 2) % 3]}));
                }
            }
            EXPECT_EQ(back, 1) << "triangle " << t << " neighbour " << k;
        }
    }
    EXPECT_EQ(hull_edges, hull_markers);
}

TEST(Program, TracedEntryPointGivesTheSameMeshAndKeepsItsTrace) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, random_points(2000, 3));
    ProcessResult quiet = run({input, "-o", folder.file("quiet.ele")});
    ProcessResult traced = run({input, "-o", folder.file("traced.ele"), "--trace", folder.file("trace.txt")});
    ASSERT_EQ(quiet.exit_status, 0) << quiet.err;
    ASSERT_EQ(traced.exit_status, 0) << traced.err;
    EXPECT_EQ(traced.out, "");
    EXPECT_EQ(triangle_set(read_text(folder.file("quiet.ele"))), triangle_set(read_text(folder.file("traced.ele"))));
    EXPECT_EQ(read_text(folder.file("quiet.node")), read_text(folder.file("traced.node")));
    const std::string trace = read_text(folder.file("trace.txt"));
    EXPECT_EQ(trace.rfind("    point: {x: ", 0), 0u);
    // A line per point, then per base mesh, and one merge fewer than base meshes.
    std::map<std::string, long> lines;
    std::istringstream trace_lines(trace);
    for (std::string line; std::getline(trace_lines, line);) {
        ++lines[line.substr(0, line.find_first_of(",:"))];
    }
    EXPECT_EQ(lines["    point"], 2000);
    EXPECT_GE(lines["create mesh"], 2000 / 3);
    EXPECT_EQ(lines["merge mesh"], lines["create mesh"] - 1);
    EXPECT_EQ(lines.size(), 3u);

    // Too few points never reach the entry point, which would end the process.
    write_text(input, "0 0\n1 1\n");
    ProcessResult few = run({input, "--trace", folder.file("trace.txt")});
    EXPECT_EQ(few.exit_status, 0);
    EXPECT_EQ(read_text(folder.file("trace.txt")), "");
}

TEST(Program, ANodeFileItWroteReadsBackToTheSameMesh) {
    ScratchFolder folder;
    const std::string input = folder.file("points.csv");
    write_text(input, "x,y\n" + random_points(400, 4));
    ASSERT_EQ(run({input, "-o", folder.file("first.ele")}).exit_status, 0);
    ASSERT_EQ(run({folder.file("first.node"), "-o", folder.file("second.ele")}).exit_status, 0);
    EXPECT_EQ(read_text(folder.file("first.node")), read_text(folder.file("second.node")));
    EXPECT_EQ(read_text(folder.file("first.ele")), read_text(folder.file("second.ele")));
    EXPECT_EQ(read_text(folder.file("first.neigh")), read_text(folder.file("second.neigh")));
}

TEST(Program, BadInputIsOneLineAndExitStatusOneAndNothingIsWritten) {
    ScratchFolder folder;
    const std::string input = folder.file("bad.txt");
    const std::string output = folder.file("mesh.off");
    write_text(output, "an older mesh");
    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"1 2\n3 4\nabc 5\n", "bad.txt:3: not a number: 'abc'"},
        {"1 2\n3\n", "bad.txt:2: too few values: a point needs x and y"},
        {"1 2\n3 4, x\n", "bad.txt:2: values separated both by commas and by spaces: separate every value by a "
                         "comma (CSV), or every one by spaces"},
    };
    for (const Case& c : cases) {
        write_text(input, c.text);
        ProcessResult result = run({input, "-o", output});
        EXPECT_EQ(result.exit_status, 1);
        EXPECT_EQ(result.err, "delaunay2d: " + folder.path() + "/" + c.message + "\n");
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(read_text(output), "an older mesh");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"bad.txt", "mesh.off"}));

    ProcessResult missing = run({folder.file("none.txt")});
    EXPECT_EQ(missing.exit_status, 1);
    EXPECT_EQ(missing.err, "delaunay2d: " + folder.file("none.txt") + ": cannot open: No such file or directory\n");

    ProcessResult unwritable = run({"--generate", "uniform", "--n", "10", "-o", folder.file("no/mesh.off")});
    EXPECT_EQ(unwritable.exit_status, 1);
    EXPECT_EQ(unwritable.err.rfind("delaunay2d: " + folder.file("no/mesh.off") + ": cannot create", 0), 0u);
}

TEST(Program, UsageErrorsExitWithStatusTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"--no-such-option"},
        {"points.txt", "-o", "mesh.xyz"},
        {"points.txt", "-o", "dem.tif"},                        // a raster needs --cell
        {"points.txt", "-o", "-"},                              // standard output needs --format
        {"points.txt", "-o", "-", "--format", "ele"},           // three files cannot share it
        {"points.txt", "-o", "mesh.json", "--voronoi"},
        {"points.txt", "-o", "dem.asc", "--cell", "1", "--crs", "UTM33"},
        {"points.txt", "-o", "dem.asc", "--cell", "1", "--crs", "EPSG:32633"},  // no place for it
        {"points.txt", "--format", "off"},
        {"points.txt", "--generate", "uniform"},
        {"--generate", "spiral"},
        {"--n", "100"},
        {"--generate", "grid", "--n", "2"},
        // above the library's limit: refused before 2 GB are generated
        {"--generate", "grid", "--n", "134217665"},
        {"points.txt", "--input-format", "xml"},
        // options that only some outputs read, given to a run without them
        {"points.txt", "--cell", "1"},
        {"points.txt", "-o", "mesh.off", "--cell", "1"},
        {"points.txt", "-o", "mesh.ply", "--method", "natural"},
        {"points.txt", "-o", "mesh.geojson", "--bounds", "0", "0", "1", "1"},
        {"points.txt", "-o", "mesh.off", "--ascii"},
        {"points.txt", "-o", "mesh.json", "--title", "T"},
    };
    for (const auto& args : cases) {
        ProcessResult result = run(args);
        EXPECT_EQ(result.exit_status, 2) << args[0] << " " << args.back();
        EXPECT_EQ(result.out, "");
        // One line: what is wrong and the hint.
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_NE(result.err.find("(see delaunay2d --help)\n"), std::string::npos) << result.err;
    }
    ProcessResult help = run({"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_NE(help.out.find("Usage: delaunay2d [OPTIONS] [INPUT]"), std::string::npos);
    ProcessResult version = run({"--version"});
    EXPECT_EQ(version.exit_status, 0);
    EXPECT_EQ(version.out.rfind("delaunay2d ", 0), 0u);
}

TEST(Program, TooFewOrCollinearPointsWarnAndWriteAnEmptyMesh) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, "0 0\n1 1\n0 0\nnan 1\n");
    ProcessResult few = run({input, "-o", folder.file("few.ele")});
    EXPECT_EQ(few.exit_status, 0);
    EXPECT_EQ(few.err,
              "delaunay2d: warning: only 2 distinct points with finite coordinates: a triangle needs three; "
              "the mesh is empty\n"
              "delaunay2d: warning: " + input + ": 2 points left out (1 repeated, 1 not finite)\n");
    EXPECT_EQ(read_text(folder.file("few.ele")), "0 3 0\n");
    EXPECT_EQ(read_text(folder.file("few.node")), "2 2 0 1\n1 0 0 1\n2 1 1 1\n");

    write_text(input, "0 0\n2 2\n1 1\n3 3\n");
    ProcessResult line = run({input, "-o", folder.file("line.json")});
    EXPECT_EQ(line.exit_status, 0);
    EXPECT_EQ(line.err, "delaunay2d: warning: all 4 distinct points lie on one line; the mesh is empty\n");
    // The hull of points on a line is the points in order along it.
    const std::string json = read_text(folder.file("line.json"));
    EXPECT_EQ(json.substr(0, json.find("\"hull\"")),
              "{\"points\": [\n[0, 0],\n[2, 2],\n[1, 1],\n[3, 3]],\n\"triangles\": [],\n\"neighbours\": [],\n");
    const std::string hull = json.substr(json.find("\"hull\""));
    EXPECT_TRUE(hull == "\"hull\": [0, 2, 1, 3]}\n" || hull == "\"hull\": [3, 1, 2, 0]}\n") << hull;

    write_text(input, "");
    ProcessResult empty = run({input});
    EXPECT_EQ(empty.exit_status, 0);
    EXPECT_NE(empty.err.find("only 0 distinct points"), std::string::npos);
}

TEST(Program, GeneratedSamplesTriangulate) {
    for (const char* kind : {"uniform", "clusters", "grid", "circle"}) {
        ProcessResult result = run({"--generate", kind, "--n", "2000", "--seed", "7"});
        EXPECT_EQ(result.exit_status, 0) << kind << ": " << result.err;
        EXPECT_EQ(result.out.rfind("points read       2000 (generated: ", 0), 0u) << result.out;
    }
}

TEST(Program, AGridTooLargeToMakeIsNamedByItsTrueSize) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, "0 0 1\n1 0 2\n0 1 3\n1 1 4\n");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1e-5", "a grid of 100000 x 100000 cells"},
        {"1e-300", "a grid of about 1e+300 x 1e+300 cells"},
        {"1e-320", "a grid of more cells on a side than a double can count (beyond 1.8e+308)"},
    };
    for (const auto& [cell, size] : cases) {
        ProcessResult result = run({input, "-o", folder.file("dem.asc"), "--cell", cell});
        EXPECT_EQ(result.exit_status, 1);
        EXPECT_EQ(result.err, "delaunay2d: " + folder.file("dem.asc") + ": " + size +
                                  " is too large; give a larger --cell\n");
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"points.txt"});
}

// Input text reaches a message, and so the terminal, only as printable text:
// ESC ] 0 ; title BEL would retitle the window, ESC [ 2 J clear it.
TEST(Program, MessagesShowControlBytesOfTheInputAsText) {
    ScratchFolder folder;
    const std::string title = "\x1b]0;owned\x07";
    write_text(folder.file("t.poly"), "3 2 0 0\n1 0 0\n2 1 0\n3 0 " + title + "\n");
    write_text(folder.file("t.geojson"), "{\"type\": \"Polygon\", \"coordinates\": [[[0, 0], " + title + "]]}");
    const std::vector<std::vector<std::string>> runs = {
        {folder.file("t.poly")},
        {folder.file("t.geojson")},
        {folder.file("missing" + title + ".txt")},                               // a file name
        {"--generate", "grid", "--n", "9", "-o", folder.file("mesh" + title)},       // an argument
        {"--generate", "grid", "--n", "9", "-o", folder.file(title + "/mesh.off")},  // an output's folder
        {"--generate", "grid", "--n", "9", "-o", folder.file("\xc2\x9b" "2J/m.off")},  // C1 CSI, as UTF-8
    };
    for (const auto& args : runs) {
        ProcessResult result = run(args);
        EXPECT_NE(result.exit_status, 0) << args.back();
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        for (unsigned char c : result.err.substr(0, result.err.size() - 1)) {
            EXPECT_TRUE(c >= 0x20 && c != 0x7f && c != 0xc2) << "byte " << int(c) << " in " << result.err;
        }
        EXPECT_TRUE(result.err.find("\\x1b") != std::string::npos ||
                    result.err.find("\\xc2\\x9b") != std::string::npos)
            << result.err;
    }
    // Text that draws is shown as itself: a UTF-8 file name stays readable.
    ProcessResult named = run({folder.file("données.txt")});
    EXPECT_EQ(named.err, "delaunay2d: " + folder.file("données.txt") + ": cannot open: No such file or directory\n");
}

}  // namespace
