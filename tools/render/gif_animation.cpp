// An animated GIF that loops: changed rectangles, exact or quantised palettes, giflib's encoder.
#include "tools/render/gif_animation.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace render {

namespace {

constexpr int MAXIMUM_COLOURS = 256;
constexpr int TRANSPARENT_INDEX_NONE = NO_TRANSPARENT_COLOR;

struct Rectangle {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The smallest rectangle holding every pixel that differs from the previous frame. A frame equal
// to the previous one still needs an image to carry its delay: one pixel at the corner.
Rectangle ChangedRectangle(const Picture& previous, const Picture& current) {
    if (previous.pixels.empty()) {
        return Rectangle{0, 0, current.width, current.height};
    }
    int left = current.width;
    int right = -1;
    int top = current.height;
    int bottom = -1;
    for (int y = 0; y < current.height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * current.width;
        for (int x = 0; x < current.width; ++x) {
            if (current.pixels[row + x] != previous.pixels[row + x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return Rectangle{0, 0, 1, 1};
    }
    return Rectangle{left, top, right - left + 1, bottom - top + 1};
}

GifColorType ColourOf(std::uint32_t pixel) {
    return GifColorType{static_cast<GifByteType>((pixel >> 16) & 0xFF),
                        static_cast<GifByteType>((pixel >> 8) & 0xFF),
                        static_cast<GifByteType>(pixel & 0xFF)};
}

std::string GifError(const char* what, int code) {
    const char* reason = GifErrorString(code);
    return std::string(what) + ": " + (reason != nullptr ? reason : "unknown giflib error");
}

// The part of a frame to store, and which of its pixels a viewer already shows.
struct FrameRegion {
    Rectangle rectangle;
    std::vector<std::uint32_t> pixels;  // rows from the top
    std::vector<bool> unchanged;        // the same as in the frames before
};

// A frame region as palette indices.
struct IndexedRegion {
    std::vector<GifColorType> palette;
    std::vector<GifByteType> indices;
    int transparentIndex = TRANSPARENT_INDEX_NONE;
};

FrameRegion CutRegion(const Picture& previous, const Picture& current) {
    const bool first = previous.pixels.empty();
    FrameRegion region;
    region.rectangle = ChangedRectangle(previous, current);
    const Rectangle& cut = region.rectangle;
    const std::size_t count = static_cast<std::size_t>(cut.width) * cut.height;
    region.pixels.resize(count);
    region.unchanged.assign(count, false);
    for (int y = 0; y < cut.height; ++y) {
        for (int x = 0; x < cut.width; ++x) {
            const std::size_t source =
                static_cast<std::size_t>(cut.top + y) * current.width + cut.left + x;
            const std::size_t target = static_cast<std::size_t>(y) * cut.width + x;
            region.pixels[target] = current.pixels[source];
            region.unchanged[target] = !first && previous.pixels[source] == current.pixels[source];
        }
    }
    return region;
}

// An exact palette of the changed pixels, in order, when they fit beside the transparent index.
std::optional<IndexedRegion> IndexExactly(const FrameRegion& region) {
    std::vector<std::uint32_t> colours;
    for (std::size_t i = 0; i < region.pixels.size(); ++i) {
        if (!region.unchanged[i]) {
            colours.push_back(region.pixels[i]);
        }
    }
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (static_cast<int>(colours.size()) >= MAXIMUM_COLOURS) {
        return std::nullopt;
    }
    IndexedRegion indexed;
    for (std::uint32_t colour : colours) {
        indexed.palette.push_back(ColourOf(colour));
    }
    indexed.indices.resize(region.pixels.size());
    for (std::size_t i = 0; i < region.pixels.size(); ++i) {
        if (!region.unchanged[i]) {
            indexed.indices[i] = static_cast<GifByteType>(
                std::lower_bound(colours.begin(), colours.end(), region.pixels[i]) -
                colours.begin());
        }
    }
    return indexed;
}

// Too many colours (text smoothing on a large picture): giflib's median cut, leaving one index
// free for the transparent pixels. None when giflib fails.
std::optional<IndexedRegion> IndexByQuantising(const FrameRegion& region) {
    const std::size_t count = region.pixels.size();
    std::vector<GifByteType> red(count);
    std::vector<GifByteType> green(count);
    std::vector<GifByteType> blue(count);
    for (std::size_t i = 0; i < count; ++i) {
        const GifColorType colour = ColourOf(region.pixels[i]);
        red[i] = colour.Red;
        green[i] = colour.Green;
        blue[i] = colour.Blue;
    }
    IndexedRegion indexed;
    indexed.indices.resize(count);
    indexed.palette.resize(MAXIMUM_COLOURS);
    int paletteSize = MAXIMUM_COLOURS - 1;
    if (GifQuantizeBuffer(region.rectangle.width, region.rectangle.height, &paletteSize, red.data(),
                          green.data(), blue.data(), indexed.indices.data(),
                          indexed.palette.data()) == GIF_ERROR) {
        return std::nullopt;
    }
    indexed.palette.resize(paletteSize);
    return indexed;
}

std::optional<IndexedRegion> IndexColours(const FrameRegion& region) {
    if (std::optional<IndexedRegion> exact = IndexExactly(region)) {
        return exact;
    }
    return IndexByQuantising(region);
}

// The transparent index follows the colours; a GIF palette has a power-of-two size.
void MarkUnchangedTransparent(const FrameRegion& region, IndexedRegion& indexed) {
    if (std::find(region.unchanged.begin(), region.unchanged.end(), true) !=
        region.unchanged.end()) {
        indexed.transparentIndex = static_cast<int>(indexed.palette.size());
        indexed.palette.push_back(GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < region.unchanged.size(); ++i) {
            if (region.unchanged[i]) {
                indexed.indices[i] = static_cast<GifByteType>(indexed.transparentIndex);
            }
        }
    }
    const int paletteBits = GifBitSize(static_cast<int>(indexed.palette.size()));
    indexed.palette.resize(std::size_t{1} << paletteBits, GifColorType{0, 0, 0});
}

// One image over the frames before it: its control block, its palette and its rows.
// giflib takes the rows as writable, though it only reads them.
std::string WriteImage(GifFileType* file, const Rectangle& rectangle, IndexedRegion& indexed,
                       int delayCentiseconds) {
    const std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(
        GifMakeMapObject(static_cast<int>(indexed.palette.size()), indexed.palette.data()),
        GifFreeMapObject);
    if (map == nullptr) {
        return "out of memory for a GIF palette";
    }
    // Each frame stays under the next one, which covers only what changed.
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delayCentiseconds;
    control.TransparentColor = indexed.transparentIndex;
    GifByteType controlBytes[4];
    const std::size_t controlLength = EGifGCBToExtension(&control, controlBytes);
    bool written = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(controlLength),
                                    controlBytes) != GIF_ERROR &&
                   EGifPutImageDesc(file, rectangle.left, rectangle.top, rectangle.width,
                                    rectangle.height, false, map.get()) != GIF_ERROR;
    for (int y = 0; written && y < rectangle.height; ++y) {
        GifByteType* row = indexed.indices.data() + static_cast<std::size_t>(y) * rectangle.width;
        written = EGifPutLine(file, row, rectangle.width) != GIF_ERROR;
    }
    return written ? "" : GifError("cannot write a GIF frame", file->Error);
}

}  // namespace

void GifAnimation::CloseFile::operator()(GifFileType* file) const {
    int error = 0;
    EGifCloseFile(file, &error);
}

std::string GifAnimation::Open(const std::string& path) {
    // Opening the file ourselves keeps errno's reason, which giflib would reduce to "open failed".
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (descriptor < 0) {
        return std::strerror(errno);
    }
    int error = 0;
    file_.reset(EGifOpenFileHandle(descriptor, &error));
    if (file_ == nullptr) {
        close(descriptor);
        return GifError("cannot start the GIF", error);
    }
    return "";
}

std::string GifAnimation::WriteHeader(int width, int height) {
    EGifSetGifVersion(file_.get(), true);
    if (EGifPutScreenDesc(file_.get(), width, height, 8, 0, nullptr) == GIF_ERROR) {
        return GifError("cannot write the GIF screen", file_->Error);
    }
    // The Netscape application extension with a loop count of 0: loop for ever.
    static const GifByteType NETSCAPE[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType LOOP_FOR_EVER[] = {1, 0, 0};
    if (EGifPutExtensionLeader(file_.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(file_.get(), sizeof NETSCAPE, NETSCAPE) == GIF_ERROR ||
        EGifPutExtensionBlock(file_.get(), sizeof LOOP_FOR_EVER, LOOP_FOR_EVER) == GIF_ERROR ||
        EGifPutExtensionTrailer(file_.get()) == GIF_ERROR) {
        return GifError("cannot write the GIF loop extension", file_->Error);
    }
    return "";
}

std::string GifAnimation::AddFrame(const Picture& picture, int delayCentiseconds) {
    if (file_ == nullptr) {
        return "the GIF is not open";
    }
    if (previous_.pixels.empty()) {
        if (std::string error = WriteHeader(picture.width, picture.height); !error.empty()) {
            return error;
        }
    } else if (picture.width != previous_.width || picture.height != previous_.height) {
        return "a GIF frame differs in size from the first frame";
    }
    const FrameRegion region = CutRegion(previous_, picture);
    std::optional<IndexedRegion> indexed = IndexColours(region);
    if (!indexed) {
        return "cannot choose a palette for a GIF frame";
    }
    MarkUnchangedTransparent(region, *indexed);
    if (std::string error = WriteImage(file_.get(), region.rectangle, *indexed, delayCentiseconds);
        !error.empty()) {
        return error;
    }
    previous_ = picture;
    return "";
}

std::string GifAnimation::Finish() {
    if (file_ == nullptr) {
        return "the GIF is not open";
    }
    if (previous_.pixels.empty()) {
        return "a GIF needs at least one frame";
    }
    int error = 0;
    const int result = EGifCloseFile(file_.release(), &error);
    return result == GIF_ERROR ? GifError("cannot finish the GIF", error) : "";
}

}  // namespace render
