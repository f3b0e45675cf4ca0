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
#include "formats/read/point_file_passes.hpp"

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

class MemoryPasses final : public PointPasses {
public:
    explicit MemoryPasses(const PointSet& points) : points_(points) {}

    PointExtent extent() override { return extent_by_pass(*this); }

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
                                                  const std::string& z_column,
                                                  const std::vector<unsigned>& classes) {
    InputFormat format = named != InputFormat::automatic ? named : input_format_of_path(path);
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
        format = input_format_of_content(source.peek());
    }
    if (format != InputFormat::text && format != InputFormat::las && format != InputFormat::ply) {
        return nullptr;
    }
    PassRequest request;
    request.format = format;
    request.classes = classes;
    request.z_column = z_column;
    return open_point_passes(path, request);
}

std::unique_ptr<PointPasses> point_passes_of(const PointSet& points) { return std::make_unique<MemoryPasses>(points); }

}  // namespace d2dcli
