// PNG files through cairo, which the stand-in already draws with.
#include <cairo.h>

#include <cassert>
#include <cstring>

#include "platform/headless/picture.h"
#include "platform/owned_handles.h"

namespace headless {

std::string WritePng(const Picture& picture, const std::string& path) {
    assert(picture.width > 0 && picture.height > 0);
    assert(picture.pixels.size() ==
           static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    // RGB24 keeps the top byte unused, as the picture does; cairo writes it as 8-bit RGB.
    owned::CairoSurface surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return "cannot make a " + std::to_string(picture.width) + " by " +
               std::to_string(picture.height) + " image";
    }
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * stride,
                    picture.pixels.data() + static_cast<std::size_t>(y) * picture.width,
                    sizeof(std::uint32_t) * static_cast<std::size_t>(picture.width));
    }
    cairo_surface_mark_dirty(surface.get());
    const cairo_status_t status = cairo_surface_write_to_png(surface.get(), path.c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        return "cannot write the PNG '" + path + "': " + cairo_status_to_string(status);
    }
    return "";
}

std::optional<Picture> ReadPng(const std::string& path) {
    owned::CairoSurface surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    cairo_surface_flush(surface.get());
    Picture picture;
    picture.width = cairo_image_surface_get_width(surface.get());
    picture.height = cairo_image_surface_get_height(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < picture.width; ++x) {
            picture.pixels[static_cast<std::size_t>(y) * picture.width + x] = row[x] & 0xFFFFFF;
        }
    }
    return picture;
}

}  // namespace headless
