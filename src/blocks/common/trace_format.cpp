#include "blocks/common/trace_format.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace d2d {
namespace {

__extension__ typedef unsigned __int128 Uint128;

struct DigitPairs {
    char chars[200];
};

constexpr DigitPairs make_digit_pairs() {
    DigitPairs table{};
    for (int i = 0; i < 100; ++i) {
        table.chars[2 * i] = static_cast<char>('0' + i / 10);
        table.chars[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return table;
}

// "00", "01", ..., "99": two digits per division.
constexpr DigitPairs kDigitPairs = make_digit_pairs();

inline char* put_pair(unsigned value, char* out) {
    std::memcpy(out, kDigitPairs.chars + 2 * value, 2);
    return out + 2;
}

// Writes v in decimal without leading zeros.
char* put_decimal(std::uint64_t v, char* out) {
    char digits[kMaxUnsignedChars];
    char* first = digits + kMaxUnsignedChars;
    while (v >= 100) {
        const auto pair = static_cast<unsigned>(v % 100);
        v /= 100;
        first -= 2;
        std::memcpy(first, kDigitPairs.chars + 2 * pair, 2);
    }
    if (v >= 10) {
        first -= 2;
        std::memcpy(first, kDigitPairs.chars + 2 * v, 2);
    } else {
        *--first = static_cast<char>('0' + v);
    }
    const auto count = static_cast<std::size_t>(digits + kMaxUnsignedChars - first);
    std::memcpy(out, first, count);
    return out + count;
}

// Below this magnitude v * 10^6 rounds to an integer under 2^63, and every
// such double is m * 2^e with a negative e: the exact product m * 10^6 fits
// 128 bits and the rounding is a shift with a look at the dropped bits.
constexpr double kExactPathLimit = 9.0e12;

constexpr std::uint64_t kMillion = 1000000;

}  // namespace

char* format_fixed6(double v, char* out) noexcept {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    if (bits == 0) {  // +0.0, common in the z and w of plane points
        std::memcpy(out, "0.000000", 8);
        return out + 8;
    }
    const bool negative = (bits >> 63) != 0;
    const auto biased_exponent = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);

    if (biased_exponent == 0x7ff) {
        if (negative) *out++ = '-';
        std::memcpy(out, fraction != 0 ? "nan" : "inf", 3);
        return out + 3;
    }

    if (std::fabs(v) < kExactPathLimit) {
        std::uint64_t mantissa = fraction;
        int exponent = -1074;
        if (biased_exponent != 0) {
            mantissa |= std::uint64_t{1} << 52;
            exponent = biased_exponent - 1075;
        }
        // |v| * 10^6 = mantissa * 10^6 / 2^shift, rounded half to even.
        const Uint128 scaled = static_cast<Uint128>(mantissa) * kMillion;
        const auto shift = static_cast<unsigned>(-exponent);
        std::uint64_t units = 0;  // |v| in millionths, rounded
        if (shift < 128) {
            Uint128 quotient = scaled >> shift;
            const Uint128 remainder = scaled - (quotient << shift);
            const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
            if (remainder > half || (remainder == half && (quotient & 1) != 0)) ++quotient;
            units = static_cast<std::uint64_t>(quotient);
        }
        // With shift >= 128 the product (below 2^73) is under half a unit.
        if (negative) *out++ = '-';
        out = put_decimal(units / kMillion, out);
        *out++ = '.';
        const auto millionths = static_cast<unsigned>(units % kMillion);
        out = put_pair(millionths / 10000, out);
        out = put_pair(millionths / 100 % 100, out);
        return put_pair(millionths % 100, out);
    }

    // Large magnitudes: the standard exact conversion.
    return std::to_chars(out, out + kMaxFixed6Chars, v, std::chars_format::fixed, 6).ptr;
}

char* format_unsigned(std::size_t v, char* out) noexcept {
    return put_decimal(v, out);
}

}  // namespace d2d
