#include "sample_points.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace d2dcli {

namespace {

// The standard distributions are not specified bit for bit, so values are
// drawn from the raw 64-bit generator, which is.
double unit(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

// Box-Muller: two uniform draws give one normal value.
double normal(std::mt19937_64& random, double sigma) {
    double u = 1.0 - unit(random);
    double v = unit(random);
    return sigma * std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
}

}  // namespace

PointSet generate_sample(std::string_view kind, std::size_t count, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    PointSet points;
    points.xy.resize(2 * count);
    double* xy = points.xy.data();
    if (kind == "clusters") {
        const std::size_t cluster_count = 1 + count / 1000;
        std::vector<double> centres(2 * cluster_count);
        for (double& c : centres) {
            c = unit(random);
        }
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t c = static_cast<std::size_t>(random() % cluster_count);
            xy[2 * i] = centres[2 * c] + normal(random, 0.01);
            xy[2 * i + 1] = centres[2 * c + 1] + normal(random, 0.01);
        }
    } else if (kind == "grid") {
        // Row by row on the integer grid, as square as the count allows,
        // shuffled so that the input order says nothing.
        const auto width = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(count))));
        std::vector<std::size_t> order(count);
        for (std::size_t i = 0; i < count; ++i) {
            order[i] = i;
        }
        for (std::size_t i = count; i > 1; --i) {
            std::swap(order[i - 1], order[static_cast<std::size_t>(random() % i)]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            xy[2 * i] = static_cast<double>(order[i] % width);
            xy[2 * i + 1] = static_cast<double>(order[i] / width);
        }
    } else if (kind == "circle") {
        for (std::size_t i = 0; i < count; ++i) {
            double angle = 2.0 * std::numbers::pi * unit(random);
            xy[2 * i] = std::cos(angle);
            xy[2 * i + 1] = std::sin(angle);
        }
    } else {
        for (std::size_t i = 0; i < 2 * count; ++i) {
            xy[i] = unit(random);
        }
    }
    return points;
}

}  // namespace d2dcli
