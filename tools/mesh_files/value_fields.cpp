#include "value_fields.hpp"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cstring>

namespace d2dcli {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

const char* split_fields(std::string_view line, ValueFields& fields) {
    fields.count = 0;
    if (const void* hash = std::memchr(line.data(), '#', line.size()); hash != nullptr) {
        line = line.substr(0, static_cast<std::size_t>(static_cast<const char*>(hash) - line.data()));
    }
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
        while (i < n && !is_blank(line[i]) && line[i] != ',') {
            ++i;
        }
        if (i == start) {
            return "empty value before a comma";
        }
        if (fields.count < ValueFields::kept) {
            fields.field[fields.count] = line.substr(start, i - start);
        }
        ++fields.count;
        while (i < n && is_blank(line[i])) {
            ++i;
        }
        if (i < n && line[i] == ',') {
            ++i;
            while (i < n && is_blank(line[i])) {
                ++i;
            }
            if (i == n) {
                return "empty value after the last comma";
            }
        }
        if (i == n) {
            return nullptr;
        }
    }
}

bool parse_double(std::string_view field, double& value) {
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
    return result.ec == std::errc() && result.ptr == last;
}

bool parse_integer(std::string_view field, std::int64_t& value) {
    const char* first = field.data();
    const char* last = first + field.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') {
        ++first;
    }
    auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

std::string quoted(std::string_view field) {
    constexpr std::size_t longest = 40;
    std::string text(1, '\'');
    text.append(field.substr(0, longest));
    text.append(field.size() > longest ? "...'" : "'");
    return text;
}

}  // namespace d2dcli
