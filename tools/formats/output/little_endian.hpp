// Binary outputs (PLY) write their numbers little-endian whatever the
// machine's byte order.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>

#include "formats/output/text_sink.hpp"

namespace d2dcli {

template <typename T>
void put_little_endian(TextSink& sink, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) {
        for (std::size_t k = 0; k < sizeof(T) / 2; ++k) {
            std::swap(bytes[k], bytes[sizeof(T) - 1 - k]);
        }
    }
    sink.put(std::string_view(bytes, sizeof(T)));
}

}  // namespace d2dcli
