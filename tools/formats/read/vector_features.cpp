#include "formats/read/vector_features.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "formats/read/input_error.hpp"

namespace d2dcli {

namespace {

// x and y's bits as a key: equal doubles (but for 0 and -0, which the
// triangulation also tells apart only by the key) are one vertex.
std::string key_of(double x, double y) {
    x = x == 0.0 ? 0.0 : x;
    y = y == 0.0 ? 0.0 : y;
    std::string key(2 * sizeof(double), '\0');
    std::memcpy(key.data(), &x, sizeof x);
    std::memcpy(key.data() + sizeof x, &y, sizeof y);
    return key;
}

// A ring's positions without the closing repeat of the first.
std::size_t open_count(const std::vector<double>& ring) {
    std::size_t n = ring.size() / 3;
    if (n >= 2 && ring[0] == ring[3 * (n - 1)] && ring[1] == ring[3 * (n - 1) + 1]) {
        --n;
    }
    return n;
}

}  // namespace

FeatureCollector::FeatureCollector(std::string name, VectorRequest request)
    : name_(std::move(name)), request_(std::move(request)) {
    input_.labels.name = request_.attribute;
}

void FeatureCollector::begin_feature(const FeatureValues& values) {
    feature_ = values;
    ++features_;
    any_label_ = any_label_ || values.label.has_value();
}

void FeatureCollector::coordinate_system(const std::string& crs) { input_.crs = crs; }

double FeatureCollector::z_of(double geometry_z) const {
    if (!request_.z_column.empty()) {
        // A height of 0 made up for a contour without one would bend the
        // surface down to sea level: refused instead.
        if (!feature_.z) {
            throw InputError(name_ + ": feature " + std::to_string(features_) + " has no number for '" +
                             request_.z_column + "' (--z-column)");
        }
        return *feature_.z;
    }
    return geometry_z;
}

std::uint32_t FeatureCollector::add_point(double x, double y, double z) {
    PointSet& points = input_.points;
    z = z_of(z);
    if (!std::isnan(z) && !any_z_) {
        any_z_ = true;
        points.zw.assign(points.xy.size(), 0.0);  // earlier points had z = w = 0
    }
    points.xy.push_back(x);
    points.xy.push_back(y);
    if (any_z_) {
        points.zw.push_back(std::isnan(z) ? 0.0 : z);
        points.zw.push_back(0.0);
    }
    return static_cast<std::uint32_t>(points.size() - 1);
}

std::uint32_t FeatureCollector::vertex(double x, double y, double z) {
    // The first of the vertices at one place gives its z.
    auto [at, added] = shared_.try_emplace(key_of(x, y), 0);
    if (added) {
        at->second = add_point(x, y, z);
    }
    return at->second;
}

void FeatureCollector::point(double x, double y, double z) { add_point(x, y, z); }

void FeatureCollector::line(const std::vector<double>& xyz) {
    const std::size_t n = xyz.size() / 3;
    std::uint32_t previous = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t v = vertex(xyz[3 * k], xyz[3 * k + 1], xyz[3 * k + 2]);
        if (k > 0 && v != previous) {
            input_.segments.push_back(previous);
            input_.segments.push_back(v);
        }
        previous = v;
    }
}

