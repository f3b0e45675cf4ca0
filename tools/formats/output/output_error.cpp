#include "formats/output/output_error.hpp"

#include <cstring>

namespace d2dcli {

void throw_output_error(const std::string& path, const std::string& what, int error_number) {
    throw OutputError(path + ": " + what + ": " + std::strerror(error_number));
}

}  // namespace d2dcli
