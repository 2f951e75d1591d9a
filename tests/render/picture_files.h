// Reading back what the render tool writes: PNG as the tools read it, GIF frames as a viewer.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/headless/picture.h"
#include "tools/render/gif_animation.h"

// The file's first bytes, to check a signature.
inline std::string FileStart(const std::string& path, std::size_t length) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(length, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(length));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

// A PNG as pixels 0x00RRGGBB; an empty picture when it does not load.
inline render::Picture ReadPng(const std::string& path) {
    return headless::ReadPng(path).value_or(render::Picture{});
}

// A GIF as a viewer shows it: each frame drawn over the previous ones, transparent pixels left.
struct GifFile {
    bool read = false;
    int width = 0;
    int height = 0;
    bool loops = false;                   // has the Netscape extension with loop count 0
    std::vector<int> delays;              // centiseconds, per frame
    std::vector<render::Picture> frames;  // composed
};

inline GifFile ReadGif(const std::string& path) {
    GifFile result;
    int error = 0;
    GifFileType* file = DGifOpenFileName(path.c_str(), &error);
    if (file == nullptr) {
        return result;
    }
    if (DGifSlurp(file) != GIF_OK) {
        DGifCloseFile(file, &error);
        return result;
    }
    result.read = true;
    result.width = file->SWidth;
    result.height = file->SHeight;
    render::Picture screen;
    screen.width = file->SWidth;
    screen.height = file->SHeight;
    screen.pixels.assign(static_cast<std::size_t>(screen.width) * screen.height, 0);
    for (int index = 0; index < file->ImageCount; ++index) {
        const SavedImage& image = file->SavedImages[index];
        for (int block = 0; block + 1 < image.ExtensionBlockCount; ++block) {
            const ExtensionBlock& leader = image.ExtensionBlocks[block];
            const ExtensionBlock& data = image.ExtensionBlocks[block + 1];
            if (leader.Function == APPLICATION_EXT_FUNC_CODE && leader.ByteCount == 11 &&
                std::string(reinterpret_cast<char*>(leader.Bytes), 11) == "NETSCAPE2.0" &&
                data.ByteCount == 3 && data.Bytes[0] == 1 && data.Bytes[1] == 0 &&
                data.Bytes[2] == 0) {
                result.loops = true;
            }
        }
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(file, index, &control);
        result.delays.push_back(control.DelayTime);
        const GifImageDesc& description = image.ImageDesc;
        const ColorMapObject* map =
            description.ColorMap != nullptr ? description.ColorMap : file->SColorMap;
        for (int y = 0; y < description.Height; ++y) {
            for (int x = 0; x < description.Width; ++x) {
                const int colourIndex = image.RasterBits[y * description.Width + x];
                if (colourIndex == control.TransparentColor || map == nullptr ||
                    colourIndex >= map->ColorCount) {
                    continue;
                }
                const GifColorType colour = map->Colors[colourIndex];
                screen.pixels[static_cast<std::size_t>(description.Top + y) * screen.width +
                              description.Left + x] = (std::uint32_t{colour.Red} << 16) |
                                                      (std::uint32_t{colour.Green} << 8) |
                                                      colour.Blue;
            }
        }
        result.frames.push_back(screen);
    }
    DGifCloseFile(file, &error);
    return result;
}
