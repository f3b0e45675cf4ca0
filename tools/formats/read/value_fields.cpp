#include "formats/read/value_fields.hpp"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <cstring>

namespace d2dcli {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

const char* split_fields(std::string_view line, ValueFields& fields) {
    fields.count = 0;
    if (const void* hash = std::memchr(line.data(), '#', line.size()); hash != nullptr) {
        line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(hash) - line.data()));
    }
    // A semicolon-separated line (spreadsheets where the comma is the
    // decimal point) takes only semicolons and blanks as separators.
    const bool semicolons = std::memchr(line.data(), ';', line.size()) != nullptr;
    const char separator = semicolons ? ';' : ',';
    bool bare_comma = false;       // "1,2": a comma between two digits
    bool blank_separator = false;  // "1 2": blanks alone between two values
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n && is_blank(line[i])) {
        ++i;
    }
    if (i == n) {
        return nullptr;
    }
    for (;;) {
        std::size_t start = i;
        while (i < n && !is_blank(line[i]) && line[i] != separator) {
            ++i;
        }
        if (i == start) {
            return semicolons ? "empty value before a semicolon" : "empty value before a comma";
        }
        std::string_view value = line.substr(start, i - start);
        if (semicolons && value.find(',') != std::string_view::npos) {
            return "a comma inside a value of a semicolon-separated line: decimal commas are not read "
                   "(write 1.5, not 1,5)";
        }
        if (fields.count < fields.field.size()) {
            fields.field[fields.count] = value;
        } else {
            fields.field.push_back(value);
        }
        ++fields.count;
        const std::size_t value_end = i;
        while (i < n && is_blank(line[i])) {
            ++i;
        }
        if (i < n && line[i] == separator) {
            // Digits on both sides: "1,5" may be one number with a decimal comma.
            if (!semicolons && i == value_end && i + 1 < n && is_digit(line[i - 1]) && is_digit(line[i + 1])) {
                bare_comma = true;
            }
            ++i;
            while (i < n && is_blank(line[i])) {
                ++i;
            }
            if (i == n) {
                return semicolons ? "empty value after the last semicolon" : "empty value after the last comma";
            }
        } else if (i < n) {
            blank_separator = true;
        }
        if (i == n) {
            if (bare_comma && blank_separator) {
                return "values separated both by commas and by spaces: decimal commas are not read "
                       "(write 1.5, not 1,5)";
            }
            return nullptr;
        }
    }
}

std::string_view without_byte_order_mark(std::string_view line) {
    constexpr std::string_view mark = "\xEF\xBB\xBF";
    return line.substr(0, mark.size()) == mark ? line.substr(mark.size()) : line;
}

bool has_control_byte(std::string_view field) {
    for (char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && !is_blank(c)) || byte == 0x7f) {
            return true;
        }
    }
    return false;
}

NumberRead read_number(std::string_view field, double& value) {
    // CSV writers may quote any value.
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
        field = field.substr(1, field.size() - 2);
    }
    const char* first = field.data();
    const char* last = first + field.size();
    // fast_float follows std::from_chars, which takes no '+'; files often
    // carry one, so it is accepted here before a digit, a point or a word.
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-' && first[1] != '+') {
        ++first;
    }
    auto result = fast_float::from_chars(first, last, value);
    if (result.ptr != last || (result.ec != std::errc() && result.ec != std::errc::result_out_of_range)) {
        return NumberRead::not_a_number;
    }
    // Digits that name a number beyond the largest double read as infinity
    // (or report the range): the point would silently drop out.
    if (result.ec == std::errc::result_out_of_range || std::isinf(value)) {
        const char* spelled = first + (first != last && (*first == '-' || *first == '+') ? 1 : 0);
        const bool named_infinity = spelled != last && (*spelled == 'i' || *spelled == 'I');
        if (!named_infinity && (std::isinf(value) || result.ec == std::errc::result_out_of_range)) {
            if (std::isinf(value) || std::fabs(value) > 1.0) {
                return NumberRead::out_of_range;
            }
            // Below the smallest subnormal: it rounds to zero, like any
            // other rounding of a decimal to a double.
        }
    }
    return NumberRead::ok;
}

bool parse_double(std::string_view field, double& value) { return read_number(field, value) == NumberRead::ok; }

bool parse_integer(std::string_view field, std::int64_t& value) {
    const char* first = field.data();
    const char* last = first + field.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') {
        ++first;
    }
    auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

}  // namespace d2dcli
