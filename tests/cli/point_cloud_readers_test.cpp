// The point-cloud readers: LAS files of every point format and header
// version, written here byte by byte from the format's layout, read back
// with their scale and offset applied and their classes filtered; LAS's
// coordinate system (GeoTIFF keys, WKT, in a VLR or an EVLR); PLY vertices
// binary either way round and ASCII; the passes giving what the whole-file
// read gives; and every kind of damaged file refused by the program with a
// message, and nothing written.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"
#include "formats/read/point_file_passes.hpp"
#include "support/process_runner.hpp"

namespace {

using d2dcli::InputError;
using d2dcli::InputFormat;
using d2dcli::InputRead;
using d2dtest::ScratchFolder;

// ---- a LAS writer of the test's own ----

void put(std::string& out, std::size_t at, const void* value, std::size_t size) {
    if (out.size() < at + size) {
        out.resize(at + size, '\0');
    }
    std::memcpy(&out[at], value, size);  // the test hosts are little-endian, as LAS is
}
template <typename T>
void put_as(std::string& out, std::size_t at, T value) {
    put(out, at, &value, sizeof value);
}

struct LasPoint {
    std::int32_t X, Y, Z;
    std::uint8_t classification;  // the class as it is to read back
};

struct LasRecord {  // a VLR (or, with extended, an EVLR)
    std::uint16_t id;
    std::string body;
};

struct LasContent {
    int minor = 2;
    int format = 0;
    int extra_bytes = 0;
    double scale[3] = {0.25, 0.5, 0.125};
    double offset[3] = {1000, -2000, 50};
    std::vector<LasPoint> points;
    std::vector<LasRecord> vlrs;
    std::vector<LasRecord> evlrs;  // 1.4 only
    bool legacy_count = true;      // 1.4: also fill the 32-bit count
};

const int record_lengths[11] = {20, 28, 26, 34, 57, 63, 30, 36, 38, 59, 67};

std::string las_file(const LasContent& content) {
    const std::uint16_t header_size = content.minor >= 4 ? 375 : content.minor == 3 ? 235 : 227;
    std::string out(header_size, '\0');
    std::memcpy(&out[0], "LASF", 4);
    out[24] = 1;
    out[25] = static_cast<char>(content.minor);
    put_as<std::uint16_t>(out, 94, header_size);
    std::string vlrs;
    for (const LasRecord& vlr : content.vlrs) {
        std::string head(54, '\0');
        std::memcpy(&head[2], "LASF_Projection", 15);
        put_as<std::uint16_t>(head, 18, vlr.id);
        put_as<std::uint16_t>(head, 20, static_cast<std::uint16_t>(vlr.body.size()));
        vlrs += head + vlr.body;
    }
    const std::uint32_t point_offset = header_size + static_cast<std::uint32_t>(vlrs.size());
    const auto length = static_cast<std::uint16_t>(record_lengths[content.format] + content.extra_bytes);
    put_as<std::uint32_t>(out, 96, point_offset);
    put_as<std::uint32_t>(out, 100, static_cast<std::uint32_t>(content.vlrs.size()));
    out[104] = static_cast<char>(content.format);
    put_as<std::uint16_t>(out, 105, length);
    const auto count = static_cast<std::uint32_t>(content.points.size());
    put_as<std::uint32_t>(out, 107, content.legacy_count ? count : 0);
    double min[3] = {1e300, 1e300, 1e300}, max[3] = {-1e300, -1e300, -1e300};
    for (const LasPoint& p : content.points) {
        const std::int32_t v[3] = {p.X, p.Y, p.Z};
        for (int a = 0; a < 3; ++a) {
            min[a] = std::min(min[a], v[a] * content.scale[a] + content.offset[a]);
            max[a] = std::max(max[a], v[a] * content.scale[a] + content.offset[a]);
        }
    }
    for (int a = 0; a < 3; ++a) {
        put_as<double>(out, 131 + 8 * a, content.scale[a]);
        put_as<double>(out, 155 + 8 * a, content.offset[a]);
        put_as<double>(out, 179 + 16 * a, max[a]);
        put_as<double>(out, 187 + 16 * a, min[a]);
    }
    out += vlrs;
    for (const LasPoint& p : content.points) {
        std::string record(length, '\0');
        put_as<std::int32_t>(record, 0, p.X);
        put_as<std::int32_t>(record, 4, p.Y);
        put_as<std::int32_t>(record, 8, p.Z);
        if (content.format <= 5) {
            // The class in the low 5 bits, a withheld flag above it.
            record[15] = static_cast<char>(p.classification | 0x80);
        } else {
            record[15] = static_cast<char>(0x1F);  // flags and channel: no class here
            record[16] = static_cast<char>(p.classification);
        }
        for (int i = 0; i < content.extra_bytes; ++i) {
            record[static_cast<std::size_t>(record_lengths[content.format] + i)] = static_cast<char>(0xEE);
        }
        out += record;
    }
    if (content.minor >= 4) {
        put_as<std::uint64_t>(out, 247, count);
        if (!content.evlrs.empty()) {
            put_as<std::uint64_t>(out, 235, out.size());
            put_as<std::uint32_t>(out, 243, static_cast<std::uint32_t>(content.evlrs.size()));
        }
        for (const LasRecord& evlr : content.evlrs) {
            std::string head(60, '\0');
            std::memcpy(&head[2], "LASF_Projection", 15);
            put_as<std::uint16_t>(head, 18, evlr.id);
            put_as<std::uint64_t>(head, 20, evlr.body.size());
            out += head + evlr.body;
        }
    }
    return out;
}

const std::vector<LasPoint> sample_points = {
    {0, 0, 0, 2}, {4, 8, 16, 1}, {-4, 10, -8, 9}, {400, -20, 3, 2}, {7, 7, 7, 5}, {-100000, 123456, 80, 31}};
// Those points as coordinates: 1000 + X/4, -2000 + Y/2, 50 + Z/8.
const std::vector<double> sample_xyz = {1000,  -2000, 50,    1001, -1996, 52,    999,    -1995, 49,
                                        1100,  -2010, 50.375, 1001.75, -1996.5, 50.875, -24000, 59728, 60};

// The GeoTIFF keys of WGS 84 / UTM 33N: GTModelType projected,
// GeographicType 4326, ProjectedCSType 32633.
std::string geotiff_keys_32633() {
    const std::uint16_t keys[] = {1, 1, 0, 3, 1024, 0, 1, 1, 2048, 0, 1, 4326, 3072, 0, 1, 32633};
    return std::string(reinterpret_cast<const char*>(keys), sizeof keys);
}
const std::string utm_wkt =
    "PROJCS[\"WGS 84 / UTM zone 33N\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
    "298.257223563,AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],AUTHORITY[\"EPSG\",\"4326\"]],"
    "PROJECTION[\"Transverse_Mercator\"],UNIT[\"metre\",1,AUTHORITY[\"EPSG\",\"9001\"]],"
    "AUTHORITY[\"EPSG\",\"32633\"]]";

// Reads bytes saved as a file called name through the program's one entry.
InputRead read_file(const std::string& bytes, const std::string& name, const std::vector<unsigned>& classes = {},
                    std::size_t block_size = std::size_t{4} << 20) {
    ScratchFolder folder;
    const std::string path = folder.file(name);
    d2dtest::write_text(path, bytes);
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    d2dcli::LineSource source(fd, name, block_size);
    d2dcli::ReadRequest request;
    request.classes = classes;
    try {
        InputRead input = d2dcli::read_input(source, InputFormat::automatic, request);
        ::close(fd);
        return input;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

std::string error_of(const std::string& bytes, const std::string& name) {
    try {
        read_file(bytes, name);
    } catch (const InputError& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<double> xyz_of(const d2dcli::PointSet& points) {
    std::vector<double> xyz;
    for (std::size_t i = 0; i < points.size(); ++i) {
        xyz.insert(xyz.end(), {points.xy[2 * i], points.xy[2 * i + 1], points.zw.empty() ? 0.0 : points.zw[2 * i]});
    }
    return xyz;
}

TEST(LasReader, EveryFormatAndVersionReadsScaledCoordinatesAndFiltersClasses) {
    for (int minor : {0, 2, 3, 4}) {
        for (int format = 0; format <= 10; ++format) {
            SCOPED_TRACE("LAS 1." + std::to_string(minor) + ", format " + std::to_string(format));
            LasContent content;
            content.minor = minor;
            content.format = format;
            content.extra_bytes = format % 3 == 0 ? 0 : 5;
            content.points = sample_points;
            const std::string bytes = las_file(content);
            // Tiny blocks put records across block edges.
            const InputRead all = read_file(bytes, "cloud.las", {}, format == 7 ? 13 : std::size_t{4} << 20);
            EXPECT_EQ(all.format, InputFormat::las);
            EXPECT_EQ(all.content.points.extra_columns, 1);
            EXPECT_EQ(xyz_of(all.content.points), sample_xyz);

            const std::vector<double> kept = xyz_of(read_file(bytes, "cloud.las", {2, 9}).content.points);
            const std::vector<double> expected = {1000, -2000, 50, 999, -1995, 49, 1100, -2010, 50.375};
            EXPECT_EQ(kept, expected);
            // Class 31 exists only where the byte is whole or masked right.
            EXPECT_EQ(xyz_of(read_file(bytes, "cloud.las", {31}).content.points),
                      (std::vector<double>{-24000, 59728, 60}));
        }
    }
}

TEST(LasReader, TakesTheCountsAndCoordinateSystemWhereEachVersionKeepsThem) {
    LasContent content;
    content.minor = 4;
    content.format = 6;
    content.points = sample_points;
    content.legacy_count = false;  // formats 6 to 10 leave the 32-bit count 0
    content.evlrs = {{2112, utm_wkt + std::string(1, '\0')}};
    InputRead input = read_file(las_file(content), "wide.las");
    EXPECT_EQ(input.content.points.size(), sample_points.size());
    EXPECT_EQ(input.content.crs, "EPSG:32633");  // from the EVLR after the points, not 4326

    content = LasContent();
    content.points = sample_points;
    content.vlrs = {{34735, geotiff_keys_32633()}};
    EXPECT_EQ(read_file(las_file(content), "keys.las").content.crs, "EPSG:32633");
    content.vlrs = {{2112, "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563]],"
                        "ID[\"EPSG\",4326]]"}};
    EXPECT_EQ(read_file(las_file(content), "wkt2.las").content.crs, "EPSG:4326");
    content.vlrs = {{2112, "LOCAL_CS[\"site grid\",AUTHORITY[\"XX\",\"7\"]]"}};
    EXPECT_EQ(read_file(las_file(content), "local.las").content.crs, "");
    // Horizontal and vertical: the compound system's code, else its first part's.
    const std::string vertical = "VERT_CS[\"NAVD88 height\",VERT_DATUM[\"NAVD88\",2005],AUTHORITY[\"EPSG\",\"5703\"]]";
    content.vlrs = {{2112, "COMPD_CS[\"UTM 33N + NAVD88\"," + utm_wkt + "," + vertical + "]"}};
    EXPECT_EQ(read_file(las_file(content), "compound.las").content.crs, "EPSG:32633");
    content.vlrs = {{2112, "COMPD_CS[\"x\"," + utm_wkt + "," + vertical + ",AUTHORITY[\"EPSG\",\"7000\"]]"}};
    EXPECT_EQ(read_file(las_file(content), "compound.las").content.crs, "EPSG:7000");
    // A user-defined projection is not its geographic base.
    std::string keys = geotiff_keys_32633();
    keys[30] = '\xFF';
    keys[31] = '\x7F';  // ProjectedCSType 32767
    content.vlrs = {{34735, keys}};
    EXPECT_EQ(read_file(las_file(content), "user.las").content.crs, "");

    // Records of 64 KB, the longest LAS allows, in blocks of a few MB.
    content = LasContent();
    content.format = 3;
    content.extra_bytes = 65535 - 34;
    content.points = sample_points;
    EXPECT_EQ(xyz_of(read_file(las_file(content), "long.las").content.points), sample_xyz);

    // Content, not the name, tells a LAS file.
    EXPECT_EQ(read_file(las_file(content), "cloud.bin").format, InputFormat::las);
}

TEST(LasReader, DamagedFilesAreRefusedWithWhatIsWrong) {
    LasContent content;
    content.format = 3;
    content.points = sample_points;
    const std::string good = las_file(content);
    auto with = [&](std::size_t at, std::string bytes) {
        std::string damaged = good;
        damaged.replace(at, bytes.size(), bytes);
        return damaged;
    };
    auto u16 = [](std::uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    auto u32 = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    const struct {
        std::string bytes;
        const char* name;
        const char* says;
    } cases[] = {
        {good.substr(0, 100), "short.las", "ends inside its LAS header"},
        {with(0, "LASG"), "sign.las", "not a LAS file"},
        {with(94, u16(200)), "small.las", "header size is 200 bytes"},
        {with(107, u32(1000)), "many.las", "counts 1000 points"},
        {with(107, u32(0xFFFFFFFFu)), "huge.las", "counts 4294967295 points"},
        {with(105, u16(30)), "record.las", "too short for format 3"},
        {with(104, std::string(1, '\x0B')), "format.las", "format 11 is not one LAS defines"},
        {with(104, std::string(1, '\x83')), "zipped.las", "LAZ is compressed"},
        {good, "cloud.laz", "LAZ is compressed"},
        {with(25, std::string(1, '\x07')), "version.las", "LAS version 1.7"},
        {with(96, u32(100)), "offset.las", "inside the header"},
        {with(100, u32(3)), "vlrs.las", "runs into the point data"},
        {with(131, std::string(8, '\0')), "scale.las", "x scale"},
        {good.substr(0, good.size() - 10), "cut.las", "counts 6 points"},
    };
    // Each through the program: one line naming the file, exit status 1,
    // and no mesh.
    ScratchFolder folder;
    for (const auto& c : cases) {
        d2dtest::write_text(folder.file(c.name), c.bytes);
        const d2dtest::ProcessResult run =
            d2dtest::run_process(DELAUNAY2D_CLI, {folder.file(c.name), "-o", folder.file("mesh.json")});
        EXPECT_EQ(run.exit_status, 1) << c.name;
        EXPECT_EQ(run.err.rfind("delaunay2d: " + folder.file(c.name) + ": ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
        EXPECT_FALSE(d2dtest::file_exists(folder.file("mesh.json"))) << c.name;
    }
    // A pipe's size is unknown: the end of the records is found by reading.
    d2dtest::write_text(folder.file("cut.las"), good.substr(0, good.size() - 10));
    const d2dtest::ProcessResult piped = d2dtest::run_process(
        "sh", {"-c", "cat \"$1\" | \"$0\" -o \"$2\"", DELAUNAY2D_CLI, folder.file("cut.las"), folder.file("m.json")});
    EXPECT_EQ(piped.exit_status, 1);
    EXPECT_NE(piped.err.find("standard input: the file ends after 5 of its 6 points"), std::string::npos) << piped.err;
    EXPECT_FALSE(d2dtest::file_exists(folder.file("m.json")));
}

// ---- PLY ----

template <typename T>
std::string bytes_of(T value, bool big_endian) {
    std::string b(reinterpret_cast<const char*>(&value), sizeof value);
    if (big_endian) {
        std::reverse(b.begin(), b.end());
    }
    return b;
}

// Vertices with x, y and z in mixed types among other properties, a face
// after them, as point-cloud tools export them.
std::string ply_file(const std::string& format, bool with_leading_element = false) {
    const bool big = format == "binary_big_endian";
    std::string out = "ply\nformat " + format + " 1.0\ncomment made by a test\n";
    if (with_leading_element) {
        out += "element camera 2\nproperty float view_x\nproperty uchar flag\n";
    }
    out += "element vertex 3\nproperty uchar red\nproperty double y\nproperty float x\n"
           "property short intensity\nproperty double z\nelement face 1\n"
           "property list uchar int vertex_indices\nend_header\n";
    const double v[3][3] = {{1.5, -2.25, 100.125}, {3.0, 4.0, -5.0}, {-7.5, 8.5, 0.0}};
    if (format == "ascii") {
        if (with_leading_element) {
            out += "1 2\n3 4\n";
        }
        for (const auto& p : v) {
            out += "255 " + std::to_string(p[1]) + " " + std::to_string(p[0]) + " -3 " + std::to_string(p[2]) + "\n";
        }
        return out + "3 0 1 2\n";
    }
    if (with_leading_element) {
        out += std::string(10, '\x01');
    }
    for (const auto& p : v) {
        out += std::string(1, '\xFF') + bytes_of(p[1], big) + bytes_of(static_cast<float>(p[0]), big) +
               bytes_of(static_cast<std::int16_t>(-3), big) + bytes_of(p[2], big);
    }
    return out + std::string(1, '\x03') + bytes_of(std::int32_t{0}, big) + bytes_of(std::int32_t{1}, big) +
           bytes_of(std::int32_t{2}, big);
}

TEST(PlyReader, ReadsVerticesOfEveryEncodingAndSkipsOtherProperties) {
    const std::vector<double> expected = {1.5, -2.25, 100.125, 3, 4, -5, -7.5, 8.5, 0};
    for (const char* format : {"binary_little_endian", "binary_big_endian", "ascii"}) {
        for (bool leading : {false, true}) {
            SCOPED_TRACE(std::string(format) + (leading ? " after another element" : ""));
            const InputRead input = read_file(ply_file(format, leading), "cloud.ply", {}, 7);
            EXPECT_EQ(input.format, InputFormat::ply);
            EXPECT_EQ(xyz_of(input.content.points), expected);
            EXPECT_EQ(read_file(ply_file(format, leading), "cloud.data").format, InputFormat::ply);
        }
    }
    std::string many = ply_file("binary_little_endian");
    many.replace(many.find("vertex 3"), 8, "vertex 9");
    EXPECT_NE(error_of(many, "many.ply").find("counts 9 vertices of 23 bytes"), std::string::npos);
    EXPECT_NE(error_of("ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n1\n", "flat.ply")
                  .find("no property x or no property y"),
              std::string::npos);
    EXPECT_NE(error_of("ply\nformat binary_little_endian 1.0\nelement vertex 1\n", "open.ply").find("no end_header"),
              std::string::npos);
    EXPECT_NE(error_of(ply_file("ascii"), "classes.ply").find("(no error)"), std::string::npos);
    EXPECT_THROW(read_file(ply_file("ascii"), "classes.ply", {2}), InputError);  // PLY has no classes
}

// ---- passes ----

std::vector<double> all_of_passes(d2dcli::PointPasses& passes) {
    std::vector<double> xyz;
    passes.pass([&](const double* block, std::size_t count) { xyz.insert(xyz.end(), block, block + 3 * count); });
    return xyz;
}

TEST(PointPasses, HandOverWhatTheWholeReadDoesAndTheExtentOfIt) {
    ScratchFolder folder;
    LasContent content;
    content.minor = 4;
    content.format = 1;
    content.points = sample_points;
    content.vlrs = {{2112, utm_wkt}};
    d2dtest::write_text(folder.file("cloud.las"), las_file(content));
    auto all = d2dcli::open_point_passes(folder.file("cloud.las"), {});
    EXPECT_EQ(all_of_passes(*all), sample_xyz);
    EXPECT_EQ(all_of_passes(*all), sample_xyz);  // a second pass reads the file again
    const d2dcli::PointExtent extent = all->extent();
    EXPECT_EQ(extent.count, 6u);
    EXPECT_EQ(extent.min_x, -24000);
    EXPECT_EQ(extent.max_x, 1100);
    EXPECT_EQ(extent.min_y, -2010);
    EXPECT_EQ(extent.max_y, 59728);
    EXPECT_EQ(all->crs_wkt(), utm_wkt);
    EXPECT_EQ(d2dcli::crs_of_passes(*all), "EPSG:32633");

    d2dcli::PassRequest ground;
    ground.classes = {2};
    auto kept = d2dcli::open_point_passes(folder.file("cloud.las"), ground);
    EXPECT_EQ(all_of_passes(*kept), (std::vector<double>{1000, -2000, 50, 1100, -2010, 50.375}));
    const d2dcli::PointExtent kept_extent = kept->extent();
    EXPECT_EQ(kept_extent.count, 2u);
    EXPECT_EQ(kept_extent.min_x, 1000);
    EXPECT_EQ(kept_extent.max_y, -2000);

    d2dtest::write_text(folder.file("cloud.ply"), ply_file("binary_big_endian"));
    auto ply = d2dcli::open_point_passes(folder.file("cloud.ply"), {});
    EXPECT_EQ(all_of_passes(*ply), (std::vector<double>{1.5, -2.25, 100.125, 3, 4, -5, -7.5, 8.5, 0}));
    EXPECT_EQ(ply->extent().count, 3u);
    EXPECT_EQ(d2dcli::crs_of_passes(*ply), "");
    EXPECT_EQ(ply->extent().min_x, -7.5);
    EXPECT_THROW(d2dcli::open_point_passes(folder.file("cloud.ply"), ground), InputError);

    // Text over more than one block of the reader, lines with and without
    // z, read as the whole-file read reads them.
    std::string text = "# x y [z]\n";
    std::vector<double> expected;
    for (int i = 0; i < 150000; ++i) {
        const bool with_z = i % 7 != 0;
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) of the
        // temporaries of one long concatenation.
        text += std::to_string(i);
        text += ' ';
        text += std::to_string(i % 1000);
        if (with_z) {
            text += ' ';
            text += std::to_string(i % 13);
        }
        text += '\n';
        expected.insert(expected.end(), {double(i), double(i % 1000), with_z ? double(i % 13) : 0.0});
    }
    d2dtest::write_text(folder.file("survey.csv"), text);
    auto lines = d2dcli::open_point_passes(folder.file("survey.csv"), {});
    EXPECT_EQ(all_of_passes(*lines), expected);
    EXPECT_EQ(lines->extent().count, 150000u);
    EXPECT_EQ(lines->extent().max_x, 149999);
    EXPECT_EQ(lines->extent().max_y, 999);
    EXPECT_THROW(d2dcli::open_point_passes(folder.file("survey.csv"), ground), InputError);
}

// ---- the program ----

TEST(PointCloudProgram, ReadsLasByNameOrContentAndPlyBesideAPlyOutput) {
    ScratchFolder folder;
    LasContent content;
    content.format = 3;
    content.extra_bytes = 4;
    content.points = sample_points;
    const std::string las = las_file(content);
    d2dtest::write_text(folder.file("cloud.las"), las);
    const std::string mesh = folder.file("mesh.json");
    d2dtest::ProcessResult run = d2dtest::run_process(
        DELAUNAY2D_CLI, {folder.file("cloud.las"), "--classes", "1,5,31", "--keep-all-points", "-o", mesh});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::string json = d2dtest::read_text(mesh);
    EXPECT_NE(json.find("[1001, -1996, 52]"), std::string::npos) << json;
    EXPECT_NE(json.find("[1001.75, -1996.5, 50.875]"), std::string::npos) << json;
    EXPECT_NE(json.find("[-24000, 59728, 60]"), std::string::npos) << json;
    EXPECT_EQ(json.find("[1000, -2000, 50]"), std::string::npos) << json;  // class 2 left out

    // The input's bytes through a pipe: LAS is told by its content.
    run = d2dtest::run_process("sh", {"-c", "\"$0\" - --classes 2,9 < \"$1\"", DELAUNAY2D_CLI, folder.file("cloud.las")});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.out.find("points read       3 (standard input)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("triangles         1\n"), std::string::npos) << run.out;

    run = d2dtest::run_process(DELAUNAY2D_CLI, {"--generate", "grid", "--classes", "2"});
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_NE(run.err.find("--classes keeps LAS points"), std::string::npos) << run.err;
    // The classes are one word: the input after them is not taken for one.
    run = d2dtest::run_process(DELAUNAY2D_CLI, {"--classes", "2", folder.file("cloud.las")});
    EXPECT_NE(run.out.find("points read       2 "), std::string::npos) << run.err;
    for (const char* bad : {"256", "2,,9", "ground", "-1"}) {
        run = d2dtest::run_process(DELAUNAY2D_CLI, {folder.file("cloud.las"), "--classes", bad});
        EXPECT_EQ(run.exit_status, 2) << bad;
    }

    // A .ply input is never taken for the .ply the run writes.
    d2dtest::write_text(folder.file("cloud.ply"), ply_file("binary_little_endian"));
    run = d2dtest::run_process(DELAUNAY2D_CLI, {folder.file("cloud.ply"), "-o", folder.file("cloud.ply")});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(d2dtest::read_text(folder.file("cloud.ply")), ply_file("binary_little_endian"));
    run = d2dtest::run_process(DELAUNAY2D_CLI, {folder.file("cloud.ply"), "-o", folder.file("mesh.ply")});
    EXPECT_EQ(run.exit_status, 0) << run.err;
}

}  // namespace
