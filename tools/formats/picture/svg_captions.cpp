// The captions around the drawing: title text, the legend of the shading,
// the scale bar and the coordinate range.
#include <cmath>
#include <limits>
#include <vector>

#include "formats/picture/svg_page.hpp"

namespace d2dcli::svg {

namespace {

// A label for a map value, with as many decimals as step needs to tell
// neighbouring labels apart.
void put_label(TextSink& sink, double value, double step) {
    if (!(std::fabs(value) < 1e15)) {
        sink.put_shortest(value);  // fixed notation would run to hundreds of digits
        return;
    }
    int digits = step > 0.0 && std::isfinite(step) ? static_cast<int>(std::ceil(-std::log10(step))) : 0;
    sink.put_fixed(value, std::clamp(digits, 0, 6));
}

// 1, 2 or 5 times a power of ten, at most value.
double nice_step(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double m : {5.0, 2.0, 1.0}) {
        if (m * power <= value) {
            return m * power;
        }
    }
    return power;
}

}  // namespace

void put_xml_text(TextSink& sink, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': sink.put("&amp;"); break;
            case '<': sink.put("&lt;"); break;
            case '>': sink.put("&gt;"); break;
            case '"': sink.put("&quot;"); break;
            default: sink.put(c);
        }
    }
}

void put_text(TextSink& sink, double x, double y, int size, const char* anchor, std::string_view weight) {
    sink.put("<text x=\"");
    sink.put_fixed(x, 1);
    sink.put("\" y=\"");
    sink.put_fixed(y, 1);
    sink.put("\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"");
    sink.put_integer(size);
    sink.put("\" font-weight=\"");
    sink.put(weight);
    sink.put("\" text-anchor=\"");
    sink.put(anchor);
    sink.put("\" fill=\"#222222\">");
}

void put_legend(TextSink& sink, const Page& page, const ZRange& range, const std::string& label) {
    const double x = page.left + page.width + 24.0;
    const double bar_height = std::min(page.height, 360.0);
    const double top = page.top + 22.0;
    put_text(sink, x, page.top + 10.0, 13, "start", "bold");
    put_xml_text(sink, label);
    sink.put("</text>\n");
    for (int b = 0; b < bands; ++b) {
        // Highest band on top, as on a map's legend.
        sink.put("<rect x=\"");
        sink.put_fixed(x, 1);
        sink.put("\" y=\"");
        sink.put_fixed(top + bar_height * (bands - 1 - b) / bands, 2);
        sink.put("\" width=\"18\" height=\"");
        sink.put_fixed(bar_height / bands + 0.3, 2);
        sink.put("\" fill=\"");
        sink.put(band_colour(b));
        sink.put("\"/>\n");
    }
    sink.put("<rect x=\"");
    sink.put_fixed(x, 1);
    sink.put("\" y=\"");
    sink.put_fixed(top, 1);
    sink.put("\" width=\"18\" height=\"");
    sink.put_fixed(bar_height, 1);
    sink.put("\" fill=\"none\" stroke=\"#444444\" stroke-width=\"0.8\"/>\n");
    const double span = range.high - range.low;
    const double step = span > 0.0 ? nice_step(span / 4.0) : 1.0;
    std::vector<double> ticks = {range.low, range.high};
    if (span > 0.0) {
        for (double v = std::ceil(range.low / step) * step; v < range.high; v += step) {
            // Inner ticks clear of the end labels, so that none overlap.
            if (v - range.low > 0.12 * span && range.high - v > 0.12 * span) {
                ticks.push_back(v);
            }
        }
    }
    for (double v : ticks) {
        const double y = span > 0.0 ? top + bar_height * (range.high - v) / span : top + bar_height / 2;
        sink.put("<path stroke=\"#444444\" stroke-width=\"0.8\" d=\"M");
        sink.put_fixed(x + 18.0, 1);
        sink.put(' ');
        sink.put_fixed(y, 1);
        sink.put("h4\"/>\n");
        put_text(sink, x + 25.0, y + 4.0, 11, "start");
        put_label(sink, v, step / 10.0);
        sink.put("</text>\n");
    }
}

void put_scale_and_range(TextSink& sink, const Page& page) {
    const double y = page.top + page.height + 24.0;
    // A bar of a round length, about a fifth of the drawing wide; half
    // spans again, so that the widest coordinates do not overflow.
    const double half_length = nice_step(page.width / 5.0 / page.double_scale);
    const double pixels = half_length * page.double_scale;
    sink.put("<path fill=\"none\" stroke=\"#222222\" stroke-width=\"1.5\" d=\"M");
    sink.put_fixed(page.left, 1);
    sink.put(' ');
    sink.put_fixed(y - 5.0, 1);
    sink.put("v5h");
    sink.put_fixed(pixels, 1);
    sink.put("v-5\"/>\n");
    put_text(sink, page.left + pixels / 2.0, y - 9.0, 11, "middle");
    if (std::isfinite(2.0 * half_length)) {
        put_label(sink, 2.0 * half_length, 2.0 * half_length);
    } else {
        sink.put_shortest(half_length);
        sink.put(" x 2");
    }
    sink.put("</text>\n");
    put_text(sink, page.left + pixels + 16.0, y, 11, "start");
    sink.put("x ");
    const double step = std::max(0.5 * page.max_x - 0.5 * page.min_x, 0.5 * page.max_y - 0.5 * page.min_y) / 500.0;
    put_label(sink, page.min_x, step);
    sink.put(" to ");
    put_label(sink, page.max_x, step);
    sink.put(", y ");
    put_label(sink, page.min_y, step);
    sink.put(" to ");
    put_label(sink, page.max_y, step);
    sink.put("</text>\n");
}

}  // namespace d2dcli::svg
