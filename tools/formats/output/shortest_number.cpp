#include "formats/output/shortest_number.hpp"

#include <charconv>

namespace d2dcli {

// std::to_chars without a precision is specified to give the shortest
// representation that round-trips, which is exactly what a mesh file needs:
// a reader gets back the very coordinates that were triangulated.
char* write_shortest(char* out, double value) {
    return std::to_chars(out, out + max_number_chars, value).ptr;
}

char* write_fixed(char* out, double value, int digits) {
    return std::to_chars(out, out + max_number_chars, value, std::chars_format::fixed, digits).ptr;
}

}  // namespace d2dcli
