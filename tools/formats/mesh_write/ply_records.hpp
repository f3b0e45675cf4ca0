// The pieces of a PLY mesh file, for the one-pass writer and the tiled
// one alike: the header, a vertex (x, y, z as doubles) and a triangle
// (a list of three int indices), in ASCII or binary little-endian.
#pragma once

#include <cstdint>

#include "formats/output/little_endian.hpp"
#include "formats/output/text_sink.hpp"

namespace d2dcli {

inline void put_ply_header(TextSink& sink, bool ascii, std::uint64_t vertices, std::uint64_t faces) {
    sink.put(ascii ? "ply\nformat ascii 1.0\n" : "ply\nformat binary_little_endian 1.0\n");
    sink.put("comment delaunay2d\nelement vertex ");
    sink.put_integer(static_cast<std::int64_t>(vertices));
    sink.put("\nproperty double x\nproperty double y\nproperty double z\nelement face ");
    sink.put_integer(static_cast<std::int64_t>(faces));
    sink.put("\nproperty list uchar int vertex_indices\nend_header\n");
}

inline void put_ply_vertex(TextSink& sink, bool ascii, const double* xyz) {
    for (int k = 0; k < 3; ++k) {
        if (ascii) {
            sink.put_shortest(xyz[k]);
            sink.put(k < 2 ? ' ' : '\n');
        } else {
            put_little_endian(sink, xyz[k]);
        }
    }
}

inline void put_ply_triangle(TextSink& sink, bool ascii, std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    sink.put(ascii ? '3' : '\3');
    for (std::uint64_t v : {a, b, c}) {
        if (ascii) {
            sink.put(' ');
            sink.put_integer(static_cast<std::int64_t>(v));
        } else {
            put_little_endian(sink, static_cast<std::int32_t>(v));
        }
    }
    if (ascii) {
        sink.put('\n');
    }
}

}  // namespace d2dcli
