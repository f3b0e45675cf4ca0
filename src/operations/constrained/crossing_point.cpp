// The crossing of two segments, exactly, in integers.
//
// Every finite double is an integer times a power of two. Scaling all eight
// coordinates by the power of two of the lowest set bit among them makes
// them integers, and the crossing
//
//     P = (A * Db - B * Da) / (Db - Da),   Da = orient(C, D, A), Db = orient(C, D, B)
//
// a quotient of two integers (degree three over degree two), which is
// rounded to the nearest double by long division with a sticky remainder,
// minding the subnormal range. The integers are as wide as the coordinates'
// binary orders of magnitude make them: a few machine words for coordinates
// of one scale, at most a few thousand bits for any doubles. The usual case
// is settled first in fixed width (crossing_point_fixed.cpp); what reaches
// the schoolbook arithmetic here is rare: coordinates spread over more than
// 60 binary orders, exact ties, crossings far nearer zero than the ends.
#include "operations/constrained/crossing_point.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/exact/double_bits.hpp"

namespace d2d::operations::constrained {
namespace {

// A signed integer: magnitude in 32-bit limbs, least significant first,
// without leading zero limbs.
struct Integer {
    std::vector<uint32_t> limbs;
    bool negative = false;

    bool zero() const { return limbs.empty(); }
    void trim() {
        while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
        if (limbs.empty()) negative = false;
    }
    size_t bits() const {
        if (limbs.empty()) return 0;
        return 32 * limbs.size() - static_cast<size_t>(std::countl_zero(limbs.back()));
    }
};

Integer from_double(double x, int unit_exponent) {
    Integer r;
    if (x == 0.0) return r;
    const DoubleBits b = double_bits(x);
    const int zeros = std::countr_zero(b.mantissa);
    const int shift = b.exponent + zeros - unit_exponent;  // >= 0 by the choice of unit
    const size_t whole = static_cast<size_t>(shift / 32);
    const int part = shift % 32;
    r.limbs.assign(whole, 0);
    const uint64_t m = b.mantissa >> zeros;
    // mantissa << part spans at most three limbs
    const uint64_t low = m << part;
    const uint64_t high = part == 0 ? 0 : m >> (64 - part);
    r.limbs.push_back(static_cast<uint32_t>(low));
    r.limbs.push_back(static_cast<uint32_t>(low >> 32));
    r.limbs.push_back(static_cast<uint32_t>(high));
    r.negative = x < 0.0;
    r.trim();
    return r;
}

int compare_magnitude(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;) {
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}

// a -= b for magnitudes with a >= b.
void subtract_magnitude(std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int64_t borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int64_t d = static_cast<int64_t>(a[i]) - borrow - (i < b.size() ? static_cast<int64_t>(b[i]) : 0);
        borrow = d < 0 ? 1 : 0;
        if (d < 0) d += int64_t{1} << 32;
        a[i] = static_cast<uint32_t>(d);
    }
    while (!a.empty() && a.back() == 0) a.pop_back();
}

std::vector<uint32_t> add_magnitude(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    std::vector<uint32_t> r(std::max(a.size(), b.size()) + 1, 0);
    uint64_t carry = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        const uint64_t s = carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
        r[i] = static_cast<uint32_t>(s);
        carry = s >> 32;
    }
    while (!r.empty() && r.back() == 0) r.pop_back();
    return r;
}

Integer add(const Integer& a, const Integer& b) {
    Integer r;
    if (a.negative == b.negative) {
        r.limbs = add_magnitude(a.limbs, b.limbs);
        r.negative = a.negative;
    } else if (compare_magnitude(a.limbs, b.limbs) >= 0) {
        r.limbs = a.limbs;
        subtract_magnitude(r.limbs, b.limbs);
        r.negative = a.negative;
    } else {
        r.limbs = b.limbs;
        subtract_magnitude(r.limbs, a.limbs);
        r.negative = b.negative;
    }
    r.trim();
    return r;
}

Integer negated(Integer a) {
    if (!a.zero()) a.negative = !a.negative;
    return a;
}

Integer multiply(const Integer& a, const Integer& b) {
    Integer r;
    if (a.zero() || b.zero()) return r;
    r.limbs.assign(a.limbs.size() + b.limbs.size(), 0);
    for (size_t i = 0; i < a.limbs.size(); ++i) {
        uint64_t carry = 0;
        for (size_t j = 0; j < b.limbs.size(); ++j) {
            const uint64_t t = static_cast<uint64_t>(a.limbs[i]) * b.limbs[j] + r.limbs[i + j] + carry;
            r.limbs[i + j] = static_cast<uint32_t>(t);
            carry = t >> 32;
        }
        r.limbs[i + b.limbs.size()] = static_cast<uint32_t>(carry);
    }
    r.negative = a.negative != b.negative;
    r.trim();
    return r;
}

