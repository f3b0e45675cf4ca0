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

namespace {

void put_field(ValueFields& fields, std::string_view value) {
    if (fields.count < fields.field.size()) {
        fields.field[fields.count] = value;
    } else {
        fields.field.push_back(value);
    }
    ++fields.count;
}

// Where a field that opens with a double quote at line[i] ends: after its
// closing quote, a doubled quote ("") standing for one inside; the line's
// end when the quote is never closed.
std::size_t after_quoted(std::string_view line, std::size_t i) {
    for (++i; i < line.size(); ++i) {
        if (line[i] == '"') {
            if (i + 1 < line.size() && line[i + 1] == '"') {
                ++i;
            } else {
                return i + 1;
            }
        }
    }
    return line.size();
}

// "5 2" in a comma-separated line: two numbers with blanks between them,
// which is what "1,5 2,5" (decimal commas) splits into.
bool digits_around_blank(std::string_view value) {
    for (std::size_t k = 1; k + 1 < value.size(); ++k) {
        if (is_blank(value[k]) && is_digit(value[k - 1])) {
            std::size_t next = k;
            while (next < value.size() && is_blank(value[next])) {
                ++next;
            }
            if (next < value.size() && (is_digit(value[next]) || value[next] == '-' || value[next] == '+')) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

// Two kinds of line. One with a comma (outside quotes) is CSV as RFC 4180
// and GDAL write it: only commas separate, so a text value may hold blanks
// ("New York"), a value may be empty, and a value in double quotes may hold
// a comma. Any other line is values separated by blanks, or by semicolons
// and blanks. In all, "..." is one value.
//
//   1,0,New York,        -> "1" "0" "New York"      (the empty last one dropped)
//   "a, b";2;3           -> "\"a, b\"" "2" "3"
//   1.5  2.5 "x y"       -> "1.5" "2.5" "\"x y\""
const char* split_fields(std::string_view line, ValueFields& fields) {
    fields.count = 0;
    bool semicolons = false;
    bool commas = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            i = after_quoted(line, i) - 1;
        } else if (c == '#') {
            line = line.substr(0, i);  // a comment runs to the end of the line
            break;
        } else if (c == ';') {
            semicolons = true;
        } else if (c == ',') {
            commas = true;
        }
    }
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n && is_blank(line[i])) {
        ++i;
    }
    if (i == n) {
        return nullptr;
    }
    if (!semicolons && !commas) {
        while (i < n) {
            const std::size_t start = i;
            if (line[i] == '"') {
                i = after_quoted(line, i);
            }
            while (i < n && !is_blank(line[i])) {
                ++i;
            }
            put_field(fields, line.substr(start, i - start));
            while (i < n && is_blank(line[i])) {
                ++i;
            }
        }
        return nullptr;
    }
    // A semicolon-separated line (spreadsheets where the comma is the
    // decimal point) takes semicolons and blanks as separators.
    const char separator = semicolons ? ';' : ',';
    bool bare_comma = false;  // "1,5": a comma with a digit on each side
    bool blanks_inside = false;  // "5 2": numbers separated by blanks within a value
    for (;;) {
        while (i < n && is_blank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        const bool quoted_value = i < n && line[i] == '"';
        if (quoted_value) {
            i = after_quoted(line, i);
        }
        // Blanks end a value of a semicolon-separated line too ("1 2;3").
        while (i < n && line[i] != separator && !(semicolons && is_blank(line[i]))) {
            ++i;
        }
        std::size_t end = i;
        while (end > start && is_blank(line[end - 1])) {
            --end;
        }
        if (semicolons) {
            while (i < n && is_blank(line[i])) {
                ++i;
            }
            if (i < n && line[i] != separator) {
                --i;  // a blank alone separated the value: the next one starts after it
            }
        }
        const std::string_view value = line.substr(start, end - start);
        if (!quoted_value) {
            if (semicolons && value.find(',') != std::string_view::npos) {
                return "a comma inside a value of a semicolon-separated line: decimal commas are not read "
                       "(write 1.5, not 1,5)";
            }
            blanks_inside = blanks_inside || (!semicolons && digits_around_blank(value));
        }
        put_field(fields, value);
        if (i == n) {
            break;
        }
        if (!semicolons && i == end && end > start && i + 1 < n && is_digit(line[i - 1]) && is_digit(line[i + 1])) {
            bare_comma = true;
        }
        ++i;  // the separator; a value, perhaps empty, follows it
        if (i == n) {
            put_field(fields, line.substr(n));
        }
    }
    if (blanks_inside) {
        return bare_comma ? "values separated both by commas and by spaces: decimal commas are not read "
                            "(write 1.5, not 1,5)"
                          : "values separated both by commas and by spaces: separate every value by a comma "
                            "(CSV), or every one by spaces";
    }
    // Empty values at the end ("x,y,name," as GDAL writes a CSV header)
    // say nothing: they are dropped.
    while (fields.count > 0 && fields.field[fields.count - 1].empty()) {
        --fields.count;
    }
    return nullptr;
}

std::string unquoted(std::string_view field) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') {
        return std::string(field);
    }
    std::string text;
    for (std::size_t k = 1; k + 1 < field.size(); ++k) {
        text += field[k];
        if (field[k] == '"' && field[k + 1] == '"') {
            ++k;  // "" stands for one quote
        }
    }
    return text;
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
