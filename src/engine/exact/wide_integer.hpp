// An exact sum of signed products of up to four doubles of any finite
// magnitudes: enough to evaluate the orientation and in-circle determinants
// exactly when their coordinates span more binary orders of magnitude than
// expansion arithmetic holds. Not tuned for speed beyond keeping every
// operation proportional to the bits a product actually has: it serves rare
// inputs only.
//
// Every product of at most four finite doubles is an integer multiple of
// 2^-4296 (each factor is a multiple of 2^-1074) below 2^4096, so a
// fixed-point integer in that unit with 8392 bits, plus room for the carries
// of a sum, holds any such sum exactly. The sums of the positive and of the
// negative products are kept apart: carries then only run upward, and the
// sign is one comparison. No allocation, nothing thrown; about 2 KiB.
#ifndef DELAUNAY2D_ENGINE_EXACT_WIDE_INTEGER_HPP
#define DELAUNAY2D_ENGINE_EXACT_WIDE_INTEGER_HPP

#include <cstdint>

namespace d2d {

class WideInteger {
public:
    static constexpr int kMostFactors = 4;

    // Adds the product of factors[0 .. count), or subtracts it when
    // `negative` is set. 1 <= count <= kMostFactors; every factor finite.
    void add_product(const double* factors, int count, bool negative) noexcept;

    // -1, 0 or 1: the sign of the sum so far.
    int sign() const noexcept;

private:
    // The unit of the integer, and its width: products below 2^4096, and 64
    // more bits than that for the carries of any sum a determinant makes.
    static constexpr int kUnitExponent = -1074 * kMostFactors;
    static constexpr int kBits = 1024 * kMostFactors - kUnitExponent + 64;
    static constexpr int kLimbs = kBits / 32 + 1;

    static void add_at(std::uint32_t* sum, const std::uint32_t* value, int length, int bit_offset) noexcept;

    std::uint32_t positive_[kLimbs] = {};
    std::uint32_t negative_[kLimbs] = {};
};

}  // namespace d2d

#endif
