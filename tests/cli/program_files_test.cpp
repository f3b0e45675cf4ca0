// What the program does to files: it never writes over its input, replaces
// a set of files whole or not at all, keeps a replaced file's mode, writes
// through symbolic links, writes its trace like any other output, and never
// reports a failed write as success. Each case runs the program as a child
// process on a few points, so the whole file stays quick.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// Runs the program through sh with a redirection or limit in front of it:
// `shell` is a command line in which "$0" is the program and "$@" its
// arguments.
ProcessResult run_in_shell(const std::string& shell, const std::vector<std::string>& args) {
    std::vector<std::string> all = {"-c", shell, DELAUNAY2D_CLI};
    all.insert(all.end(), args.begin(), args.end());
    return d2dtest::run_process("sh", all);
}

// A Triangle .node file with an attribute and markers, which a mesh's own
// .node (plain vertices) would not keep.
const std::string node_file = "4 2 1 1\n1 0 0 7.5 1\n2 1 0 7.5 1\n3 0 1 7.5 1\n4 0 1 7.5 0\n";

unsigned mode_of(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(ProgramFiles, AnOutputThatIsTheInputIsRefusedHoweverItIsSpelled) {
    ScratchFolder folder;
    const std::string input = folder.file("in.node");
    write_text(input, node_file);
    ASSERT_EQ(::symlink("in.node", folder.file("link.ele").c_str()), 0);
    ASSERT_EQ(::link(input.c_str(), folder.file("hard.off").c_str()), 0);
    const std::string dotted = folder.path() + "/./in.node";
    const std::vector<std::vector<std::string>> cases = {
        {input, "-o", folder.file("in.ele")},  // writes in.node beside in.ele
        {input, "-o", dotted},
        {input, "-o", folder.file("link.ele")},  // a link to the input
        {input, "-o", folder.file("hard.off")},  // a second name of the input
        {input, "-o", folder.file("mesh.off"), "--trace", dotted},
    };
    for (const auto& args : cases) {
        ProcessResult result = run(args);
        EXPECT_EQ(result.exit_status, 1) << args[2];
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_NE(result.err.find(": is the input file"), std::string::npos) << result.err;
        // Points bring no segments, so no .poly is named among the files.
        EXPECT_EQ(result.err.find(".poly"), std::string::npos) << result.err;
    }
    // Standard input redirected from the file is the file too.
    ProcessResult piped = run_in_shell("exec \"$0\" \"$@\" < \"$1\"", {input, "-o", folder.file("in.ele")});
    EXPECT_EQ(piped.exit_status, 1);
    EXPECT_NE(piped.err.find("in.node: is the input file"), std::string::npos) << piped.err;

    EXPECT_EQ(read_text(input), node_file);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"hard.off", "in.node", "link.ele"}));
}

TEST(ProgramFiles, TriangleFilesAreReplacedAsASetOrNotAtAll) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, "0 0\n1 0\n0 1\n1 1\n");
    write_text(folder.file("mesh.ele"), "old ele");
    write_text(folder.file("mesh.node"), "old node");
    // The last of the three renames fails: a folder holds its name.
    ASSERT_EQ(::mkdir(folder.file("mesh.neigh").c_str(), 0777), 0);
    ProcessResult result = run({input, "-o", folder.file("mesh.ele")});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_NE(result.err.find("mesh.neigh: cannot put the file in place"), std::string::npos) << result.err;
    EXPECT_EQ(read_text(folder.file("mesh.ele")), "old ele");
    EXPECT_EQ(read_text(folder.file("mesh.node")), "old node");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"mesh.ele", "mesh.neigh", "mesh.node", "points.txt"}));

    ASSERT_EQ(::rmdir(folder.file("mesh.neigh").c_str()), 0);
    ASSERT_EQ(run({input, "-o", folder.file("mesh.ele")}).exit_status, 0);
    EXPECT_EQ(read_text(folder.file("mesh.ele")).substr(0, 6), "2 3 0\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"mesh.ele", "mesh.neigh", "mesh.node", "points.txt"}));
}

TEST(ProgramFiles, ReplacedFilesKeepTheirModeAndLinksAreWrittenThrough) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, "0 0\n1 0\n0 1\n");
    const std::string private_mesh = folder.file("private.off");
    write_text(private_mesh, "old");
    ASSERT_EQ(::chmod(private_mesh.c_str(), 0600), 0);
    ASSERT_EQ(run({input, "-o", private_mesh}).exit_status, 0);
    EXPECT_EQ(read_text(private_mesh).substr(0, 4), "OFF\n");
    EXPECT_EQ(mode_of(private_mesh), 0600u);

    // A link to a file that is not there yet makes that file; the link stays.
    ASSERT_EQ(::mkdir(folder.file("meshes").c_str(), 0777), 0);
    ASSERT_EQ(::symlink("meshes/new.off", folder.file("dangling.off").c_str()), 0);
    ASSERT_EQ(run({input, "-o", folder.file("dangling.off")}).exit_status, 0);
    struct stat link {};
    ASSERT_EQ(::lstat(folder.file("dangling.off").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(read_text(folder.file("meshes/new.off")).substr(0, 4), "OFF\n");
}

TEST(ProgramFiles, TheTraceIsWrittenWholeOnlyAfterARunThatSucceeded) {
    ScratchFolder folder;
    const std::string trace = folder.file("trace.txt");
    write_text(trace, "old trace");
    // A full disk under the trace is an error, not a cut trace and exit 0.
    ProcessResult full = run({"--generate", "uniform", "--n", "500", "--trace", "/dev/full"});
    EXPECT_EQ(full.exit_status, 1);
    EXPECT_EQ(full.err, "delaunay2d: /dev/full: cannot write the trace: No space left on device\n");
    // A run that fails after the triangulation leaves the old trace.
    ProcessResult unwritable =
        run({"--generate", "uniform", "--n", "500", "--trace", trace, "-o", folder.file("no/mesh.off")});
    EXPECT_EQ(unwritable.exit_status, 1);
    EXPECT_EQ(read_text(trace), "old trace");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"trace.txt"});
}