std::vector<uint32_t> shifted_left(const std::vector<uint32_t>& a, size_t shift) {
    if (a.empty()) return a;
    std::vector<uint32_t> r(shift / 32, 0);
    const unsigned part = static_cast<unsigned>(shift % 32);
    uint32_t carry = 0;
    for (const uint32_t limb : a) {
        r.push_back(part == 0 ? limb : (limb << part) | carry);
        carry = part == 0 ? 0 : limb >> (32 - part);
    }
    if (carry != 0) r.push_back(carry);
    return r;
}

void shift_right_one(std::vector<uint32_t>& a) {
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = (a[i] >> 1) | (i + 1 < a.size() ? a[i + 1] << 31 : 0);
    }
    while (!a.empty() && a.back() == 0) a.pop_back();
}

// The double nearest to (numerator / denominator) * 2^unit_exponent, ties to
// even. The denominator is not zero.
double rounded_quotient(const Integer& numerator, const Integer& denominator, int unit_exponent) {
    if (numerator.zero()) return 0.0;
    const bool negative = numerator.negative != denominator.negative;
    // Scale so that the integer quotient has 55 or 56 bits: enough for 53
    // bits, a rounding bit and one more, with the rest in the remainder.
    const long gap = static_cast<long>(numerator.bits()) - static_cast<long>(denominator.bits());
    const long scale = 55 - gap;
    std::vector<uint32_t> rest = scale > 0 ? shifted_left(numerator.limbs, static_cast<size_t>(scale)) : numerator.limbs;
    std::vector<uint32_t> divisor = scale < 0 ? shifted_left(denominator.limbs, static_cast<size_t>(-scale)) : denominator.limbs;
    constexpr int kTop = 57;  // the quotient is below 2^57
    divisor = shifted_left(divisor, kTop);
    uint64_t quotient = 0;
    for (int bit = kTop; bit >= 0; --bit) {
        if (compare_magnitude(rest, divisor) >= 0) {
            subtract_magnitude(rest, divisor);
            quotient |= uint64_t{1} << bit;
        }
        shift_right_one(divisor);
    }
    const bool sticky = !rest.empty();
    // value = (quotient + sticky part) * 2^exponent
    const long exponent = static_cast<long>(unit_exponent) - scale;
    const int length = 64 - std::countl_zero(quotient);
    long drop = length - 53;
    if (exponent + drop < -1074) drop = -1074 - exponent;  // subnormal: fewer bits
    if (drop >= 64) return negative ? -0.0 : 0.0;  // below half the smallest subnormal
    uint64_t mantissa = drop > 0 ? quotient >> drop : quotient;
    if (drop > 0) {
        const uint64_t lost = quotient & ((uint64_t{1} << drop) - 1);
        const uint64_t half = uint64_t{1} << (drop - 1);
        if (lost > half || (lost == half && (sticky || (mantissa & 1) != 0))) ++mantissa;
    }
    const double magnitude = std::ldexp(static_cast<double>(mantissa), static_cast<int>(exponent + drop));
    return negative ? -magnitude : magnitude;
}

}  // namespace

std::pair<double, double> crossing_point(const double* a, const double* b, const double* c, const double* d) {
    std::pair<double, double> fixed;
    if (crossing_point_fixed(a, b, c, d, fixed)) return fixed;
    const double coordinates[8] = {a[0], a[1], b[0], b[1], c[0], c[1], d[0], d[1]};
    int unit = 0;
    bool any = false;
    for (const double v : coordinates) {
        if (v == 0.0) continue;
        const int low = lowest_set_bit(v);
        unit = any ? std::min(unit, low) : low;
        any = true;
    }
    Integer n[8];
    for (int i = 0; i < 8; ++i) n[i] = from_double(coordinates[i], unit);
    const Integer& ax = n[0];
    const Integer& ay = n[1];
    const Integer& bx = n[2];
    const Integer& by = n[3];
    // Da = (cx - ax) (dy - ay) - (cy - ay) (dx - ax), Db likewise with b.
    auto orient = [&](const Integer& px, const Integer& py) {
        const Integer cx = add(n[4], negated(px)), cy = add(n[5], negated(py));
        const Integer dx = add(n[6], negated(px)), dy = add(n[7], negated(py));
        return add(multiply(cx, dy), negated(multiply(cy, dx)));
    };
    const Integer da = orient(ax, ay);
    const Integer db = orient(bx, by);
    const Integer denominator = add(db, negated(da));
    const Integer x = add(multiply(ax, db), negated(multiply(bx, da)));
    const Integer y = add(multiply(ay, db), negated(multiply(by, da)));
    return {rounded_quotient(x, denominator, unit), rounded_quotient(y, denominator, unit)};
}

}  // namespace d2d::operations::constrained
