#include "formats/read/las_coordinate_system.hpp"

#include <cctype>
#include <cstdint>
#include <string>

namespace d2dcli {

namespace {

constexpr std::uint16_t projected_type_key = 3072;
constexpr std::uint16_t geographic_type_key = 2048;
constexpr std::uint16_t user_defined = 32767;
// The most digits an EPSG code has in practice; more is not a code.
constexpr std::size_t most_code_digits = 9;

std::uint16_t u16_at(const unsigned char* bytes, std::size_t index) {
    return static_cast<std::uint16_t>(bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

bool keyword_is(std::string_view word, std::string_view expected) {
    if (word.size() != expected.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(word[i])) != expected[i]) {
            return false;
        }
    }
    return true;
}

// The value at text[at], quoted or bare, without quotes and blanks; at moves
// past it (to the ',' or closing bracket after it).
std::string_view value_at(std::string_view text, std::size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
        ++at;
    }
    if (at < text.size() && text[at] == '"') {
        const std::size_t begin = ++at;
        while (at < text.size() && text[at] != '"') {
            ++at;
        }
        std::string_view value = text.substr(begin, at - begin);
        if (at < text.size()) {
            ++at;
        }
        return value;
    }
    const std::size_t begin = at;
    while (at < text.size() && text[at] != ',' && text[at] != ']' && text[at] != ')') {
        ++at;
    }
    std::string_view value = text.substr(begin, at - begin);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())) != 0) {
        value.remove_suffix(1);
    }
    return value;
}

int code_of(std::string_view digits) {
    if (digits.empty() || digits.size() > most_code_digits) {
        return 0;
    }
    int code = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        code = code * 10 + (c - '0');
    }
    return code;
}

}  // namespace

int epsg_of_geotiff_keys(const unsigned char* keys, std::size_t size) {
    // A directory header of four shorts (version, revision, minor revision,
    // number of keys), then four shorts a key: id, where the value is (0:
    // in the key itself), count, value.
    if (size < 8) {
        return 0;
    }
    // A projected system without a code (user-defined) is not its
    // geographic base: the coordinates are then unnamed, not degrees.
    const std::size_t shorts = size / 2;
    const std::size_t key_count = u16_at(keys, 3);
    int geographic = 0;
    bool projected = false;
    for (std::size_t k = 0; k < key_count && 4 + 4 * k + 3 < shorts; ++k) {
        const std::size_t at = 4 + 4 * k;
        const std::uint16_t id = u16_at(keys, at);
        const std::uint16_t location = u16_at(keys, at + 1);
        const std::uint16_t value = u16_at(keys, at + 3);
        if (id == projected_type_key) {
            projected = true;
        }
        if (location != 0 || value == 0 || value == user_defined) {
            continue;
        }
        if (id == projected_type_key) {
            return value;
        }
        if (id == geographic_type_key) {
            geographic = value;
        }
    }
    return projected ? 0 : geographic;
}

int epsg_of_wkt(std::string_view wkt) {
    // One walk over the text, counting bracket depth outside quotes (WKT
    // opens nodes with '[' or '('; a quote inside a name is doubled). The
    // last AUTHORITY or ID at depth 1 is the outermost node's. A compound
    // system (horizontal and vertical, as LAS 1.4 files often record)
    // without a code of its own is named by its first part's:
    //
    //   COMPD_CS["...", PROJCS[..., AUTHORITY["EPSG","32633"]],  <- this
    //                   VERT_CS[..., AUTHORITY["EPSG","5703"]]]
    int depth = 0;
    int code = 0;
    int first_part_code = 0;
    int parts = 0;  // nodes opened inside the outermost one
    bool compound = false;
    std::size_t word_begin = std::string_view::npos;
    for (std::size_t at = 0; at < wkt.size(); ++at) {
        const char c = wkt[at];
        if (c == '"') {
            ++at;
            while (at < wkt.size() && wkt[at] != '"') {
                ++at;
            }
            word_begin = std::string_view::npos;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_') {
            if (word_begin == std::string_view::npos) {
                word_begin = at;
            }
            continue;
        }
        if (c == '[' || c == '(') {
            const std::string_view word =
                word_begin == std::string_view::npos ? std::string_view() : wkt.substr(word_begin, at - word_begin);
            ++depth;
            if (depth == 1) {
                compound = keyword_is(word, "COMPD_CS") || keyword_is(word, "COMPOUNDCRS");
            } else if (depth == 2) {
                ++parts;
            }
            const bool authority_node = keyword_is(word, "AUTHORITY") || keyword_is(word, "ID");
            if (authority_node && (depth == 2 || (depth == 3 && compound && parts == 1))) {
                std::size_t next = at + 1;
                const std::string_view authority = value_at(wkt, next);
                if (next < wkt.size() && wkt[next] == ',') {
                    ++next;
                    const std::string_view value = value_at(wkt, next);
                    if (keyword_is(authority, "EPSG") && code_of(value) > 0) {
                        (depth == 2 ? code : first_part_code) = code_of(value);
                    }
                }
            }
        } else if (c == ']' || c == ')') {
            --depth;
        }
        word_begin = std::string_view::npos;
    }
    return code > 0 ? code : first_part_code;
}

}  // namespace d2dcli
