// The fields of one line of a point file: values separated by spaces, tabs,
// a comma or a semicolon (with or without spaces around it), up to a '#'
// that starts a comment. Shared by the text and the .node readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/output/printable_text.hpp"  // quoted(), for the readers' messages

namespace d2dcli {

struct ValueFields {
    // Every field of the line (the vector only grows, so that reading a
    // file allocates once): a header may name x and y in any column.
    std::vector<std::string_view> field;
    std::size_t count = 0;
};

// Splits line into fields: CSV (RFC 4180, one line a record) when it holds
// a comma or a semicolon outside quotes, values separated by blanks
// otherwise; a value in double quotes is one field, kept with its quotes.
// Empty values at the end of a CSV line are dropped; others stay, as
// empty fields. Returns null, or what is wrong with the line (decimal
// commas: a comma inside a value of a semicolon-separated line, or numbers
// separated by commas and by spaces at once, as "1,5 2,5" is).
const char* split_fields(std::string_view line, ValueFields& fields);

// A field's text without its double quotes, "" read as one quote.
std::string unquoted(std::string_view field);

// line without the UTF-8 byte-order mark that spreadsheet exports put at
// the start of a file.
std::string_view without_byte_order_mark(std::string_view line);

// Whether a field holds a byte that no text file of numbers has (a NUL or
// another control character): the input is then binary.
bool has_control_byte(std::string_view field);

enum class NumberRead { ok, not_a_number, out_of_range };

// Reads a whole field as a double, as parse_double does, and tells a number
// too large for a double (1e400) from text that is no number.
NumberRead read_number(std::string_view field, double& value);

// Reads a whole field as a double: decimal or scientific, an optional sign,
// and "nan", "inf" or "infinity" in any case, possibly in double quotes. False when the field is not a
// number or has anything after it.
bool parse_double(std::string_view field, double& value);

// Reads a whole field as a decimal integer with an optional sign.
bool parse_integer(std::string_view field, std::int64_t& value);

}  // namespace d2dcli
