// Included ahead of every source of the WebAssembly build: the C++ library
// that Debian's emscripten ships (3.1.6) predates std::bit_cast, which the
// compiler itself already offers as a builtin.
#pragma once
#include <bit>
#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
