#include "formats/read/point_file_passes.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "formats/read/input_error.hpp"
#include "formats/read/las_coordinate_system.hpp"
#include "formats/read/las_points.hpp"
#include "formats/read/ply_points.hpp"
#include "formats/read/text_points.hpp"

namespace d2dcli {

namespace {

// Bytes a pass reads at a time.
constexpr std::size_t pass_read_size = std::size_t{2} << 20;

// A file kept open for the passes, rewound before each.
class OpenFile {
public:
    explicit OpenFile(const std::string& path) : path_(path), fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0) {
            throw InputError(path + ": cannot open: " + std::strerror(errno));
        }
    }
    ~OpenFile() { ::close(fd_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // A source at byte at of the file.
    LineSource at(std::uint64_t at) const {
        if (::lseek(fd_, static_cast<off_t>(at), SEEK_SET) < 0) {
            throw InputError(path_ + ": cannot read: " + std::strerror(errno));
        }
        return LineSource(fd_, path_, pass_read_size);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_;
};

}  // namespace

PointExtent extent_by_pass(PointPasses& passes) {
    PointExtent extent;
    double box[4] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    passes.pass([&](const double* xyz, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const double x = xyz[3 * i];
            const double y = xyz[3 * i + 1];
            if (std::isfinite(x) && std::isfinite(y)) {
                box[0] = std::min(box[0], x);
                box[1] = std::min(box[1], y);
                box[2] = std::max(box[2], x);
                box[3] = std::max(box[3], y);
            }
        }
        extent.count += count;
    });
    if (box[0] <= box[2]) {
        extent.min_x = box[0];
        extent.min_y = box[1];
        extent.max_x = box[2];
        extent.max_y = box[3];
    }
    return extent;
}

namespace {

// Passes whose extent is found by the first pass asked for it, and kept.
class PassesFoundByPass : public PointPasses {
public:
    PointExtent extent() override {
        if (!extent_) {
            extent_ = extent_by_pass(*this);
        }
        return *extent_;
    }

private:
    std::optional<PointExtent> extent_;
};

class LasPasses final : public PassesFoundByPass {
public:
    LasPasses(const std::string& path, const std::vector<unsigned>& classes) : file_(path), classes_(classes) {
        LineSource source = file_.at(0);
        header_ = read_las_header(source);
        if (header_.evlr_count > 0 && header_.evlr_start >= header_.points_end()) {
            LineSource trailing = file_.at(header_.evlr_start);
            read_las_trailing_records(trailing, header_.evlr_start, header_);
        }
    }
    // The extent comes by a pass, never from the header's bounds: writers
    // round them outward or leave them stale, and the raster's grid and
    // the tiles must be fitted to the points themselves, as the whole-file
    // run fits them.
    void pass(const PointBlock& block) override {
        LineSource source = file_.at(0);
        const LasHeader header = read_las_header(source);
        read_las_records(source, header, classes_, block);
    }
    std::string crs_wkt() const override { return header_.wkt.empty() ? header_.crs() : header_.wkt; }

private:
    OpenFile file_;
    PointClasses classes_;
    LasHeader header_;
};

class PlyPasses final : public PassesFoundByPass {
public:
    explicit PlyPasses(const std::string& path) : file_(path) {
        LineSource source = file_.at(0);
        read_ply_header(source);
    }
    void pass(const PointBlock& block) override {
        LineSource source = file_.at(0);
        const PlyLayout layout = read_ply_header(source);
        read_ply_vertices(source, layout, block);
    }

private:
    OpenFile file_;
};

// Text points ("x y z" lines, or columns a header names), read by the
// text reader a block at a time.
class TextPasses final : public PassesFoundByPass {
public:
    TextPasses(const std::string& path, std::string z_column) : file_(path), z_column_(std::move(z_column)) {}
    void pass(const PointBlock& block) override {
        LineSource source = file_.at(0);
        TextPointReader reader(source, {}, z_column_);
        PointSet points;
        std::vector<double> xyz;
        bool more = true;
        // Each turn reads up to block_points lines' points; the reader says
        // when the file has ended.
        while (more) {
            points.xy.clear();
            points.zw.clear();
            more = reader.read(points, block_points);
            has_z_ = has_z_ || !points.zw.empty() || points.extra_columns > 0;
            xyz.resize(3 * points.size());
            for (std::size_t i = 0; i < points.size(); ++i) {
                xyz[3 * i] = points.xy[2 * i];
                xyz[3 * i + 1] = points.xy[2 * i + 1];
                xyz[3 * i + 2] = points.zw.empty() ? 0.0 : points.zw[2 * i];
            }
            if (points.size() > 0) {
                block(xyz.data(), points.size());
            }
        }
    }

    bool has_z() const override { return has_z_; }

private:
    static constexpr std::size_t block_points = std::size_t{1} << 16;
    OpenFile file_;
    std::string z_column_;
    bool has_z_ = false;
};

}  // namespace

std::unique_ptr<PointPasses> open_point_passes(const std::string& path, const PassRequest& request) {
    InputFormat format = request.format;
    if (format == InputFormat::automatic) {
        format = input_format_of_path(path);
    }
    if (format == InputFormat::automatic) {
        OpenFile file(path);
        LineSource source = file.at(0);
        format = input_format_of_content(source.peek());
    }
    if (format != InputFormat::las && !request.classes.empty()) {
        throw InputError(path + ": --classes keeps LAS points by their classification; this file has no classes");
    }
    if (format == InputFormat::las) {
        return std::make_unique<LasPasses>(path, request.classes);
    }
    if (format == InputFormat::ply) {
        return std::make_unique<PlyPasses>(path);
    }
    if (format == InputFormat::text) {
        return std::make_unique<TextPasses>(path, request.z_column);
    }
    throw InputError(path + ": reading in passes takes a LAS, PLY or text file of points");
}

std::string crs_of_passes(const PointPasses& passes) {
    const std::string crs = passes.crs_wkt();
    if (crs.rfind("EPSG:", 0) == 0) {
        return crs;
    }
    const int code = epsg_of_wkt(crs);
    return code > 0 ? "EPSG:" + std::to_string(code) : std::string();
}

}  // namespace d2dcli
