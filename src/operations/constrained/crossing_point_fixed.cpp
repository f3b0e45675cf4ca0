// The rounded crossing of two segments in fixed-width integers: the usual
// case, cheap enough for hundreds of thousands of crossings.
//
// Scaled by the power of two of the lowest set bit among the eight
// coordinates, they are integers; when they stay below 2^60 every quantity
// below fits a fixed width:
//
//     u = bx - ax, v = by - ay                          below 2^61
//     Da = orient(C, D, A), Db = orient(C, D, B)         below 2^123
//     P  = A + (u, v) * Da / (Da - Db)                   0 < Da / (Da - Db) < 1
//
// A double estimate c of each coordinate of P is then checked, not trusted:
// c is the rounded coordinate exactly when P lies strictly between the
// midpoints m- and m+ from c to its neighbours (or P equals c). With q at a
// unit 2^-K finer than the coordinates' (midpoints need one bit more than
// c), the sign of P - q is the sign of
//
//     (A * 2^K - Q) * (Da - Db) + (u * 2^K) * Da,   times the sign of (Da - Db)
//
// two products of 128-bit integers, added in 256 bits (K <= 60 keeps both
// below 2^250). A c that fails the check moves one double towards P and is
// checked again, at most three times; a tie (P exactly on a midpoint) or
// anything out of these bounds returns false for the arbitrary-width path.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engine/exact/double_bits.hpp"
#include "operations/constrained/crossing_point.hpp"

namespace d2d::operations::constrained {
namespace {

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 Uint128;

// A 256-bit two's complement integer, least significant limb first.
struct Int256 {
    uint64_t limb[4];
};

Int256 negated(const Int256& a) {
    Int256 r{};
    uint64_t carry = 1;
    for (int i = 0; i < 4; ++i) {
        const uint64_t inverted = ~a.limb[i];
        r.limb[i] = inverted + carry;
        carry = (carry != 0 && r.limb[i] == 0) ? 1 : 0;
    }
    return r;
}

// The exact product of two signed integers below 2^126 in magnitude.
Int256 product(Int128 a, Int128 b) {
    const bool negative = (a < 0) != (b < 0);
    const Uint128 ma = a < 0 ? static_cast<Uint128>(-a) : static_cast<Uint128>(a);
    const Uint128 mb = b < 0 ? static_cast<Uint128>(-b) : static_cast<Uint128>(b);
    const uint64_t a0 = static_cast<uint64_t>(ma), a1 = static_cast<uint64_t>(ma >> 64);
    const uint64_t b0 = static_cast<uint64_t>(mb), b1 = static_cast<uint64_t>(mb >> 64);
    const Uint128 p00 = static_cast<Uint128>(a0) * b0;
    const Uint128 p01 = static_cast<Uint128>(a0) * b1;
    const Uint128 p10 = static_cast<Uint128>(a1) * b0;
    const Uint128 p11 = static_cast<Uint128>(a1) * b1;
    Int256 r{};
    r.limb[0] = static_cast<uint64_t>(p00);
    // The middle column: three 64-bit parts and their carries.
    const Uint128 middle = (p00 >> 64) + static_cast<uint64_t>(p01) + static_cast<uint64_t>(p10);
    r.limb[1] = static_cast<uint64_t>(middle);
    const Uint128 upper = (middle >> 64) + (p01 >> 64) + (p10 >> 64) + static_cast<uint64_t>(p11);
    r.limb[2] = static_cast<uint64_t>(upper);
    r.limb[3] = static_cast<uint64_t>((upper >> 64) + (p11 >> 64));
    return negative ? negated(r) : r;
}

// The sign of a + b (no overflow: both are below 2^254 in magnitude).
int sign_of_sum(const Int256& a, const Int256& b) {
    Int256 s{};
    uint64_t carry = 0;
    for (int i = 0; i < 4; ++i) {
        const Uint128 t = static_cast<Uint128>(a.limb[i]) + b.limb[i] + carry;
        s.limb[i] = static_cast<uint64_t>(t);
        carry = static_cast<uint64_t>(t >> 64);
    }
    if ((s.limb[3] >> 63) != 0) return -1;
    return (s.limb[0] | s.limb[1] | s.limb[2] | s.limb[3]) != 0 ? 1 : 0;
}

// x / 2^unit as an integer, when it is one and below 2^limit in magnitude.
bool to_integer(double x, int unit, int limit, Int128& out) {
    if (x == 0.0) {
        out = 0;
        return true;
    }
    const DoubleBits b = double_bits(x);
    const int low = b.exponent + std::countr_zero(b.mantissa);
    const int high = b.exponent + 63 - std::countl_zero(b.mantissa);
    if (low < unit || high - unit >= limit) return false;
    const Int128 m = static_cast<Int128>(b.mantissa >> (low - b.exponent));
    out = m << (low - unit);
    if (x < 0.0) out = -out;
    return true;
}

// One coordinate: P = p + w * da / den (integers at unit 2^unit), rounded.
class RoundedCoordinate {
 public:
    RoundedCoordinate(Int128 p, Int128 w, Int128 da, Int128 den, int unit)
        : p_(p), w_(w), da_(da), den_(den), unit_(unit) {}

