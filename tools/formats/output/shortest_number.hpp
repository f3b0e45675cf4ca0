// Numbers as text: doubles in the shortest form that reads back as the same
// double, and integers, both written straight into a caller's buffer.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>

namespace d2dcli {

// Room that is always enough for one number written by the functions below.
inline constexpr std::size_t max_number_chars = 32;

// Writes value in the shortest decimal form that parses back to the same
// double ("0.1", "-0", "1e+300", "nan", "inf"); returns the end of the text.
char* write_shortest(char* out, double value);

// Writes value rounded to the given number of digits after the point.
char* write_fixed(char* out, double value, int digits);

// Inline: a mesh file is mostly integers, and the call would cost as much as
// the conversion.
inline char* write_integer(char* out, std::int64_t value) {
    return std::to_chars(out, out + max_number_chars, value).ptr;
}

}  // namespace d2dcli
