#include "blocks/common/fatal_stop.hpp"

#include <cstdio>
#include <cstdlib>

#include "blocks/common/trace_output.hpp"

namespace d2d {

void fatal_stop(const char* message) noexcept {
    TraceWriter::flush_thread_writers();
    std::fputs(message, stdout);
    std::exit(-1);
}

}  // namespace d2d
