#include "exact/wide_integer.hpp"

#include <bit>
#include <cstddef>
#include <utility>

namespace d2d {

WideInteger WideInteger::from_double(double x, int unit_exponent) {
    WideInteger result;
    if (x == 0.0) return result;
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const int field = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;  // of the lowest mantissa bit
    if (field != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = field - 1075;
    }
    const int shift = exponent - unit_exponent;  // >= 0 by the precondition, but tolerate trailing zeros
    int bit_shift = shift;
    if (bit_shift < 0) {
        mantissa >>= -bit_shift;
        bit_shift = 0;
    }
    const auto limb_shift = static_cast<std::size_t>(bit_shift / 32);
    const int within = bit_shift % 32;
    result.magnitude_.assign(limb_shift, 0u);
    // mantissa << within fits in 53 + 31 bits: spread over three limbs.
    const std::uint64_t low = mantissa << within;
    const std::uint64_t high = within == 0 ? 0 : (mantissa >> (64 - within));
    result.magnitude_.push_back(static_cast<std::uint32_t>(low));
    result.magnitude_.push_back(static_cast<std::uint32_t>(low >> 32));
    result.magnitude_.push_back(static_cast<std::uint32_t>(high));
    while (!result.magnitude_.empty() && result.magnitude_.back() == 0) result.magnitude_.pop_back();
    result.negative_ = x < 0.0;
    return result;
}

int WideInteger::compare_magnitude(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

WideInteger::Limbs WideInteger::add_magnitude(const Limbs& a, const Limbs& b) {
    const Limbs& longer = a.size() >= b.size() ? a : b;
    const Limbs& shorter = a.size() >= b.size() ? b : a;
    Limbs result(longer.size() + 1, 0u);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < longer.size(); ++i) {
        const std::uint64_t s = std::uint64_t{longer[i]} + (i < shorter.size() ? shorter[i] : 0u) + carry;
        result[i] = static_cast<std::uint32_t>(s);
        carry = s >> 32;
    }
    result[longer.size()] = static_cast<std::uint32_t>(carry);
    while (!result.empty() && result.back() == 0) result.pop_back();
    return result;
}

WideInteger::Limbs WideInteger::subtract_magnitude(const Limbs& a, const Limbs& b) {
    Limbs result(a.size(), 0u);
    std::int64_t borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::int64_t d = std::int64_t{a[i]} - (i < b.size() ? std::int64_t{b[i]} : 0) - borrow;
        borrow = d < 0 ? 1 : 0;
        if (d < 0) d += std::int64_t{1} << 32;
        result[i] = static_cast<std::uint32_t>(d);
    }
    while (!result.empty() && result.back() == 0) result.pop_back();
    return result;
}

WideInteger WideInteger::signed_sum(const WideInteger& a, bool b_negative, const Limbs& b) {
    WideInteger result;
    if (a.negative_ == b_negative) {
        result.magnitude_ = add_magnitude(a.magnitude_, b);
        result.negative_ = a.negative_;
    } else if (compare_magnitude(a.magnitude_, b) >= 0) {
        result.magnitude_ = subtract_magnitude(a.magnitude_, b);
        result.negative_ = a.negative_;
    } else {
        result.magnitude_ = subtract_magnitude(b, a.magnitude_);
        result.negative_ = b_negative;
    }
    if (result.magnitude_.empty()) result.negative_ = false;
    return result;
}

WideInteger operator+(const WideInteger& a, const WideInteger& b) {
    return WideInteger::signed_sum(a, b.negative_, b.magnitude_);
}

WideInteger operator-(const WideInteger& a, const WideInteger& b) {
    return WideInteger::signed_sum(a, !b.negative_, b.magnitude_);
}

WideInteger operator*(const WideInteger& a, const WideInteger& b) {
    WideInteger result;
    if (a.magnitude_.empty() || b.magnitude_.empty()) return result;
    WideInteger::Limbs limbs(a.magnitude_.size() + b.magnitude_.size(), 0u);
    for (std::size_t i = 0; i < a.magnitude_.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < b.magnitude_.size(); ++j) {
            const std::uint64_t t =
                std::uint64_t{a.magnitude_[i]} * b.magnitude_[j] + limbs[i + j] + carry;  // < 2^64
            limbs[i + j] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        limbs[i + b.magnitude_.size()] = static_cast<std::uint32_t>(carry);
    }
    while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
    result.magnitude_ = std::move(limbs);
    result.negative_ = a.negative_ != b.negative_;
    return result;
}

}  // namespace d2d
