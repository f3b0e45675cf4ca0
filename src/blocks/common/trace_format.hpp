#ifndef DELAUNAY2D_BLOCKS_COMMON_TRACE_FORMAT_HPP
#define DELAUNAY2D_BLOCKS_COMMON_TRACE_FORMAT_HPP

#include <cstddef>

namespace d2d {

// Longest text format_fixed6 can write: a sign, the 309 integer digits of
// the largest finite double, the point and six decimals.
inline constexpr std::size_t kMaxFixed6Chars = 320;

// Longest text format_unsigned can write (a 64-bit value has 20 digits).
inline constexpr std::size_t kMaxUnsignedChars = 20;

// Writes v exactly as the C library's printf("%f", v) does in the default
// rounding mode (six decimals, exact ties to even, "-0.000000" for negative
// zero, "nan"/"-nan" and "inf"/"-inf" by the sign bit) into out, which must
// have room for kMaxFixed6Chars bytes. Returns the end of the text; no NUL
// is written.
char* format_fixed6(double v, char* out) noexcept;

// Writes v in decimal, as printf("%zu", v) does; returns the end of the text.
char* format_unsigned(std::size_t v, char* out) noexcept;

}  // namespace d2d

#endif