TEST(ProgramFiles, AnEntryPointOutOfMemorySaysSoAndLeavesNoFile) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a limit on address space stops the sanitizers, not the library";
#else
    ScratchFolder folder;
    const std::string trace = folder.file("trace.txt");
    write_text(trace, "old trace");
    ProcessResult result = run_in_shell("ulimit -v 60000 && exec \"$0\" \"$@\"",
                                        {"--generate", "uniform", "--n", "200000", "--trace", trace, "-o",
                                         folder.file("mesh.off")});
    EXPECT_EQ(result.exit_status, 255);
    EXPECT_EQ(result.err,
              "delaunay2d: create_mesh_2d stopped the process: member is not enough (out of memory); "
              "no file was written\n");
    EXPECT_EQ(read_text(trace), "old trace");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"trace.txt"});
#endif
}

TEST(ProgramFiles, ASummaryThatCannotBeWrittenIsAFailure) {
    const std::vector<std::string> args = {"--generate", "grid", "--n", "16"};
    ProcessResult full = run_in_shell("exec \"$0\" \"$@\" > /dev/full", args);
    EXPECT_EQ(full.exit_status, 1);
    EXPECT_EQ(full.err, "delaunay2d: standard output: cannot write: No space left on device\n");
    ProcessResult closed = run_in_shell("exec \"$0\" \"$@\" >&-", args);
    EXPECT_EQ(closed.exit_status, 1);
    EXPECT_NE(closed.err.find("standard output"), std::string::npos) << closed.err;
    // With -o nothing goes to standard output, and a closed one is no harm.
    ScratchFolder folder;
    ProcessResult quiet = run_in_shell("exec \"$0\" \"$@\" >&-", {"--generate", "grid", "--n", "16", "-o",
                                                                  folder.file("mesh.off")});
    EXPECT_EQ(quiet.exit_status, 0) << quiet.err;
    EXPECT_EQ(read_text(folder.file("mesh.off")).substr(0, 4), "OFF\n");
    // Unless the mesh itself goes there.
    ProcessResult lost = run_in_shell("exec \"$0\" \"$@\" >&-", {"--generate", "grid", "--n", "16", "-o", "-",
                                                                 "--format", "off"});
    EXPECT_EQ(lost.exit_status, 1);
    // Standard output as the mesh's place is no file that could be the
    // input, even when standard input is read from a file.
    const std::string points = folder.file("p.txt");
    write_text(points, "0 0\n1 0\n0 1\n");
    ProcessResult piped = run_in_shell("f=\"$1\"; shift; exec \"$0\" \"$@\" < \"$f\"",
                                       {points, "-", "-o", "-", "--format", "off"});
    EXPECT_EQ(piped.exit_status, 0) << piped.err;
    EXPECT_EQ(piped.out.substr(0, 4), "OFF\n");
}

TEST(ProgramFiles, APictureOfCoordinatesSpanningMoreThanTheLargestDoubleIsDrawn) {
    ScratchFolder folder;
    const std::string input = folder.file("wide.txt");
    write_text(input, "1e308 1e308\n-1e308 -1e308\n1e308 -1e308\n-1.7e308 1.7e308\n0 1\n");
    ProcessResult result = run({input, "-o", folder.file("wide.svg")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    const std::string svg = read_text(folder.file("wide.svg"));
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_NE(svg.find("width=\"1032\" height=\"1116\" viewBox=\"0 0 1032 1116\""), std::string::npos);
}

TEST(ProgramFiles, LeftOutPointsAreNamedAndStrictMakesThemAnError) {
    ScratchFolder folder;
    const std::string input = folder.file("points.txt");
    write_text(input, "0 0\n1 0\n0 1\n0 0\nnan 2\n");
    ProcessResult loose = run({input, "-o", folder.file("mesh.off")});
    EXPECT_EQ(loose.exit_status, 0);
    EXPECT_EQ(loose.err, "delaunay2d: warning: " + input + ": 2 points left out (1 repeated, 1 not finite)\n");

    ProcessResult strict = run({input, "-o", folder.file("strict.off"), "--strict"});
    EXPECT_EQ(strict.exit_status, 1);
    EXPECT_EQ(strict.err, "delaunay2d: " + input + ": 2 points left out (1 repeated, 1 not finite); --strict allows none\n");
    EXPECT_FALSE(d2dtest::file_exists(folder.file("strict.off")));

    write_text(input, "0 0\n1 1\n2 2\n");
    ProcessResult line = run({input, "--strict"});
    EXPECT_EQ(line.exit_status, 1);
    EXPECT_NE(line.err.find("the mesh is empty; --strict allows no empty mesh"), std::string::npos) << line.err;
}

}  // namespace
