#include "formats/read/las_points.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/read/input_error.hpp"

namespace d2dcli {

namespace {

constexpr std::size_t most_block_bytes = std::size_t{4} << 20;

std::int32_t i32(const unsigned char* p) {
    const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    std::int32_t value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A record's class: formats 0 to 5 keep it in the low 5 bits of byte 15
// (the upper 3 are the synthetic, key-point and withheld flags); formats 6
// to 10 give it byte 16 whole.
//
//   0-5:  X Y Z | intensity | returns | class+flags | ...
//   6-10: X Y Z | intensity | returns | flags+channel | class | ...
//         0     12          14        15              16
unsigned class_of(const unsigned char* record, int point_format) {
    return point_format <= 5 ? (record[15] & 0x1Fu) : record[16];
}

}  // namespace

void read_las_records(LineSource& source, const LasHeader& header, const PointClasses& classes,
                      const PointBlock& block, std::size_t block_points) {
    const std::size_t length = header.record_length;
    // Records may be up to 64 KB long: the block is held to a few MB.
    block_points = std::clamp<std::size_t>(block_points, 1, std::max<std::size_t>(1, most_block_bytes / length));
    std::vector<unsigned char> records(block_points * length);
    std::vector<double> xyz(3 * block_points);
    // Each turn reads up to block_points records of the count, so the loop
    // ends after point_count / block_points + 1 turns.
    for (std::uint64_t done = 0; done < header.point_count;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(block_points, header.point_count - done));
        const std::size_t got = source.read_bytes(records.data(), count * length);
        if (got != count * length) {
            throw InputError(source.name() + ": the file ends after " + std::to_string(done + got / length) + " of its " +
                             std::to_string(header.point_count) + " points");
        }
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* record = records.data() + i * length;
            if (!classes.keeps(class_of(record, header.point_format))) {
                continue;
            }
            for (int axis = 0; axis < 3; ++axis) {
                xyz[3 * kept + static_cast<std::size_t>(axis)] =
                    static_cast<double>(i32(record + 4 * axis)) * header.scale[axis] + header.offset[axis];
            }
            ++kept;
        }
        if (kept > 0) {
            block(xyz.data(), kept);
        }
        done += count;
    }
}

PointSet read_las_points(LineSource& source, const PointClasses& classes, std::string& crs) {
    LasHeader header = read_las_header(source);
    PointSet points;
    // The count was checked against the file's size; a pipe's is not
    // known, and its points are taken as they come.
    if (source.total_size() > 0 && classes.all()) {
        points.xy.reserve(static_cast<std::size_t>(2 * header.point_count));
        points.zw.reserve(static_cast<std::size_t>(2 * header.point_count));
    }
    read_las_records(source, header, classes, [&](const double* xyz, std::size_t count) {
        const std::size_t first = points.size();
        points.xy.resize(2 * (first + count));
        points.zw.resize(2 * (first + count));
        double* xy = points.xy.data() + 2 * first;
        double* zw = points.zw.data() + 2 * first;
        for (std::size_t i = 0; i < count; ++i) {
            xy[2 * i] = xyz[3 * i];
            xy[2 * i + 1] = xyz[3 * i + 1];
            zw[2 * i] = xyz[3 * i + 2];
            zw[2 * i + 1] = 0.0;
        }
    });
    read_las_trailing_records(source, source.position(), header);
    points.extra_columns = 1;
    crs = header.crs();
    return points;
}

}  // namespace d2dcli
