#include "formats/read/point_passes_of.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"
#include "formats/read/text_points.hpp"

namespace d2dcli {

namespace {

// Points per block handed over: 64 Ki points, 1.5 MB of x, y, z.
constexpr std::size_t block_points = std::size_t{1} << 16;

// Blocks of x, y, z filled a point at a time and handed on when full.
class BlockFiller {
public:
    explicit BlockFiller(const PointBlock& block) : block_(block) { xyz_.reserve(3 * block_points); }
    void add(double x, double y, double z) {
        xyz_.push_back(x);
        xyz_.push_back(y);
        xyz_.push_back(z);
        if (xyz_.size() == 3 * block_points) {
            flush();
        }
    }
    void flush() {
        if (!xyz_.empty()) {
            block_(xyz_.data(), xyz_.size() / 3);
            xyz_.clear();
        }
    }

private:
    const PointBlock& block_;
    std::vector<double> xyz_;
};

// Counts and bounds the finite points of each block.
class ExtentCounter {
public:
    void add(const double* xyz, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const double x = xyz[3 * i];
            const double y = xyz[3 * i + 1];
            ++extent_.count;
            if (!std::isfinite(x) || !std::isfinite(y)) {
                continue;
            }
            if (finite_ == 0) {
                extent_.min_x = extent_.max_x = x;
                extent_.min_y = extent_.max_y = y;
            }
            ++finite_;
            extent_.min_x = std::min(extent_.min_x, x);
            extent_.max_x = std::max(extent_.max_x, x);
            extent_.min_y = std::min(extent_.min_y, y);
            extent_.max_y = std::max(extent_.max_y, y);
        }
    }
    const PointExtent& extent() const { return extent_; }

private:
    PointExtent extent_;
    std::uint64_t finite_ = 0;
};

// A text file of points, opened again for every pass and read through the
// same reader as the whole-file read (the same messages, the same header
// rules).
class TextFilePasses final : public PointPasses {
public:
    TextFilePasses(std::string path, std::string z_column) : path_(std::move(path)), z_column_(std::move(z_column)) {}

    PointExtent extent() override {
        if (!extent_) {
            ExtentCounter counter;
            pass([&counter](const double* xyz, std::size_t count) { counter.add(xyz, count); });
            extent_ = counter.extent();
        }
        return *extent_;
    }

    void pass(const PointBlock& block) override {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            throw InputError(path_ + ": cannot open: " + std::strerror(errno));
        }
        struct Close {
            int fd;
            ~Close() { ::close(fd); }
        } closer{fd};
        LineSource source(fd, path_);
        BlockFiller filler(block);
        PointSet info;
        bool some_z = false;
        scan_text_points(source, {}, z_column_, info, [&](double x, double y, const double* zw) {
            some_z = some_z || zw != nullptr;
            filler.add(x, y, zw != nullptr ? zw[0] : 0.0);
        });
        filler.flush();
        has_z_ = some_z || info.extra_columns > 0;
    }

    bool has_z() const override { return has_z_; }

private:
    std::string path_;
    std::string z_column_;
    std::optional<PointExtent> extent_;
    bool has_z_ = false;
};

class MemoryPasses final : public PointPasses {
public:
    explicit MemoryPasses(const PointSet& points) : points_(points) {}

    PointExtent extent() override {
        ExtentCounter counter;
        pass([&counter](const double* xyz, std::size_t count) { counter.add(xyz, count); });
        return counter.extent();
    }

    void pass(const PointBlock& block) override {
        BlockFiller filler(block);
        for (std::size_t i = 0; i < points_.size(); ++i) {
            filler.add(points_.xy[2 * i], points_.xy[2 * i + 1], points_.zw.empty() ? 0.0 : points_.zw[2 * i]);
        }
        filler.flush();
    }

    bool has_z() const override { return !points_.zw.empty(); }

private:
    const PointSet& points_;
};

}  // namespace

std::unique_ptr<PointPasses> point_passes_of_file(const std::string& path, InputFormat named,
                                                  const std::string& z_column) {
    const InputFormat format = named != InputFormat::automatic ? named : input_format_of_path(path);
    if (format == InputFormat::automatic) {
        // As the whole-file read decides: by the content's first lines.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            throw InputError(path + ": cannot open: " + std::strerror(errno));
        }
        struct Close {
            int fd;
            ~Close() { ::close(fd); }
        } closer{fd};
        LineSource source(fd, path, std::size_t{1} << 16);
        if (input_format_of_content(source.peek()) != InputFormat::text) {
            return nullptr;
        }
    } else if (format != InputFormat::text) {
        return nullptr;
    }
    return std::make_unique<TextFilePasses>(path, z_column);
}

std::unique_ptr<PointPasses> point_passes_of(const PointSet& points) { return std::make_unique<MemoryPasses>(points); }

}  // namespace d2dcli
