// PNG files through cairo, which the stand-in already draws with.
#include <cairo.h>

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/headless/picture.h"
#include "platform/owned_handles.h"

namespace headless {

namespace {

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// Where cairo's PNG bytes go, and errno of the first write that failed: cairo itself would say
// only that writing failed, not why.
struct PngSink {
    std::FILE* file;
    int error = 0;
};

cairo_status_t WritePngBytes(void* closure, const unsigned char* bytes, unsigned int length) {
    auto* sink = static_cast<PngSink*>(closure);
    if (std::fwrite(bytes, 1, length, sink->file) != length) {
        sink->error = errno;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

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
    File file(std::fopen(path.c_str(), "wb"));
    if (file == nullptr) {
        return std::strerror(errno);
    }
    PngSink sink{file.get()};
    const cairo_status_t status =
        cairo_surface_write_to_png_stream(surface.get(), WritePngBytes, &sink);
    // The last bytes reach the file only when it closes, and may not fit there either.
    if (std::fclose(file.release()) != 0 && sink.error == 0) {
        sink.error = errno;
    }
    if (sink.error != 0) {
        return std::strerror(sink.error);
    }
    return status == CAIRO_STATUS_SUCCESS ? "" : cairo_status_to_string(status);
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
