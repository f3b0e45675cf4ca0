// Text as a JSON string literal, for the JSON and GeoJSON writers.
#pragma once

#include <string_view>

#include "formats/output/text_sink.hpp"

namespace d2dcli {

// Writes text in double quotes, with '"', '\\' and control bytes escaped.
void put_json_string(TextSink& sink, std::string_view text);

}  // namespace d2dcli
