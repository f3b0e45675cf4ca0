#include "blocks/common/trace_output.hpp"

extern "C" void print_point_3d_list(const Point3DList* list) {
    d2d::TraceWriter trace;
    for (std::size_t i = 0; i < list->length; ++i) trace.point_line(*list->points[i]);
}
