#include "formats/mesh_write/json_text.hpp"

namespace d2dcli {

void put_json_string(TextSink& sink, std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    sink.put('"');
    for (char c : text) {
        if (c == '"' || c == '\\') {
            sink.put('\\');
            sink.put(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            sink.put("\\u00");
            sink.put(hex[(c >> 4) & 0xf]);
            sink.put(hex[c & 0xf]);
        } else {
            sink.put(c);
        }
    }
    sink.put('"');
}

}  // namespace d2dcli
