#include "formats/mesh_write/written_points.hpp"

namespace d2dcli {

WrittenPoints choose_written_points(std::span<const std::int32_t> vertex_of_point, bool keep_all_points) {
    WrittenPoints written;
    const std::size_t n = vertex_of_point.size();
    written.number.assign(n, WrittenPoints::none);
    written.input_index.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (keep_all_points || vertex_of_point[i] == static_cast<std::int32_t>(i)) {
            written.number[i] = static_cast<std::uint32_t>(written.input_index.size());
            written.input_index.push_back(static_cast<std::uint32_t>(i));
        }
    }
    written.identity = written.input_index.size() == n;
    return written;
}

}  // namespace d2dcli
