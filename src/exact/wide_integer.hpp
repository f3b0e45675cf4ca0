// A small signed arbitrary-size integer, enough to evaluate a determinant of
// doubles exactly when their magnitudes are too far apart for expansion
// arithmetic. Only what that needs: construction from a double, addition,
// subtraction, multiplication and the sign. Not tuned for speed: it serves
// rare inputs only.
#pragma once

#include <cstdint>
#include <vector>

namespace d2d {

class WideInteger {
public:
    WideInteger() = default;

    // The integer x / 2^unit_exponent. x must be finite and a multiple of
    // 2^unit_exponent (no bits of x lie below that power of two).
    static WideInteger from_double(double x, int unit_exponent);

    // -1, 0 or 1.
    int sign() const { return magnitude_.empty() ? 0 : (negative_ ? -1 : 1); }

    friend WideInteger operator+(const WideInteger& a, const WideInteger& b);
    friend WideInteger operator-(const WideInteger& a, const WideInteger& b);
    friend WideInteger operator*(const WideInteger& a, const WideInteger& b);

private:
    using Limbs = std::vector<std::uint32_t>;  // little-endian, no leading zero limbs

    static int compare_magnitude(const Limbs& a, const Limbs& b);
    static Limbs add_magnitude(const Limbs& a, const Limbs& b);
    static Limbs subtract_magnitude(const Limbs& a, const Limbs& b);  // requires |a| >= |b|
    static WideInteger signed_sum(const WideInteger& a, bool b_negative, const Limbs& b);

    bool negative_ = false;
    Limbs magnitude_;
};

}  // namespace d2d