    // The double nearest to P, from the estimate c; false when it cannot
    // be decided here.
    bool round(double c, double& out) const {
        if (!std::isfinite(c)) return false;
        // P equal to c needs no test of its own: it lies strictly between
        // c's midpoints, which the loop checks first.
        // Three moves are plenty: the estimate is within a few units in the
        // last place unless the coordinates are extreme, which the caller's
        // arbitrary-width path handles.
        for (int attempt = 0; attempt < 4; ++attempt) {
            const double below = std::nextafter(c, -INFINITY);
            const double above = std::nextafter(c, INFINITY);
            if (!std::isfinite(below) || !std::isfinite(above)) return false;
            int low = 0, high = 0;
            if (!compare_midpoint(below, c, low) || !compare_midpoint(c, above, high)) return false;
            if (low > 0 && high < 0) {
                out = c;
                return true;
            }
            if (low == 0 || high == 0) return false;  // a tie: rounded to even by the caller's path
            c = low < 0 ? below : above;
        }
        return false;
    }

 private:
    // The sign of P - q, for q = (q1 + q2) / 2 when `half` is set (a
    // midpoint between neighbouring doubles), else q = q1.
    bool sign_against(double q1, double q2, bool half, int& sign) const {
        // The finest unit that holds q exactly: (q1 + q2) at unit g + 1 when
        // halved, q1 at unit g otherwise.
        int finest = unit_;
        for (const double q : {q1, q2}) {
            if (q != 0.0) finest = std::min(finest, lowest_set_bit(q) - (half ? 1 : 0));
        }
        const int k = unit_ - finest;
        if (k > 60) return false;
        Int128 q = 0;
        if (half) {
            Int128 a = 0, b = 0;
            if (!to_integer(q1, finest + 1, 122, a) || !to_integer(q2, finest + 1, 122, b)) return false;
            q = a + b;
        } else if (!to_integer(q1, finest, 122, q)) {
            return false;
        }
        const Int128 gap = (p_ << k) - q;
        if (gap >= (Int128{1} << 125) || gap <= -(Int128{1} << 125)) return false;
        const int s = sign_of_sum(product(gap, den_), product(w_ << k, da_));
        sign = den_ < 0 ? -s : s;
        return true;
    }
    bool compare_midpoint(double lo, double hi, int& sign) const { return sign_against(lo, hi, true, sign); }

    Int128 p_, w_, da_, den_;
    int unit_;
};

}  // namespace

bool crossing_point_fixed(const double* a, const double* b, const double* c, const double* d,
                          std::pair<double, double>& out) {
    const double coordinates[8] = {a[0], a[1], b[0], b[1], c[0], c[1], d[0], d[1]};
    int unit = 0, top = 0;
    bool any = false;
    for (const double v : coordinates) {
        if (v == 0.0) continue;
        const int low = lowest_set_bit(v), high = highest_set_bit(v);
        unit = any ? std::min(unit, low) : low;
        top = any ? std::max(top, high) : high;
        any = true;
    }
    if (!any || top - unit >= 60) return false;
    Int128 n[8];
    for (int i = 0; i < 8; ++i) {
        if (!to_integer(coordinates[i], unit, 60, n[i])) return false;
    }
    const Int128 ax = n[0], ay = n[1], bx = n[2], by = n[3], cx = n[4], cy = n[5], dx = n[6], dy = n[7];
    const Int128 da = (cx - ax) * (dy - ay) - (cy - ay) * (dx - ax);
    const Int128 db = (cx - bx) * (dy - by) - (cy - by) * (dx - bx);
    const Int128 den = da - db;
    if (da == 0 || db == 0 || (da > 0) == (db > 0)) return false;  // not a proper crossing
    const Int128 u = bx - ax, v = by - ay;
    // The estimate, in the integers' unit, then scaled (exactly, unless it
    // is subnormal, where the check corrects it).
    const double t = static_cast<double>(da) / static_cast<double>(den);
    const double ex = std::ldexp(static_cast<double>(ax) + static_cast<double>(u) * t, unit);
    const double ey = std::ldexp(static_cast<double>(ay) + static_cast<double>(v) * t, unit);
    double x = 0.0, y = 0.0;
    if (!RoundedCoordinate(ax, u, da, den, unit).round(ex, x)) return false;
    if (!RoundedCoordinate(ay, v, da, den, unit).round(ey, y)) return false;
    out = {x, y};
    return true;
}

}  // namespace d2d::operations::constrained
