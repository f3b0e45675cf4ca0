// A finite double read from its bits as an integer mantissa times a power
// of two, for arithmetic that must know where a value's set bits lie.
#ifndef DELAUNAY2D_ENGINE_EXACT_DOUBLE_BITS_HPP
#define DELAUNAY2D_ENGINE_EXACT_DOUBLE_BITS_HPP

#include <bit>
#include <cstdint>

namespace d2d {

// |x| == mantissa * 2^exponent, mantissa below 2^53; for finite x.
struct DoubleBits {
    std::uint64_t mantissa;
    int exponent;
};

inline DoubleBits double_bits(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const auto field = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (field == 0) return {fraction, -1074};  // zero or subnormal
    return {fraction | (std::uint64_t{1} << 52), field - 1075};
}

// The binary exponents of the lowest and of the highest set bit of a finite
// nonzero x.
inline int lowest_set_bit(double x) {
    const DoubleBits b = double_bits(x);
    return b.exponent + std::countr_zero(b.mantissa);
}
inline int highest_set_bit(double x) {
    const DoubleBits b = double_bits(x);
    return b.exponent + 63 - std::countl_zero(b.mantissa);
}

}  // namespace d2d

#endif
