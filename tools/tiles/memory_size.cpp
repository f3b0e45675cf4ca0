#include "tiles/memory_size.hpp"

#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace d2dcli {

std::optional<std::uint64_t> parse_memory_size(std::string_view text) {
    double number = 0.0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    auto [rest, error] = std::from_chars(begin, end, number);
    if (error != std::errc() || rest == begin || !(number >= 0.0) || !std::isfinite(number)) {
        return std::nullopt;
    }
    std::string unit;
    for (const char* c = rest; c != end; ++c) {
        unit.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*c))));
    }
    if (unit.size() > 1 && (unit.ends_with("IB") || unit.ends_with("B"))) {
        unit.resize(unit.size() - (unit.ends_with("IB") ? 2 : 1));
    }
    double scale = 1.0;
    if (unit.empty() || unit == "B") {
        scale = 1.0;
    } else if (unit == "K") {
        scale = 1024.0;
    } else if (unit == "M") {
        scale = 1024.0 * 1024.0;
    } else if (unit == "G") {
        scale = 1024.0 * 1024.0 * 1024.0;
    } else if (unit == "T") {
        scale = 1024.0 * 1024.0 * 1024.0 * 1024.0;
    } else {
        return std::nullopt;
    }
    const double bytes = std::floor(number * scale);
    if (!(bytes < 1.8e19)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(bytes);
}

std::string memory_size_text(std::uint64_t bytes) {
    const double value = static_cast<double>(bytes);
    char text[32];
    if (value >= 1024.0 * 1024.0 * 1024.0) {
        std::snprintf(text, sizeof text, "%.3g GB", value / (1024.0 * 1024.0 * 1024.0));
    } else if (value >= 1024.0 * 1024.0) {
        std::snprintf(text, sizeof text, "%.3g MB", value / (1024.0 * 1024.0));
    } else {
        std::snprintf(text, sizeof text, "%.3g KB", value / 1024.0);
    }
    return text;
}

std::uint64_t physical_memory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long page_size = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
}

}  // namespace d2dcli
