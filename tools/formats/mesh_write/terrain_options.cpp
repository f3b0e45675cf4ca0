#include "formats/mesh_write/terrain_options.hpp"

#include <cctype>

namespace d2dcli {

std::optional<int> epsg_code(const std::string& crs) {
    if (crs.size() < 6 || crs.size() > 12) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 5; ++i) {
        if (std::toupper(static_cast<unsigned char>(crs[i])) != "EPSG:"[i]) {
            return std::nullopt;
        }
    }
    int code = 0;
    for (std::size_t i = 5; i < crs.size(); ++i) {
        if (crs[i] < '0' || crs[i] > '9') {
            return std::nullopt;
        }
        code = code * 10 + (crs[i] - '0');
    }
    return code > 0 ? std::optional<int>(code) : std::nullopt;
}

}  // namespace d2dcli
