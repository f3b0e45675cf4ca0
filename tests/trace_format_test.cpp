// The trace formatter must print exactly what printf's "%f" and "%zu" print.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "blocks/common/trace_format.hpp"

namespace {

// Compares the formatter with snprintf on every value; reports the count of
// mismatches and the first few (one assertion per sample, not per value).
class FixedSampleCheck {
public:
    void check(double v) {
        char expected[400];
        const int expected_length = std::snprintf(expected, sizeof expected, "%f", v);
        char actual[d2d::kMaxFixed6Chars + 8];
        char* end = d2d::format_fixed6(v, actual);
        const std::string got(actual, end);
        ++checked_;
        if (got != std::string(expected, static_cast<std::size_t>(expected_length))) {
            if (failures_.size() < 8) {
                char bits[40];
                std::snprintf(bits, sizeof bits, "%016llx",
                              static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
                failures_.push_back(std::string(bits) + ": printf \"" + expected + "\" formatter \"" + got + "\"");
            }
            ++mismatches_;
        }
    }
    void expect_all_equal() const {
        EXPECT_EQ(mismatches_, 0u) << "of " << checked_ << " values; first: "
                                   << (failures_.empty() ? std::string() : failures_.front());
        for (const auto& f : failures_) ADD_FAILURE() << f;
    }
    std::size_t checked() const { return checked_; }

private:
    std::size_t checked_ = 0;
    std::size_t mismatches_ = 0;
    std::vector<std::string> failures_;
};

void check_with_neighbours(FixedSampleCheck& sample, double v) {
    sample.check(v);
    sample.check(std::nextafter(v, -INFINITY));
    sample.check(std::nextafter(v, INFINITY));
    sample.check(-v);
}

TEST(FormatFixed6, SpecialValuesPrintAsPrintfDoes) {
    FixedSampleCheck sample;
    const double specials[] = {
        0.0, -0.0, 1.0, -1.0, 0.5, 1e-6, 4e-7, 5e-7, 6e-7, -4e-7, -1e-9,
        0.0078125, -0.0078125, 0.0234375, 1.5, -2.0, 0.25, -3.0, 123456.789,
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
        std::bit_cast<double>(std::uint64_t{0x7ff0000000000001}),  // signalling payload
        std::bit_cast<double>(std::uint64_t{0xfff8000000000123}),
        INFINITY, -INFINITY, 1e300, -1e300, DBL_MAX, -DBL_MAX, DBL_MIN, -DBL_MIN,
        std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
        9.0e12, 9.2e12, 9.223372036854775e12, 1e13, 1e15, 1e16, 1e17, 1e22, 1e23,
        9007199254740992.0, 9223372036854775808.0, 18446744073709551616.0,
    };
    for (double v : specials) check_with_neighbours(sample, v);
    sample.expect_all_equal();

    char out[d2d::kMaxFixed6Chars];
    EXPECT_EQ(std::string(out, d2d::format_fixed6(-0.0, out)), "-0.000000");
    EXPECT_EQ(std::string(out, d2d::format_fixed6(0.0078125, out)), "0.007812");
    EXPECT_EQ(std::string(out, d2d::format_fixed6(1e300, out)).size(), 301u + 7u);
}

TEST(FormatFixed6, RandomBitPatterns) {
    FixedSampleCheck sample;
    std::mt19937_64 random(20240601);
    for (int i = 0; i < 200000; ++i) sample.check(std::bit_cast<double>(random()));
    // Subnormals: the smallest exponents of the exact path.
    for (int i = 0; i < 50000; ++i) {
        sample.check(std::bit_cast<double>(random() & ((std::uint64_t{1} << 52) - 1)));
        sample.check(std::bit_cast<double>((random() & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 63)));
    }
    sample.expect_all_equal();
}

TEST(FormatFixed6, ValuesAcrossCoordinateScales) {
    FixedSampleCheck sample;
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-12.0, 17.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 1000000; ++i) sample.check(unit(random) * std::pow(10.0, exponent(random)));
    sample.expect_all_equal();
}

TEST(FormatFixed6, ValuesNearDecimalTies) {
    FixedSampleCheck sample;
    std::mt19937_64 random(11);
    for (int i = 0; i < 150000; ++i) {
        // k + 0.5 millionths, for integer parts up to about 2^43.
        const int bits = 1 + static_cast<int>(random() % 63);
        const auto k = static_cast<double>(random() >> (64 - bits));
        check_with_neighbours(sample, (k + 0.5) / 1e6);
    }
    sample.expect_all_equal();
}

TEST(FormatFixed6, ExactBinaryTiesRoundToEven) {
    FixedSampleCheck sample;
    std::mt19937_64 random(13);
    for (int i = 0; i < 150000; ++i) {
        // An odd multiple of 2^-7 has seven decimals ending in 5: an exact tie.
        const int bits = static_cast<int>(random() % 46);
        const auto whole = static_cast<double>(bits == 0 ? 0 : random() >> (64 - bits));
        const auto odd = static_cast<double>(2 * (random() % 64) + 1);
        check_with_neighbours(sample, whole + odd / 128.0);
    }
    // Ties around the switch to the general conversion.
    for (double whole = 8.99999999e12; whole < 9.00000001e12; whole += 997.0) {
        for (int j = 1; j < 128; j += 2) sample.check(whole + j / 128.0);
    }
    sample.expect_all_equal();
}

TEST(FormatFixed6, IntegersNearTwoToThe53And63) {
    FixedSampleCheck sample;
    for (double base : {9007199254740992.0, 9223372036854775808.0, 4503599627370496.0}) {
        double v = base;
        for (int i = 0; i < 2000; ++i) v = std::nextafter(v, 0.0);
        for (int i = 0; i < 4000; ++i, v = std::nextafter(v, INFINITY)) check_with_neighbours(sample, v);
    }
    sample.expect_all_equal();
}

TEST(FormatUnsigned, MatchesPrintfZu) {
    std::mt19937_64 random(17);
    std::vector<std::size_t> values = {0, 1, 9, 10, 99, 100, 101, std::numeric_limits<std::size_t>::max()};
    for (std::size_t p = 1; p <= 1000000000000000000u; p *= 10) {
        values.push_back(p - 1);
        values.push_back(p);
        values.push_back(p + 1);
    }
    for (int i = 0; i < 500000; ++i) values.push_back(random() >> (random() % 64));
    std::size_t mismatches = 0;
    for (std::size_t v : values) {
        char expected[32];
        const int length = std::snprintf(expected, sizeof expected, "%zu", v);
        char actual[d2d::kMaxUnsignedChars];
        char* end = d2d::format_unsigned(v, actual);
        if (std::string(actual, end) != std::string(expected, static_cast<std::size_t>(length))) {
            if (mismatches++ < 5) ADD_FAILURE() << "value " << v << " printed as " << std::string(actual, end);
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

}  // namespace
