// Shortest round-trip numbers, and files that appear whole or not at all.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "cli/scratch_folder.hpp"
#include "formats/output/atomic_file.hpp"
#include "formats/mesh_write/mesh_output.hpp"
#include "formats/output/output_error.hpp"
#include "formats/output/shortest_number.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/read/value_fields.hpp"

namespace {

std::string shortest(double value) {
    char buffer[d2dcli::max_number_chars];
    return {buffer, d2dcli::write_shortest(buffer, value)};
}

TEST(ShortestNumber, WritesTheShortestTextThatReadsBackTheSameDouble) {
    EXPECT_EQ(shortest(0.1), "0.1");
    EXPECT_EQ(shortest(-0.0), "-0");
    EXPECT_EQ(shortest(2.5), "2.5");
    EXPECT_EQ(shortest(1e300), "1e+300");
    EXPECT_EQ(shortest(5e-324), "5e-324");
    EXPECT_EQ(shortest(1.0 / 3.0), "0.3333333333333333");
    EXPECT_EQ(shortest(std::numeric_limits<double>::infinity()), "inf");

    std::mt19937_64 random(3);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            continue;
        }
        std::string text = shortest(value);
        double back = 0.0;
        ASSERT_TRUE(d2dcli::parse_double(text, back)) << text;
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
        ASSERT_LE(text.size(), 24u);
    }
}

mode_t current_umask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

TEST(AtomicFile, AppearsOnlyWhenPutInPlaceWithOrdinaryPermissions) {
    d2dtest::ScratchFolder folder;
    const std::string path = folder.file("mesh.off");
    {
        d2dcli::AtomicFile file(path);
        EXPECT_EQ(file.temporary_path().rfind(folder.path() + "/.mesh.off.tmp-", 0), 0u);
        d2dcli::TextSink sink(file.fd(), path);
        sink.put("OFF\n");
        sink.flush();
        EXPECT_FALSE(d2dtest::file_exists(path));
        file.put_in_place();
    }
    EXPECT_EQ(d2dtest::read_text(path), "OFF\n");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"mesh.off"});
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~current_umask());
}

TEST(AtomicFile, AbandonedFileLeavesNothingAndTheOldFileUntouched) {
    d2dtest::ScratchFolder folder;
    const std::string path = folder.file("mesh.off");
    d2dtest::write_text(path, "old");
    {
        d2dcli::AtomicFile file(path);
        d2dcli::TextSink sink(file.fd(), path);
        sink.put("half a mesh");
        sink.flush();
        file.finish();
    }
    EXPECT_EQ(d2dtest::read_text(path), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"mesh.off"});
}

TEST(AtomicFile, DevicesAreWrittenThroughAndLinksKeepPointingWhereTheyDid) {
    d2dcli::OutputOptions options;
    d2dcli::write_mesh("/dev/null", {}, options, {});
    struct stat status {};
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));

    d2dtest::ScratchFolder folder;
    ASSERT_EQ(::mkdir(folder.file("meshes").c_str(), 0777), 0);
    d2dtest::write_text(folder.file("meshes/target.off"), "old");
    ASSERT_EQ(::symlink("meshes/target.off", folder.file("link.off").c_str()), 0);
    d2dcli::write_mesh(folder.file("link.off"), {}, options, {});
    struct stat link {};
    ASSERT_EQ(::lstat(folder.file("link.off").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(d2dtest::read_text(folder.file("meshes/target.off")), "OFF\n0 0 0\n");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"link.off", "meshes"}));
}

TEST(AtomicFile, MissingFolderIsReportedByPath) {
    d2dtest::ScratchFolder folder;
    const std::string path = folder.file("no/such/mesh.ele");
    d2dcli::OutputOptions options;
    options.format = d2dcli::OutputFormat::ele;
    try {
        d2dcli::write_mesh(path, {}, options, {});
        FAIL() << "wrote into a missing folder";
    } catch (const d2dcli::OutputError& e) {
        EXPECT_EQ(std::string(e.what()), path + ": cannot create a file in its folder: No such file or directory");
    }
    EXPECT_TRUE(folder.names().empty());
}

}  // namespace
