// The wide integer behind the exact predicates' widest inputs: sums of
// products of doubles of any finite magnitudes, against GMP rationals.
#include "engine/exact/wide_integer.hpp"

#include <gmp.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

// A double of random sign and bits with a binary exponent drawn evenly from
// every finite double's; now and then an extreme one.
double any_double(std::mt19937_64& rng) {
    switch (rng() % 16) {
        case 0: return std::numeric_limits<double>::max();
        case 1: return -std::numeric_limits<double>::denorm_min();
        case 2: return std::ldexp(static_cast<double>(rng() % 1024), -1074);  // subnormal
        default: break;
    }
    const auto mantissa = static_cast<double>((rng() >> 11) | (std::uint64_t{1} << 52));
    const double v = std::ldexp(mantissa, std::uniform_int_distribution<int>(-1074, 1023)(rng) - 52);
    return (rng() & 1) != 0 ? v : -v;
}

class ExactSum {
public:
    ExactSum() { mpq_inits(sum_, term_, factor_, nullptr); }
    ~ExactSum() { mpq_clears(sum_, term_, factor_, nullptr); }
    ExactSum(const ExactSum&) = delete;
    ExactSum& operator=(const ExactSum&) = delete;

    void add_product(const double* f, int count, bool negative) {
        mpq_set_si(term_, negative ? -1 : 1, 1);
        for (int i = 0; i < count; ++i) {
            mpq_set_d(factor_, f[i]);
            mpq_mul(term_, term_, factor_);
        }
        mpq_add(sum_, sum_, term_);
    }
    int sign() const { return mpq_sgn(sum_); }

private:
    mpq_t sum_, term_, factor_;
};

// Random sums of up to 48 products of one to four factors, as a determinant
// makes them; half of them cancel their largest products exactly, so that
// the sign rests on the smallest ones.
TEST(WideInteger, SumsOfProductsHaveTheExactSign) {
    std::mt19937_64 rng(4296);
    for (int trial = 0; trial < 3000; ++trial) {
        d2d::WideInteger wide;
        ExactSum exact;
        const int terms = 1 + static_cast<int>(rng() % 48);
        const bool cancel = trial % 2 == 0;
        for (int t = 0; t < terms; ++t) {
            const int count = 1 + static_cast<int>(rng() % 4);
            double f[4];
            for (int i = 0; i < count; ++i) f[i] = any_double(rng);
            const bool negative = (rng() & 1) != 0;
            wide.add_product(f, count, negative);
            exact.add_product(f, count, negative);
            if (cancel && t + 1 < terms) {
                // The same product with its factors in another order, taken away.
                std::swap(f[0], f[count - 1]);
                wide.add_product(f, count, !negative);
                exact.add_product(f, count, !negative);
            }
        }
        ASSERT_EQ(wide.sign(), exact.sign()) << "trial " << trial;
    }
}

TEST(WideInteger, ExtremeProductsAndZeros) {
    const double most = std::numeric_limits<double>::max();
    const double least = std::numeric_limits<double>::denorm_min();
    d2d::WideInteger empty;
    EXPECT_EQ(empty.sign(), 0);

    // The largest product less the largest product plus the smallest one.
    const double big[4] = {most, most, most, most};
    const double small[4] = {least, least, least, least};
    d2d::WideInteger sum;
    sum.add_product(big, 4, false);
    sum.add_product(small, 4, false);
    sum.add_product(big, 4, true);
    EXPECT_EQ(sum.sign(), 1);
    sum.add_product(small, 4, true);
    EXPECT_EQ(sum.sign(), 0);
    sum.add_product(small, 4, true);
    EXPECT_EQ(sum.sign(), -1);

    // A zero factor makes a zero product; a negative factor flips the term.
    const double with_zero[3] = {most, 0.0, -1.0};
    const double negative[2] = {-least, least};
    d2d::WideInteger other;
    other.add_product(with_zero, 3, false);
    EXPECT_EQ(other.sign(), 0);
    other.add_product(negative, 2, false);
    EXPECT_EQ(other.sign(), -1);
    // Carries run through every limb: many largest products at once.
    d2d::WideInteger carries;
    for (int i = 0; i < 48; ++i) carries.add_product(big, 4, false);
    for (int i = 0; i < 47; ++i) carries.add_product(big, 4, true);
    carries.add_product(small, 1, true);
    EXPECT_EQ(carries.sign(), 1);
}

}  // namespace
