#include "engine/exact/wide_integer.hpp"

#include "engine/exact/double_bits.hpp"

namespace d2d {
void WideInteger::add_product(const double* factors, int count, bool negative) noexcept {
    // The product of the mantissas, little-endian 32-bit limbs: at most
    // 4 * 53 bits.
    std::uint32_t product[2 * kMostFactors] = {1};
    int length = 1;
    int exponent = 0;
    for (int f = 0; f < count; ++f) {
        const double x = factors[f];
        if (x == 0.0) return;
        if (x < 0.0) negative = !negative;
        const DoubleBits d = double_bits(x);
        exponent += d.exponent;
        const std::uint32_t m[2] = {static_cast<std::uint32_t>(d.mantissa), static_cast<std::uint32_t>(d.mantissa >> 32)};
        std::uint32_t next[2 * kMostFactors] = {};
        for (int j = 0; j < 2; ++j) {
            std::uint64_t carry = 0;
            for (int i = 0; i < length; ++i) {
                const std::uint64_t t = std::uint64_t{product[i]} * m[j] + next[i + j] + carry;  // < 2^64
                next[i + j] = static_cast<std::uint32_t>(t);
                carry = t >> 32;
            }
            next[length + j] = static_cast<std::uint32_t>(carry);
        }
        length += 2;
        while (length > 1 && next[length - 1] == 0) --length;
        for (int i = 0; i < length; ++i) product[i] = next[i];
    }
    add_at(negative ? negative_ : positive_, product, length, exponent - kUnitExponent);
}

void WideInteger::add_at(std::uint32_t* sum, const std::uint32_t* value, int length, int bit_offset) noexcept {
    const int limb = bit_offset / 32;
    const int shift = bit_offset % 32;
    std::uint64_t carry = 0;
    int i = 0;
    for (; i < length; ++i) {
        const std::uint64_t shifted = std::uint64_t{value[i]} << shift;  // < 2^63
        const std::uint64_t s = std::uint64_t{sum[limb + i]} + (shifted & 0xffffffffu) + carry;
        sum[limb + i] = static_cast<std::uint32_t>(s);
        carry = (s >> 32) + (shifted >> 32);
    }
    for (int k = limb + i; carry != 0 && k < kLimbs; ++k) {
        const std::uint64_t s = std::uint64_t{sum[k]} + carry;
        sum[k] = static_cast<std::uint32_t>(s);
        carry = s >> 32;
    }
}

int WideInteger::sign() const noexcept {
    for (int k = kLimbs; k-- > 0;) {
        if (positive_[k] != negative_[k]) return positive_[k] > negative_[k] ? 1 : -1;
    }
    return 0;
}

}  // namespace d2d
