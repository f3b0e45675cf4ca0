#include "formats/controls/clip_polygon.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "formats/controls/exact_side.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"

namespace d2dcli {

namespace {

// Whether the ray from (x, y) towards +x crosses the edge: the edge spans y
// half-open (its lower end belongs to it, its upper end not), and the point
// lies on the side of it from which the ray reaches it.
bool crosses(const std::array<double, 4>& e, double x, double y) {
    const bool up = e[1] <= y && y < e[3];
    const bool down = e[3] <= y && y < e[1];
    if (!up && !down) {
        return false;
    }
    const int side = exact_side(e[0], e[1], e[2], e[3], x, y);
    return up ? side > 0 : side < 0;
}

bool spans(const std::array<double, 4>& e, double y) {
    return (e[1] <= y && y < e[3]) || (e[3] <= y && y < e[1]);
}

}  // namespace

ClipPolygon::ClipPolygon(std::span<const double> xy, std::span<const std::uint32_t> segments) {
    box_[0] = box_[1] = std::numeric_limits<double>::infinity();
    box_[2] = box_[3] = -box_[0];
    for (std::size_t s = 0; s + 1 < segments.size(); s += 2) {
        const std::size_t a = segments[s];
        const std::size_t b = segments[s + 1];
        const std::array<double, 4> e{xy[2 * a], xy[2 * a + 1], xy[2 * b], xy[2 * b + 1]};
        if (e[1] == e[3] && e[0] == e[2]) {
            continue;  // a point, which no ray crosses
        }
        edges_.push_back(e);
        box_[0] = std::min({box_[0], e[0], e[2]});
        box_[1] = std::min({box_[1], e[1], e[3]});
        box_[2] = std::max({box_[2], e[0], e[2]});
        box_[3] = std::max({box_[3], e[1], e[3]});
    }
    if (edges_.empty() || edges_.size() > 0xffffffffu) {
        return;
    }
    // About four edges per strip; fewer strips while long edges, each in
    // every strip it reaches, would make the index more than 16 times the
    // edges (each halving halves the entries of the long edges, so this
    // ends within 17 rounds).
    std::size_t strips = std::min<std::size_t>(std::max<std::size_t>(edges_.size() / 4, 1), 1u << 16);
    std::vector<std::uint32_t> count;
    for (;;) {
        strip_height_ = (box_[3] - box_[1]) / static_cast<double>(strips);
        if (!(strip_height_ > 0.0)) {
            strips = 1;
            strip_height_ = 1.0;
        }
        strip_start_.assign(strips + 1, 0);
        std::size_t entries = 0;
        for (const auto& e : edges_) {
            entries += strip_of(std::max(e[1], e[3])) - strip_of(std::min(e[1], e[3])) + 1;
        }
        if (entries <= 16 * edges_.size() || strips == 1) {
            break;
        }
        strips /= 2;
    }
    for (const auto& e : edges_) {
        for (std::size_t t = strip_of(std::min(e[1], e[3])); t <= strip_of(std::max(e[1], e[3])); ++t) {
            ++strip_start_[t + 1];
        }
    }
    for (std::size_t t = 0; t < strips; ++t) {
        strip_start_[t + 1] += strip_start_[t];
    }
    strips_.resize(strip_start_[strips]);
    std::vector<std::uint32_t> next(strip_start_.begin(), strip_start_.end() - 1);
    for (std::size_t k = 0; k < edges_.size(); ++k) {
        const auto& e = edges_[k];
        for (std::size_t t = strip_of(std::min(e[1], e[3])); t <= strip_of(std::max(e[1], e[3])); ++t) {
            strips_[next[t]++] = static_cast<std::uint32_t>(k);
        }
    }
}

std::size_t ClipPolygon::strip_of(double y) const {
    const std::size_t strips = strip_start_.size() - 1;
    const double at = std::floor((y - box_[1]) / strip_height_);
    if (!(at > 0.0)) {
        return 0;
    }
    return std::min(strips - 1, static_cast<std::size_t>(at));
}

ClipPolygon ClipPolygon::read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw InputError(path + ": cannot open the --clip polygon: " + std::strerror(errno));
    }
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } closer{fd};
    LineSource source(fd, path);
    InputRead input = read_input(source, InputFormat::automatic);
    if (!carries_segments(input.format)) {
        throw InputError(path + ": --clip takes a polygon file (.geojson or .poly), not points");
    }
    ClipPolygon polygon(input.content.points.xy, input.content.segments);
    if (polygon.edges_.size() < 3) {
        throw InputError(path + ": the --clip file holds no polygon (fewer than three edges)");
    }
    return polygon;
}

bool ClipPolygon::contains(double x, double y) const {
    bool inside = false;
    edges_near(y, y, [&](std::size_t k) { inside ^= crosses(edges_[k], x, y); });
    return inside;
}

void ClipPolygon::row(double y, std::span<const double> xs, std::vector<std::uint8_t>& inside) const {
    inside.assign(xs.size(), 0);
    std::vector<const std::array<double, 4>*> spanning;
    edges_near(y, y, [&](std::size_t k) {
        if (spans(edges_[k], y)) {
            spanning.push_back(&edges_[k]);
        }
    });
    if (spanning.empty()) {
        return;
    }
    for (std::size_t k = 0; k < xs.size(); ++k) {
        bool in = false;
        for (const auto* e : spanning) {
            in ^= crosses(*e, xs[k], y);
        }
        inside[k] = in ? 1 : 0;
    }
}

}  // namespace d2dcli
