// Pictures in memory, and the one PNG reader and writer of the tools and tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace headless {

// An image in memory: rows from the top, each pixel 0x00RRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Writes an 8-bit RGB PNG; "" on success, otherwise a one-line reason that leaves the path for
// the caller to name, such as "No space left on device". The same pixels give the same bytes.
std::string WritePng(const Picture& picture, const std::string& path);

// Reads an opaque PNG; none when the file is not a readable PNG.
std::optional<Picture> ReadPng(const std::string& path);

}  // namespace headless
