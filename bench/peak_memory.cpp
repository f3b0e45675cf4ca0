// Reads VmRSS and VmHWM from /proc/self/status; resets VmHWM through
// /proc/self/clear_refs.
#include "peak_memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {
namespace {

long status_field_kb(const char* key) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long value = -1;
    const std::size_t key_length = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, key_length) == 0 && line[key_length] == ':') {
            value = std::strtol(line + key_length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

}  // namespace

long resident_kb() { return status_field_kb("VmRSS"); }

long peak_resident_kb() { return status_field_kb("VmHWM"); }

bool reset_peak_resident() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool written = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && written;
}

}  // namespace bench
