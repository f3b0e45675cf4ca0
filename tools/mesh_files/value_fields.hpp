// The fields of one line of a point file: values separated by spaces, tabs
// or a comma (with or without spaces around it), up to a '#' that starts a
// comment. Shared by the text and the .node readers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace d2dcli {

struct ValueFields {
    static constexpr std::size_t kept = 16;  // fields beyond these are counted only
    std::array<std::string_view, kept> field{};
    std::size_t count = 0;
};

// Splits line into fields. Returns null, or what is wrong with the line (an
// empty value between two commas, a line that ends in a comma).
const char* split_fields(std::string_view line, ValueFields& fields);

// Reads a whole field as a double: decimal or scientific, an optional sign,
// and "nan", "inf" or "infinity" in any case, possibly in double quotes. False when the field is not a
// number or has anything after it.
bool parse_double(std::string_view field, double& value);

// Reads a whole field as a decimal integer with an optional sign.
bool parse_integer(std::string_view field, std::int64_t& value);

// The field as it appears in a message: quoted, and cut when it is long.
std::string quoted(std::string_view field);

}  // namespace d2dcli