void FeatureCollector::polygon(const std::vector<std::vector<double>>& rings) {
    for (const std::vector<double>& ring : rings) {
        const std::size_t n = open_count(ring);
        if (n < 3) {
            throw InputError(name_ + ": a polygon ring needs three positions or more");
        }
        const std::uint32_t first = vertex(ring[0], ring[1], ring[2]);
        std::uint32_t previous = first;
        for (std::size_t k = 1; k <= n; ++k) {
            const std::uint32_t v = k == n ? first : vertex(ring[3 * k], ring[3 * k + 1], ring[3 * k + 2]);
            if (v != previous) {
                input_.segments.push_back(previous);
                input_.segments.push_back(v);
            }
            previous = v;
        }
    }
    InputPolygon kept;
    kept.box = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const std::vector<double>& ring : rings) {
        std::vector<double> xy;
        for (std::size_t k = 0; k < open_count(ring); ++k) {
            xy.push_back(ring[3 * k]);
            xy.push_back(ring[3 * k + 1]);
            kept.box = {std::min(kept.box[0], ring[3 * k]), std::min(kept.box[1], ring[3 * k + 1]),
                        std::max(kept.box[2], ring[3 * k]), std::max(kept.box[3], ring[3 * k + 1])};
        }
        kept.rings.push_back(std::move(xy));
    }
    if (!request_.attribute.empty() && feature_.label) {
        RegionLabels& labels = input_.labels;
        auto [code, added] = label_codes_.try_emplace(*feature_.label, static_cast<double>(labels.values.size() + 1));
        if (added) {
            labels.values.push_back(*feature_.label);
            labels.number.push_back(feature_.label_is_number);
        }
        kept.label = code->second;
        // The library labels the triangles it reaches from a point inside.
        if (const std::optional<std::pair<double, double>> inside = point_inside(rings)) {
            delaunay2d_region_point region{};
            region.x = inside->first;
            region.y = inside->second;
            region.attribute = code->second;
            input_.regions.push_back(region);
        }
    }
    input_.polygons.push_back(std::move(kept));
}

ConstrainedInput FeatureCollector::finish() {
    if (input_.points.size() == 0) {
        throw InputError(name_ + ": no point, line or polygon in the input");
    }
    // A name no feature has is most likely misspelt.
    if (!request_.attribute.empty() && !any_label_) {
        throw InputError(name_ + ": no feature has a value for '" + request_.attribute + "' (--attribute)");
    }
    if (any_z_) {
        input_.points.extra_columns = 1;
        input_.points.z_name = request_.z_column.empty() ? "z" : request_.z_column;
    }
    return std::move(input_);
}

std::optional<std::pair<double, double>> point_inside(const std::vector<std::vector<double>>& rings) {
    if (rings.empty()) {
        return std::nullopt;
    }
    // The outer ring's y values, where the line is sought: its widest gap
    // between consecutive distinct y values of any ring within that span.
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    const std::vector<double>& outer = rings.front();
    for (std::size_t k = 0; k < outer.size() / 3; ++k) {
        low = std::min(low, outer[3 * k + 1]);
        high = std::max(high, outer[3 * k + 1]);
    }
    std::vector<double> ys;
    for (const std::vector<double>& ring : rings) {
        for (std::size_t k = 0; k < ring.size() / 3; ++k) {
            const double y = ring[3 * k + 1];
            if (y >= low && y <= high) {
                ys.push_back(y);
            }
        }
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    // Try the gaps widest first: a gap may hold no inside stretch when the
    // outer ring is not simple; each is tried once, so the loop ends.
    std::vector<std::size_t> gaps;
    for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
        gaps.push_back(k);
    }
    std::stable_sort(gaps.begin(), gaps.end(),
                     [&ys](std::size_t a, std::size_t b) { return ys[a + 1] - ys[a] > ys[b + 1] - ys[b]; });
    std::vector<double> crossings;
    for (std::size_t gap : gaps) {
        const double y = ys[gap] + (ys[gap + 1] - ys[gap]) / 2.0;
        if (!(y > ys[gap] && y < ys[gap + 1])) {
            continue;  // two neighbouring doubles: no line between them
        }
        crossings.clear();
        for (const std::vector<double>& ring : rings) {
            const std::size_t n = ring.size() / 3;
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t next = (k + 1) % n;
                const double ax = ring[3 * k], ay = ring[3 * k + 1];
                const double bx = ring[3 * next], by = ring[3 * next + 1];
                if ((ay < y) != (by < y)) {
                    crossings.push_back(ax + (y - ay) / (by - ay) * (bx - ax));
                }
            }
        }
        std::sort(crossings.begin(), crossings.end());
        double best_width = 0.0;
        std::optional<std::pair<double, double>> best;
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
            const double width = crossings[k + 1] - crossings[k];
            const double x = crossings[k] + width / 2.0;
            if (width > best_width && x > crossings[k] && x < crossings[k + 1]) {
                best_width = width;
                best = std::pair{x, y};
            }
        }
        if (best) {
            return best;
        }
    }
    return std::nullopt;
}

}  // namespace d2dcli
