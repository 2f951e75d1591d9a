// Owning pointers for the C libraries' handles that the native platform code makes: each handle
// is given back by its own library's call, once, on every path.
#pragma once

#include <cairo.h>
#include <glib-object.h>
#include <iconv.h>
#include <pango/pango.h>

#include <memory>

namespace owned {

// Calls Free on the handle; unique_ptr calls it only for a non-null one.
template <auto Free>
struct Deleter {
    template <typename Handle>
    void operator()(Handle* handle) const {
        Free(handle);
    }
};

using CairoSurface = std::unique_ptr<cairo_surface_t, Deleter<cairo_surface_destroy>>;
using Cairo = std::unique_ptr<cairo_t, Deleter<cairo_destroy>>;
using CairoRegion = std::unique_ptr<cairo_region_t, Deleter<cairo_region_destroy>>;
using CairoFontOptions = std::unique_ptr<cairo_font_options_t, Deleter<cairo_font_options_destroy>>;
using CairoRectangleList =
    std::unique_ptr<cairo_rectangle_list_t, Deleter<cairo_rectangle_list_destroy>>;
template <typename Object>
using GObject = std::unique_ptr<Object, Deleter<g_object_unref>>;
using FontDescription = std::unique_ptr<PangoFontDescription, Deleter<pango_font_description_free>>;

// An iconv converter, or null where iconv has no such conversion.
using Iconv = std::unique_ptr<void, Deleter<iconv_close>>;
inline Iconv OpenIconv(const char* to, const char* from) {
    const iconv_t opened = iconv_open(to, from);
    return Iconv(opened != reinterpret_cast<iconv_t>(-1) ? opened : nullptr);
}

}  // namespace owned
