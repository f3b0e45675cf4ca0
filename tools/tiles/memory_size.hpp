// Sizes of memory as a user writes them (--memory 512M, 2G, 1.5G) and the
// machine's own, which decide whether a run goes tile by tile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace d2dcli {

// Bytes of "N", "NK", "NM", "NG" or "NT" (powers of 1024; N may have a
// fraction; a trailing "B" or "iB" is allowed), or nothing for another text.
std::optional<std::uint64_t> parse_memory_size(std::string_view text);

// "1.5 GB", "64 MB": a size as messages give it.
std::string memory_size_text(std::uint64_t bytes);

// The machine's physical memory in bytes, or 0 when the system does not say.
std::uint64_t physical_memory();

// About how many points a text file of this many bytes holds (a line of a
// survey or of full-precision doubles takes 20 to 40 bytes).
inline std::uint64_t points_in_text_of(std::uint64_t bytes) { return bytes / 24; }

}  // namespace d2dcli
