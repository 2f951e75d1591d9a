// The program's icon, group 101, as PNG images built into the program from
// resources/sorvelin-<size>.png.
#pragma once

#include <cstddef>

namespace gtkhost {

struct IconImage {
    int size;                    // pixels, width and height
    const unsigned char* bytes;  // the PNG file
    std::size_t length;          // bytes
};

extern const IconImage ICON_IMAGES[];  // smallest first
extern const int ICON_IMAGE_COUNT;

}  // namespace gtkhost
