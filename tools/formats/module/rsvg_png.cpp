// The picture as a bitmap (built into the format module only, see
// format_module.hpp): the SVG the program draws, rendered by librsvg
// (the renderer GNOME and rsvg-convert use) onto a cairo surface and
// written as PNG. One drawing for both formats, so they never disagree.
#include <cmath>
#include <string>

#include <cairo.h>
#include <librsvg/rsvg.h>

#include "formats/module/format_module_parts.hpp"
#include "formats/output/output_error.hpp"
#include "formats/output/write_all.hpp"

namespace d2dcli {

namespace {

struct PngTarget {
    int fd;
    int error = 0;
};

cairo_status_t write_png_bytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* target = static_cast<PngTarget*>(closure);
    target->error = write_all(target->fd, data, length);
    return target->error == 0 ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// Owns what librsvg and cairo hand out.
struct Rendering {
    RsvgHandle* handle = nullptr;
    cairo_surface_t* surface = nullptr;
    cairo_t* cairo = nullptr;
    GError* error = nullptr;
    ~Rendering() {
        if (cairo != nullptr) {
            cairo_destroy(cairo);
        }
        if (surface != nullptr) {
            cairo_surface_destroy(surface);
        }
        if (handle != nullptr) {
            g_object_unref(handle);
        }
        if (error != nullptr) {
            g_error_free(error);
        }
    }
};

}  // namespace

void rsvg_write_png(const std::string& name, int fd, std::string_view svg) {
    Rendering r;
    r.handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &r.error);
    if (r.handle == nullptr) {
        throw OutputError(name + ": cannot render the picture: " + (r.error ? r.error->message : "librsvg failed"));
    }
    gdouble width = 0.0;
    gdouble height = 0.0;
    if (!rsvg_handle_get_intrinsic_size_in_pixels(r.handle, &width, &height) || width < 1.0 || height < 1.0) {
        throw OutputError(name + ": cannot render the picture: it has no size");
    }
    r.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(width)),
                                           static_cast<int>(std::ceil(height)));
    r.cairo = cairo_create(r.surface);
    const RsvgRectangle viewport = {0.0, 0.0, width, height};
    if (!rsvg_handle_render_document(r.handle, r.cairo, &viewport, &r.error)) {
        throw OutputError(name + ": cannot render the picture: " + (r.error ? r.error->message : "librsvg failed"));
    }
    cairo_surface_flush(r.surface);
    PngTarget target{fd};
    if (cairo_surface_write_to_png_stream(r.surface, write_png_bytes, &target) != CAIRO_STATUS_SUCCESS) {
        if (target.error != 0) {
            throw_output_error(name, "cannot write", target.error);
        }
        throw OutputError(name + ": cannot write the PNG");
    }
}

}  // namespace d2dcli
