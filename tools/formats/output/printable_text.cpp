#include "formats/output/printable_text.hpp"

#include <cstdint>

namespace d2dcli {

namespace {

void put_escaped(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// Characters that draw nothing yet change how the line around them looks.
bool is_invisible_format(std::uint32_t c) {
    return c == 0x00a0 || c == 0x00ad || c == 0x061c || c == 0x180e || (c >= 0x200b && c <= 0x200f) ||
           (c >= 0x2028 && c <= 0x202f) || (c >= 0x2060 && c <= 0x206f) || c == 0xfeff;
}

// The length of the well-formed UTF-8 sequence at text[at] of a character
// that may be shown as it is, or 0 when its bytes are to be escaped.
//
//   lead byte   continuation bytes   code points
//   C2..DF      1                    U+0080..U+07FF
//   E0..EF      2                    U+0800..U+FFFF (no surrogates)
//   F0..F4      3                    U+10000..U+10FFFF
std::size_t shown_sequence(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    std::uint32_t c = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        c = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        c = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        c = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - at < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xc0u) != 0x80u) {
            return 0;
        }
        c = (c << 6) | (next & 0x3fu);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    const bool surrogate = c >= 0xd800 && c <= 0xdfff;
    const bool c1_control = c < 0xa0;  // U+0080..U+009F; U+00A0 is caught below
    if (overlong || surrogate || c > 0x10ffff || c1_control || is_invisible_format(c)) {
        return 0;
    }
    return length;
}

std::string escaped(std::string_view text, bool mark_backslashes) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x7f) {
            if (byte == '\\' && mark_backslashes) {
                put_escaped(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++at;
        } else if (const std::size_t length = byte >= 0x80 ? shown_sequence(text, at) : 0; length > 0) {
            out.append(text.substr(at, length));
            at += length;
        } else {
            put_escaped(out, byte);
            ++at;
        }
    }
    return out;
}

}  // namespace

std::string printable(std::string_view text) { return escaped(text, false); }

std::string quoted(std::string_view field) {
    constexpr std::size_t longest = 40;
    return "'" + escaped(field.substr(0, longest), true) + (field.size() > longest ? "...'" : "'");
}

}  // namespace d2dcli
