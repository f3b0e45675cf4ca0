// Elevation colours: viridis, a perceptual ramp (lightness rises evenly
// from low to high, and it reads the same to colour-blind eyes), cut into
// bands so that triangles of a band share one path in the picture.
#pragma once

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace d2dcli {

inline std::string ramp_colour(double t) {
    static constexpr std::array<std::array<int, 3>, 9> stops = {{{68, 1, 84},
                                                                 {71, 44, 122},
                                                                 {59, 81, 139},
                                                                 {44, 113, 142},
                                                                 {33, 144, 141},
                                                                 {39, 173, 129},
                                                                 {92, 200, 99},
                                                                 {170, 220, 50},
                                                                 {253, 231, 37}}};
    t = std::isfinite(t) ? std::fmin(std::fmax(t, 0.0), 1.0) : 0.0;
    const double at = t * static_cast<double>(stops.size() - 1);
    const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(at), stops.size() - 2);
    const double f = at - static_cast<double>(k);
    char text[8];
    int c[3];
    for (std::size_t i = 0; i < 3; ++i) {
        c[i] = static_cast<int>(std::lround(stops[k][i] + f * (stops[k + 1][i] - stops[k][i])));
    }
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c[0], c[1], c[2]);
    return text;
}

}  // namespace d2dcli
