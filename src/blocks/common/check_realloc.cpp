#include "blocks/common/trace_output.hpp"

extern "C" void check_realloc(void* p) {
    if (p == nullptr) d2d::fatal_stop(d2d::kMemberNotEnough);
}
